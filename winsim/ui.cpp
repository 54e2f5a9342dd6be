// User-interface calls: the modal dialog built from the program's own template, its controls,
// the default dialog processing the program relies on, message boxes, painting and icons.
#include <algorithm>
#include <cstring>

#include "winsim/machine.h"
#include "winsim/resource_script.h"

using winsim::Machine;
using winsim::Window;

namespace {

const uintptr_t kProgramIconBase = 0x7000;
const HDC kPaintDc = reinterpret_cast<HDC>(0xDC);

// Dialog base units of 8-point MS Sans Serif: 6 by 13 pixels.
int DluToPixelsX(int dlu) { return dlu * 6 / 4; }
int DluToPixelsY(int dlu) { return dlu * 13 / 8; }

std::string Handle(HWND h) {
    Window *w = Machine::Current().FindWindowById(h);
    if (!w) return h ? "?" : "NULL";
    return w->parent ? std::to_string(w->id) : "dialog";
}

Window *Find(HWND h) { return Machine::Current().FindWindowById(h); }

bool IsSpecialDialogResult(UINT message) { return message == WM_INITDIALOG || message == WM_QUERYDRAGICON; }

LRESULT DefaultDialogProcessing(Window *d, UINT message, WPARAM wParam, LPARAM lParam) {
    Machine &m = Machine::Current();
    switch (message) {
    case WM_SETICON: {
        HICON &slot = wParam == ICON_BIG ? d->bigIcon : d->smallIcon;
        HICON old = slot;
        slot = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) return SendMessageA(d->handle, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        // The close box is the Cancel command, with the Cancel button's handle if there is one.
        return SendMessageA(d->handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                            reinterpret_cast<LPARAM>(GetDlgItem(d->handle, IDCANCEL)));
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(d->handle, &ps);
        m.defaultPaints.push_back(d->iconic ? "minimised" : "normal");
        EndPaint(d->handle, &ps);
        return 0;
    }
    default: return 0;
    }
}

LRESULT ControlMessage(Window *c, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case PBM_SETRANGE: {
        LRESULT old = MAKELONG(c->rangeLow, c->rangeHigh);
        c->rangeLow = LOWORD(lParam);
        c->rangeHigh = HIWORD(lParam);
        c->position = std::min(std::max(c->position, c->rangeLow), c->rangeHigh);
        return old;
    }
    case PBM_SETPOS: {
        LRESULT old = c->position;
        int pos = static_cast<int>(wParam);
        c->position = std::min(std::max(pos, c->rangeLow), c->rangeHigh);
        return old;
    }
    default: return 0;
    }
}

bool TemplateUsesClass(const winsim::DialogTemplate &t, const char *cls) {
    for (const auto &c : t.controls)
        if (lstrcmpiA(c.className.c_str(), cls) == 0) return true;
    return false;
}

