#include "framework/afxwin.h"

const AFX_MSGMAP *CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP *CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY *CCmdTarget::FindEntry(const AFX_MSGMAP *map, UINT message, UINT code, UINT id) {
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY *e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage != message) continue;
            if (message == WM_COMMAND && (e->nCode != code || e->nID != id)) continue;
            return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, UINT nCode) {
    const AFX_MSGMAP_ENTRY *e = FindEntry(GetMessageMap(), WM_COMMAND, nCode, nID);
    if (!e || !e->pfn) return FALSE;
    (this->*e->pfn)();
    return TRUE;
}

CString &CString::operator=(LPCSTR text) {
    lstrcpynA(m_text, text ? text : "", static_cast<int>(sizeof m_text));
    return *this;
}

CWnd *CWnd::FromHandle(HWND hWnd) {
    // A few recycled wrappers, as the framework's temporary objects are: callers use the
    // pointer at once and never keep it.
    static CWnd wrappers[8];
    static unsigned next = 0;
    if (!hWnd) return nullptr;
    for (CWnd &wrapper : wrappers)
        if (wrapper.m_hWnd == hWnd) return &wrapper;
    CWnd &wrapper = wrappers[next++ % 8];
    wrapper = CWnd();
    wrapper.m_hWnd = hWnd;
    return &wrapper;
}

CWnd *CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

void CWnd::CenterWindow() {
    RECT window, area;
    ::GetWindowRect(m_hWnd, &window);
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0))
        area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult) {
    (void)lParam;
    UINT code = message == WM_COMMAND ? HIWORD(wParam) : 0;
    UINT id = message == WM_COMMAND ? LOWORD(wParam) : 0;
    const AFX_MSGMAP_ENTRY *e = FindEntry(GetMessageMap(), message, code, id);
    if (!e) {
        // Commands nobody in the window takes go to the application, as Help does.
        if (message == WM_COMMAND && AfxGetApp() && AfxGetApp()->OnCmdMsg(id, code)) {
            *pResult = 0;
            return TRUE;
        }
        return FALSE;
    }
    m_bDefault = FALSE;
    if (e->pfnCursor)
        *pResult = reinterpret_cast<LRESULT>((this->*e->pfnCursor)());
    else
        (this->*e->pfn)();
    return !m_bDefault;
}

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl) {
    if (!rControl.m_hWnd) rControl.m_hWnd = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
}