void Destroy(Window *d) {
    if (d->proc) {
        d->proc(d->handle, WM_DESTROY, 0, 0);
        d->proc(d->handle, WM_NCDESTROY, 0, 0);
    }
    for (Window *c : d->children) c->destroyed = true;
    d->destroyed = true;
    d->visible = false;
}

}  // namespace

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC proc, LPARAM dwInitParam) {
    Machine &m = Machine::Current();
    int id = IS_INTRESOURCE(lpTemplateName) ? static_cast<int>(reinterpret_cast<uintptr_t>(lpTemplateName)) : -1;
    const auto &dialogs = winsim::ProgramResources().dialogs;
    auto t = dialogs.find(id);
    // Without the registered class of a control the system cannot create the dialog.
    if (m.dialogCreationFails || t == dialogs.end() ||
        (TemplateUsesClass(t->second, "msctls_progress32") && !m.commonControlsRegistered)) {
        m.Record("DialogBoxParamA(" + std::to_string(id) + ") = -1");
        return -1;
    }
    const winsim::DialogTemplate &tpl = t->second;
    Window *d = m.CreateWindowRecord();
    d->parent = nullptr;
    d->className = "#32770";
    d->text = tpl.caption;
    d->style = tpl.style;
    d->exStyle = tpl.exStyle;
    d->clientWidth = DluToPixelsX(tpl.cx);
    d->clientHeight = DluToPixelsY(tpl.cy);
    // Without a parent, a template at (0, 0) puts the window in the screen's corner.
    Window *owner = Find(hWndParent);
    d->x = (owner ? owner->x : 0) + DluToPixelsX(tpl.x);
    d->y = (owner ? owner->y : 0) + DluToPixelsY(tpl.y);
    d->cx = d->clientWidth + 6;
    d->cy = d->clientHeight + 25;
    d->proc = proc;
    for (const auto &ct : tpl.controls) {
        Window *c = m.CreateWindowRecord();
        c->parent = d;
        c->id = ct.id;
        c->className = ct.className;
        c->text = ct.textOrdinal >= 0 ? "#" + std::to_string(ct.textOrdinal) : ct.text;
        c->style = ct.style;
        c->exStyle = ct.exStyle | WS_EX_NOPARENTNOTIFY;  // the dialog manager adds it to every control
        c->x = ct.x;
        c->y = ct.y;
        c->cx = ct.cx;
        c->cy = ct.cy;
        c->visible = (ct.style & WS_VISIBLE) != 0;
        // The progress bar draws its own frame and drops WS_BORDER when it is created.
        if (lstrcmpiA(c->className.c_str(), "msctls_progress32") == 0) c->style &= ~static_cast<DWORD>(WS_BORDER);
        d->children.push_back(c);
    }
    m.m_dialog = d;
    m.Record("DialogBoxParamA(" + std::to_string(id) + ")");
    HWND focus = nullptr;
    for (Window *c : d->children)
        if (c->style & WS_TABSTOP) {
            focus = c->handle;
            break;
        }
    proc(d->handle, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), dwInitParam);
    d->visible = !d->ended && (tpl.style & WS_VISIBLE);
    if (!d->ended && m.user) {
        winsim::User person(m, d->handle);
        m.user(person);
    }
    if (!d->ended) SendMessageA(d->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (!d->ended) {
        // Nothing ended the dialog, not even the close box: the test left it hanging.
        m.Record("dialog left open");
        d->result = 0;
    }
    Destroy(d);
    return d->result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    Machine &m = Machine::Current();
    Window *d = Find(hDlg);
    m.Record("EndDialog(" + std::to_string(nResult) + ")");
    if (!d) return FALSE;
    d->ended = true;
    d->result = nResult;
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int id) {
    Window *d = Find(hDlg);
    if (!d) return nullptr;
    for (Window *c : d->children)
        if (c->id == id && !c->destroyed) return c->handle;
    return nullptr;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Machine &m = Machine::Current();
    Window *w = Find(hWnd);
    m.Record("ShowWindow(" + Handle(hWnd) + ", " + std::to_string(nCmdShow) + ")");
    if (!w) return FALSE;
    BOOL was = w->visible;
    w->visible = nCmdShow != SW_HIDE;
    return was;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR text) {
    Machine &m = Machine::Current();
    m.Record("SetWindowTextA(" + Handle(hWnd) + ", " + (text ? text : "NULL") + ")");
    Window *w = Find(hWnd);
    if (!w) return FALSE;
    w->text = text ? text : "";
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Machine &m = Machine::Current();
    Window *w = Find(hWnd);
    m.Record("SendMessageA(" + Handle(hWnd) + ", 0x" +
             [&] {
                 char b[16];
                 std::snprintf(b, sizeof b, "%04X", message);
                 return std::string(b);
             }() +
             ", " + std::to_string(wParam) + ", " + std::to_string(lParam) + ")");
    if (!w) return 0;
    if (w->parent) return ControlMessage(w, message, wParam, lParam);
    if (w->proc) {
        INT_PTR r = w->proc(hWnd, message, wParam, lParam);
        if (IsSpecialDialogResult(message)) return r;
        if (r) return 0;
    }
    return DefaultDialogProcessing(w, message, wParam, lParam);
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR text, LPCSTR caption, UINT type) {
    Machine &m = Machine::Current();
    winsim::MessageBoxSeen box{hWnd, text ? text : "", caption ? caption : "Error", type};
    m.messageBoxes.push_back(box);
    m.Record("MessageBoxA(" + Handle(hWnd) + ", " + box.text + ", " + box.caption + ", " + std::to_string(type) +
             ") = " + std::to_string(IDOK));
    return IDOK;
}

BOOL WINAPI IsIconic(HWND hWnd) {
    Window *w = Find(hWnd);
    return w && w->iconic;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT rc) {
    Window *w = Find(hWnd);
    if (!w || !rc) return FALSE;
    rc->left = rc->top = 0;
    rc->right = w->parent ? DluToPixelsX(w->cx) : w->clientWidth;
    rc->bottom = w->parent ? DluToPixelsY(w->cy) : w->clientHeight;
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT rc) {
    Window *w = Find(hWnd);
    if (!w || !rc || w->parent) return FALSE;
    *rc = {w->x, w->y, w->x + w->cx, w->y + w->cy};
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND, int x, int y, int, int, UINT) {
    Machine &m = Machine::Current();
    m.Record("SetWindowPos(" + Handle(hWnd) + ", " + std::to_string(x) + ", " + std::to_string(y) + ")");
    Window *w = Find(hWnd);
    if (!w) return FALSE;
    // The program only moves the dialog, with SWP_NOSIZE.
    w->x = x;
    w->y = y;
    return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
    Machine &m = Machine::Current();
    switch (index) {
    case SM_CXSCREEN: return m.screenWidth;
    case SM_CYSCREEN: return m.screenHeight;
    case SM_CXICON: return m.iconWidth;
    case SM_CYICON: return m.iconHeight;
    default: return 0;
    }
}

BOOL WINAPI SystemParametersInfoA(UINT action, UINT, LPVOID param, UINT) {
    Machine &m = Machine::Current();
    if (action != SPI_GETWORKAREA || !param) return FALSE;
    *static_cast<RECT *>(param) = {0, 0, m.screenWidth, m.screenHeight};
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT ps) {
    Machine::Current().Record("BeginPaint(" + Handle(hWnd) + ")");
    if (ps) {
        std::memset(ps, 0, sizeof *ps);
        ps->hdc = kPaintDc;
    }
    return kPaintDc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT *) {
    Machine::Current().Record("EndPaint(" + Handle(hWnd) + ")");
    return TRUE;
}

BOOL WINAPI DrawIcon(HDC hDC, int x, int y, HICON icon) {
    Machine &m = Machine::Current();
    m.Record("DrawIcon(" + std::to_string(x) + ", " + std::to_string(y) + ")");
    m.iconsDrawn.push_back({hDC, x, y, icon});
    return icon != nullptr;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int index, LONG_PTR value) {
    Window *w = Find(hWnd);
    if (!w || index != DWLP_USER) return 0;
    LONG_PTR old = w->user;
    w->user = value;
    return old;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int index) {
    Window *w = Find(hWnd);
    if (!w) return 0;
    switch (index) {
    case DWLP_USER: return w->user;
    case GWL_STYLE: return w->style;
    default: return 0;
    }
}

void WINAPI InitCommonControls(void) {
    Machine &m = Machine::Current();
    m.Record("InitCommonControls()");
    m.commonControlsRegistered = true;
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR name) {
    Machine &m = Machine::Current();
    uintptr_t id = reinterpret_cast<uintptr_t>(name);
    // The program loads only its own icons.
    bool own = hInstance && IS_INTRESOURCE(name) && winsim::ProgramResources().icons.count(static_cast<int>(id));
    HICON icon = own ? reinterpret_cast<HICON>(kProgramIconBase + id) : nullptr;
    m.Record("LoadIconA(" + std::to_string(id) + ") = " + (icon ? "icon" : "NULL"));
    return icon;
}

namespace winsim {

Window *Ui::CreateWindowRecord() {
    m_windows.push_back(std::make_unique<Window>());
    Window *w = m_windows.back().get();
    w->handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10000 + 4 * m_windows.size()));
    return w;
}

Window *Ui::FindWindowById(HWND handle) {
    for (auto &w : m_windows)
        if (w->handle == handle && !w->destroyed) return w.get();
    return nullptr;
}

Window &User::Control(int id) const {
    Window *c = Find(GetDlgItem(m_dialog, id));
    if (!c) {
        std::fprintf(stderr, "winsim: the dialog has no control %d\n", id);
        std::abort();
    }
    return *c;
}

bool User::Ended() const {
    Window *d = m_machine.FindWindowById(m_dialog);
    return !d || d->ended;
}

bool User::IsVisible(int id) const {
    Window *c = Find(GetDlgItem(m_dialog, id));
    return c && c->visible && c->parent->visible;
}

std::string User::Text(int id) const { return Control(id).text; }

std::vector<int> User::VisibleControls() const {
    std::vector<int> ids;
    Window *d = m_machine.FindWindowById(m_dialog);
    for (Window *c : d->children)
        if (c->visible && c->id != -1) ids.push_back(c->id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

LRESULT User::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(m_dialog, message, wParam, lParam);
}

bool User::Click(int id) {
    if (Ended()) return false;
    Window &c = Control(id);
    if (!c.visible || (c.style & WS_DISABLED)) return false;
    if ((c.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON && lstrcmpiA(c.className.c_str(), "BUTTON") == 0) {
        // An automatic radio button checks itself and clears the others of its group. The
        // controls form a ring: a group runs from a WS_GROUP control up to the next one, so a
        // dialog with a single WS_GROUP control is one group all round.
        const std::vector<Window *> &ring = c.parent->children;
        size_t n = ring.size();
        size_t self = static_cast<size_t>(std::find(ring.begin(), ring.end(), &c) - ring.begin());
        size_t first = self;
        for (size_t k = 0; k < n && !(ring[first]->style & WS_GROUP); ++k) first = (first + n - 1) % n;
        for (size_t k = 0; k < n; ++k) {
            Window *other = ring[(first + k) % n];
            if (k > 0 && (other->style & WS_GROUP)) break;
            if ((other->style & BS_TYPEMASK) == BS_AUTORADIOBUTTON &&
                lstrcmpiA(other->className.c_str(), "BUTTON") == 0)
                other->check = BST_UNCHECKED;
        }
        c.check = BST_CHECKED;
    }
    Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(c.handle));
    return true;
}

void User::PressEscape() { Send(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }
void User::PressEnter() { Send(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
void User::CloseBox() { Send(WM_SYSCOMMAND, SC_CLOSE, 0); }
void User::SendCommand(int id) { Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void User::Minimise(int clientWidth, int clientHeight) {
    Window *d = m_machine.FindWindowById(m_dialog);
    d->iconic = true;
    d->clientWidth = clientWidth;
    d->clientHeight = clientHeight;
}

void User::Paint() { Send(WM_PAINT); }

}  // namespace winsim
