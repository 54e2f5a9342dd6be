// Drives Setup.exe on a real Win32 implementation as a person would, and writes down what a
// person would see, one "key=value" line each, for the runner to compare with its table.
//
//   driver.exe REPORT SCREENS SETUP_EXE STEP...     run Setup.exe and act out the steps
//   driver.exe --witness LOG                         a top-level window that notes the
//                                                    session-end query of a restart
//
// Steps: view NAME | click ID | esc | close | box | no-box | window | restart | no-restart |
//        end | wait (for a person to close it) | insert MEDIUM-PATH | machine | platform |
//        relaunch (start the program again, as after a restart; boxes then are runN.boxM) |
//        unattended ARGUMENTS (run the program with ARGUMENTS, watching that no window of it
//        ever shows, until it ends; as the first step, the program is not started before) |
//        log PATH (the lines of a log file on the machine)
#include <windows.h>
#include <commctrl.h>
#include <share.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "e2e/platform_facts.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

FILE *g_report = nullptr;
std::string g_screens;
std::string g_witnessLog;
PROCESS_INFORMATION g_setup = {};
PROCESS_INFORMATION g_witness = {};
HWND g_dialog = nullptr;
int g_boxes = 0;
int g_launch = 1;  // counts the program's starts, so that each start's facts have their own names

// A fact of the current start of the program: "restart" on the first, "run2.restart" after.
std::string Named(const std::string &key) {
    return (g_launch > 1 ? "run" + std::to_string(g_launch) + "." : "") + key;
}
std::string g_setupExe;
DWORD g_started = 0;

void Report(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(g_report, format, args);
    va_end(args);
    fputc('\n', g_report);
    fflush(g_report);
}

std::string TextOf(HWND hwnd) {
    char text[512] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 3000, &length);
    return text;
}

std::string ClassOf(HWND hwnd) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

bool SetupRunning() { return WaitForSingleObject(g_setup.hProcess, 0) == WAIT_TIMEOUT; }

// Waits until the program's thread has handled everything posted to it so far: it is then idle
// in its dialog, showing a box, or gone. A marker posted behind the last step tells: a new typing
// limit for the read-only Caption field, which no one types into and the program never reads.
void Settle() {
    HWND marker = g_dialog ? GetDlgItem(g_dialog, 1010) : nullptr;
    static WPARAM markers = 0;
    WPARAM limit = 0x10000 + ++markers;
    if (!marker || !PostMessageA(marker, EM_SETLIMITTEXT, limit, 0)) return;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(5)) {
        DWORD_PTR seen = 0;
        if (!SetupRunning() || !IsWindow(marker)) return;
        if (SendMessageTimeoutA(marker, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 1000, &seen) && seen == limit)
            return;
    }
    Report("busy=the program did not come back to its messages within 30 s");
}

struct Search {
    DWORD pid;
    HWND exclude;
    const char *title;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lParam) {
    Search *s = reinterpret_cast<Search *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || hwnd == s->exclude || !IsWindowVisible(hwnd)) return TRUE;
    if (ClassOf(hwnd) != "#32770") return TRUE;
    char title[128] = "";
    GetWindowTextA(hwnd, title, sizeof title);
    if (s->title && strcmp(title, s->title) != 0) return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND WaitForWindow(const char *title, HWND exclude, DWORD milliseconds) {
    for (DWORD start = GetTickCount();; Sleep(10)) {
        Search s = {g_setup.dwProcessId, exclude, title, nullptr};
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
        if (s.found) return s.found;
        if (!SetupRunning() || GetTickCount() - start > milliseconds) return nullptr;
    }
}

void SaveScreen(HWND hwnd, const std::string &name) {
    RECT r;
    if (g_screens.empty() || !GetWindowRect(hwnd, &r)) return;
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD stride = ((w * 3) + 3) & ~3;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + stride * h;
    std::string path = g_screens + "\\" + name + ".bmp";
    if (FILE *out = fopen(path.c_str(), "wb")) {
        fwrite(&file, sizeof file, 1, out);
        fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        fwrite(bits, stride, h, out);
        fclose(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// A picture of a screen area, or of an icon drawn on a plain background, as 32-bit pixels.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> data;
    DWORD At(int x, int y) const { return data[y * width + x] & 0xFFFFFF; }
};

Pixels Capture(HDC source, int left, int top, int width, int height) {
    Pixels p;
    p.width = width;
    p.height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, left, top, SRCCOPY);
    GdiFlush();
    p.data.assign(static_cast<DWORD *>(bits), static_cast<DWORD *>(bits) + width * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return p;
}

// Waits until a window of the program has painted and its picture on the screen holds still,
// so that what is read from the screen is what a person sees.
void WaitDrawn(HWND hwnd) {
    RECT r;
    // What is left to paint is painted now, in the program's thread, before this returns.
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD_PTR ignored;
    SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    if (!GetWindowRect(hwnd, &r) || r.right <= r.left || r.bottom <= r.top) return;
    HDC screen = GetDC(nullptr);
    Pixels last = Capture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
    for (int looks = 0; looks < 100; ++looks) {
        Sleep(10);
        Pixels now = Capture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (now.data == last.data) break;
        last = now;
    }
    ReleaseDC(nullptr, screen);
}

Pixels DrawnIcon(HICON icon, int size, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ old = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, size, size};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    Pixels p = Capture(memory, 0, 0, size, size);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return p;
}

// How much of an icon's opaque part appears somewhere in a screen area, from 0 to 1.
double IconMatch(const RECT &area, HICON icon, int size) {
    int width = area.right - area.left, height = area.bottom - area.top;
    if (!icon || width < size || height < size) return 0;
    HDC screen = GetDC(nullptr);
    Pixels shown = Capture(screen, area.left, area.top, width, height);
    ReleaseDC(nullptr, screen);
    Pixels onBlack = DrawnIcon(icon, size, RGB(0, 0, 0));
    Pixels onWhite = DrawnIcon(icon, size, RGB(255, 255, 255));
    double best = 0;
    for (int dy = 0; dy + size <= height; ++dy) {
        for (int dx = 0; dx + size <= width; ++dx) {
            int opaque = 0, same = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    if (onBlack.At(x, y) != onWhite.At(x, y)) continue;
                    ++opaque;
                    same += shown.At(dx + x, dy + y) == onBlack.At(x, y);
                }
            }
            if (opaque && static_cast<double>(same) / opaque > best) best = static_cast<double>(same) / opaque;
        }
    }
    return best;
}

// Which of the system's message-box icons is shown, judged by its pixels on the screen.
std::string IconName(HWND iconControl) {
    RECT r;
    if (!iconControl || !GetWindowRect(iconControl, &r)) return "none";
    struct {
        const char *name;
        LPCSTR id;
    } candidates[] = {{"hand", IDI_HAND},
                      {"question", IDI_QUESTION},
                      {"exclamation", IDI_EXCLAMATION},
                      {"asterisk", IDI_ASTERISK}};
    // The picture is read again for a while if it is not yet recognised.
    std::string best = "unknown";
    for (DWORD start = GetTickCount(); best == "unknown" && GetTickCount() - start < 2000; Sleep(20)) {
        double bestMatch = 0.9;
        for (const auto &c : candidates) {
            double match = IconMatch(r, LoadIconA(nullptr, c.id), GetSystemMetrics(SM_CXICON));
            if (match > bestMatch) {
                bestMatch = match;
                best = c.name;
            }
        }
    }
    return best;
}

// Whether the program's own icon is drawn at the left of the window's caption.
bool CaptionShowsProgramIcon(const std::string &exe) {
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return false;
    int size = GetSystemMetrics(SM_CXSMICON);
    HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(128), IMAGE_ICON, size, size, 0));
    RECT r;
    GetWindowRect(g_dialog, &r);
    RECT caption = {r.left, r.top, r.left + 3 * size, r.top + 2 * size};
    double match = IconMatch(caption, icon, size);
    for (DWORD start = GetTickCount(); match <= 0.75 && GetTickCount() - start < 2000; Sleep(20))
        match = IconMatch(caption, icon, size);
    Report("window.iconmatch=%d%%", static_cast<int>(match * 100));
    DestroyIcon(icon);
    FreeLibrary(module);
    // The system may scale or re-quantise the small image; a stray caption matches far less.
    return match > 0.75;
}

const int ControlIds[] = {1000, 1001, 1002, 1004, 1005, 1006, 1008, 1010, 1011, 1012};

void View(const std::string &name) {
    WaitDrawn(g_dialog);
    std::string visible;
    for (int id : ControlIds) {
        if (IsWindowVisible(GetDlgItem(g_dialog, id))) {
            if (!visible.empty()) visible += ' ';
            visible += std::to_string(id);
        }
    }
    Report("%s.visible=%s", name.c_str(), visible.c_str());
    for (int id : {1010, 1011, 1012})
        Report("%s.text.%d=%s", name.c_str(), id, TextOf(GetDlgItem(g_dialog, id)).c_str());
    DWORD_PTR value = 0;
    SendMessageTimeoutA(GetDlgItem(g_dialog, 1006), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &value);
    Report("%s.progress=%d", name.c_str(), static_cast<int>(value));
    for (int id : {1004, 1005}) {
        SendMessageTimeoutA(GetDlgItem(g_dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &value);
        Report("%s.check.%d=%d", name.c_str(), id, static_cast<int>(value));
    }
    SaveScreen(g_dialog, name);
}

void WindowFacts() {
    char caption[64] = "";
    GetWindowTextA(g_dialog, caption, sizeof caption);
    Report("window.caption=%s", caption);
    RECT r;
    GetWindowRect(g_dialog, &r);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    int dx = (r.left + r.right) - sw, dy = (r.top + r.bottom) - sh;
    Report("window.centred=%s", (dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2) ? "yes" : "no");
    Report("window.rect=%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
    LONG style = GetWindowLongA(g_dialog, GWL_STYLE);
    LONG exStyle = GetWindowLongA(g_dialog, GWL_EXSTYLE);
    Report("window.minimizebox=%s", (style & WS_MINIMIZEBOX) ? "yes" : "no");
    Report("window.maximizebox=%s", (style & WS_MAXIMIZEBOX) ? "yes" : "no");
    Report("window.appwindow=%s", (exStyle & WS_EX_APPWINDOW) ? "yes" : "no");
    Report("window.icon=%s", CaptionShowsProgramIcon(g_setupExe) ? "yes" : "no");
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(g_setup.dwThreadId, &gui);
    Report("window.focus=%d", gui.hwndFocus ? GetDlgCtrlID(gui.hwndFocus) : 0);
    for (int id : ControlIds) {
        HWND c = GetDlgItem(g_dialog, id);
        Report("control.%d=%s 0x%08lX 0x%lX", id, ClassOf(c).c_str(),
               static_cast<unsigned long>(GetWindowLongA(c, GWL_STYLE)),
               static_cast<unsigned long>(GetWindowLongA(c, GWL_EXSTYLE)));
    }
}

struct BoxParts {
    std::string text;
    std::string buttons;
    HWND icon = nullptr;
    HWND ok = nullptr;
};

BOOL CALLBACK CollectBoxParts(HWND hwnd, LPARAM lParam) {
    BoxParts *parts = reinterpret_cast<BoxParts *>(lParam);
    std::string cls = ClassOf(hwnd);
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
        parts->icon = hwnd;
    } else if (cls == "Static") {
        std::string t = TextOf(hwnd);
        if (!t.empty()) parts->text += t;
    } else if (cls == "Button") {
        if (!parts->buttons.empty()) parts->buttons += ' ';
        parts->buttons += TextOf(hwnd);
        if (GetDlgCtrlID(hwnd) == IDOK) parts->ok = hwnd;
    }
    return TRUE;
}

void Box(bool expected) {
    HWND box;
    if (expected) {
        box = WaitForWindow(nullptr, g_dialog, 15000);
    } else {
        // A box opens within the step that causes it: once the program is idle, a short look
        // is enough.
        Settle();
        box = WaitForWindow(nullptr, g_dialog, 100);
    }
    if (!box) {
        if (expected) Report("box=none");
        return;
    }
    ++g_boxes;
    WaitDrawn(box);
    char caption[128] = "";
    GetWindowTextA(box, caption, sizeof caption);
    BoxParts parts;
    EnumChildWindows(box, CollectBoxParts, reinterpret_cast<LPARAM>(&parts));
    DWORD_PTR pos = 0;
    SendMessageTimeoutA(GetDlgItem(g_dialog, 1006), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &pos);
    std::string name = Named("box" + std::to_string(g_boxes));
    Report("%s.caption=%s", name.c_str(), caption);
    Report("%s.text=%s", name.c_str(), parts.text.c_str());
    Report("%s.icon=%s", name.c_str(), IconName(parts.icon).c_str());
    Report("%s.buttons=%s", name.c_str(), parts.buttons.c_str());
    Report("%s.owner=%s", name.c_str(), GetWindow(box, GW_OWNER) == g_dialog ? "dialog" : "other");
    Report("%s.progress=%d", name.c_str(), static_cast<int>(pos));
    SaveScreen(box, name);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(parts.ok));
    Settle();
}

bool WitnessSawRestart() {
    if (FILE *log = fopen(g_witnessLog.c_str(), "r")) {
        char line[128];
        bool seen = false;
        while (fgets(line, sizeof line, log))
            if (strstr(line, "WM_QUERYENDSESSION")) seen = true;
        fclose(log);
        return seen;
    }
    return false;
}

// Whether Wine's session-end helper is at work: a restart request starts it and it then queries
// every window, the witness's among them.
bool EndingSession() {
    HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(all, &entry); more && !found; more = Process32Next(all, &entry))
        found = _stricmp(entry.szExeFile, "wineboot.exe") == 0;
    CloseHandle(all);
    return found;
}

// Waits until Wine's session-end helper has finished with the machine's processes: a program
// started while it is at work is refused (CreateProcess fails with 1359).
void WaitSessionEnded() {
    for (DWORD start = GetTickCount(); EndingSession() && GetTickCount() - start < 20000;) Sleep(10);
}

// A restart was requested if the witness was asked to end the session. The request is made
// before the program goes idle, so without the helper at work a short look decides "no".
bool RestartRequested(bool expected) {
    if (!expected) Settle();
    for (DWORD start = GetTickCount(), bound = expected ? 20000 : 200;; Sleep(10)) {
        if (WitnessSawRestart()) return true;
        if (!expected && EndingSession()) bound = 20000;
        if (GetTickCount() - start > bound) return false;
    }
}

// The files the medium holds, so that an installed file can be named by its source.
const char *const MediumFiles[] = {"\\95-98\\95drv.exe", "\\95-98\\ide\\95drv.vxd", "\\95-98\\scsi\\95drv.vxd",
                                   "\\NT\\ZIV.sys", "\\Vave_R.exe", "\\RizoZezu.lnk", "\\FCHK1.DAT"};

bool ReadWhole(const std::string &path, std::string &bytes) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    bytes.clear();
    for (int c; (c = getc(f)) != EOF;) bytes += static_cast<char>(c);
    fclose(f);
    return true;
}

std::string Escaped(const std::string &bytes) {
    std::string out;
    char b[8];
    for (unsigned char c : bytes) {
        if (c == '\\') out += "\\\\";
        else if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c < 32 || c > 126 || c == ';') {
            snprintf(b, sizeof b, "\\x%02X", c);
            out += b;
        } else out += static_cast<char>(c);
    }
    return out;
}

// A file as it stands: absent, a copy of a medium file, or its (escaped) bytes.
std::string Describe(const std::string &path, const std::string &medium) {
    std::string bytes, source;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "absent";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "folder";
    if (!ReadWhole(path, bytes)) return "unreadable";
    for (const char *file : MediumFiles)
        if (ReadWhole(medium + file, source) && source == bytes) return std::string("from ") + file;
    return Escaped(bytes);
}

void RegistryFacts(const char *label, const char *path, const char *const *values, int count) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        Report("reg.%s=absent", label);
        return;
    }
    Report("reg.%s=present", label);
    for (int i = 0; i < count; ++i) {
        BYTE data[256];
        DWORD type = 0, size = sizeof data;
        if (RegQueryValueExA(key, values[i], nullptr, &type, data, &size) != ERROR_SUCCESS) {
            Report("reg.%s.%s=absent", label, values[i]);
            continue;
        }
        std::string hex;
        char b[4];
        for (DWORD k = 0; k < size; ++k) {
            snprintf(b, sizeof b, k ? " %02X" : "%02X", data[k]);
            hex += b;
        }
        Report("reg.%s.%s=type %lu size %lu data %s", label, values[i], static_cast<unsigned long>(type),
               static_cast<unsigned long>(size), hex.c_str());
    }
    RegCloseKey(key);
}

// What the program may have changed on the machine, as Windows shows it.
void MachineFacts(const std::string &medium) {
    char system[MAX_PATH], programs[MAX_PATH] = "", windows[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    GetWindowsDirectoryA(windows, sizeof windows);
    SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE);
    const std::string sys = system, prog = programs;
    const struct {
        const char *label;
        std::string path;
    } files[] = {
        {"ltdrv", "c:\\ltdrv"},
        {"ltdrv\\95drv.exe", "c:\\ltdrv\\95drv.exe"},
        {"ltdrv\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe"},
        {"programs\\RizoZezu.lnk", prog + "\\RizoZezu.lnk"},
        {"programs\\RizoZezu.exe", prog + "\\RizoZezu.exe"},
        {"system\\iosubsys\\95drv.vxd", sys + "\\iosubsys\\95drv.vxd"},
        {"system\\SCSIDRV.SYS", sys + "\\SCSIDRV.SYS"},
        {"system\\SCSIDRV.VXD", sys + "\\SCSIDRV.VXD"},
        {"system\\drivers\\ZIV.sys", sys + "\\drivers\\ZIV.sys"},
        {"d\\pagefile.sys", "d:\\pagefile.sys"},
        {"config.sys", "c:\\config.sys"},
        {"config.sss", "c:\\CONFIG.SSS"},
    };
    for (const auto &f : files) Report("file.%s=%s", f.label, Describe(f.path, medium).c_str());
    for (const char *key : {"PagingDrive", "MaxPagingFileSize"}) {
        char value[64];
        GetPrivateProfileStringA("386Enh", key, "(absent)", value, sizeof value, "system.ini");
        Report("system.ini.%s=%s", key, value);
    }
    RegistryFacts("marker", "system\\Restore Card", nullptr, 0);
    static const char *const ziv[] = {"ErrorControl", "Type", "Start"};
    RegistryFacts("ziv", "SYSTEM\\CurrentControlSet\\Services\\ZIV", ziv, 3);
    static const char *const scvxd[] = {"Start", "StaticVxD"};
    RegistryFacts("scvxd", "System\\CurrentControlSet\\Services\\VxD\\SCVXD", scvxd, 2);
}

void End() {
    DWORD code = 0;
    if (WaitForSingleObject(g_setup.hProcess, 10000) == WAIT_TIMEOUT) {
        Report("exit=running");
        TerminateProcess(g_setup.hProcess, 1);
        return;
    }
    GetExitCodeProcess(g_setup.hProcess, &code);
    Report("exit=%lu", static_cast<unsigned long>(code));
}

LRESULT CALLBACK WitnessProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION || message == WM_ENDSESSION) {
        if (FILE *log = fopen(g_witnessLog.c_str(), "a")) {
            fprintf(log, "%s wParam=%lu lParam=0x%lX\n",
                    message == WM_QUERYENDSESSION ? "WM_QUERYENDSESSION" : "WM_ENDSESSION",
                    static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
            fclose(log);
        }
        return TRUE;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int Witness() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WitnessProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SetupRestartWitness";
    RegisterClassA(&wc);
    CreateWindowA(wc.lpszClassName, "witness", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                  wc.hInstance, nullptr);
    if (FILE *log = fopen(g_witnessLog.c_str(), "a")) {
        fputs("ready\n", log);
        fclose(log);
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

bool StartWitness() {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = std::string("\"") + self + "\" --witness \"" + g_witnessLog + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &g_witness))
        return false;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(10)) {
        if (FILE *log = fopen(g_witnessLog.c_str(), "r")) {
            fclose(log);
            return true;
        }
    }
    return false;
}

bool StartSetup(const std::string &exe) {
    std::string directory = exe.substr(0, exe.find_last_of('\\') + 1);
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    // Under load, Wine now and then ends a freshly started program before its first window; a
    // second start is made then, and the report says so.
    for (int attempt = 1;; ++attempt) {
        if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &si,
                            &g_setup)) {
            Report("launch=failed %lu", static_cast<unsigned long>(GetLastError()));
            return false;
        }
        g_dialog = WaitForWindow("Setup", nullptr, 30000);
        if (g_dialog) break;
        DWORD code = 0;
        bool ended = !SetupRunning() && GetExitCodeProcess(g_setup.hProcess, &code);
        Report("launch=no dialog%s, exit %lu", ended ? "" : " in 30 s", static_cast<unsigned long>(code));
        if (!ended || attempt == 2) return false;
        CloseHandle(g_setup.hProcess);
        CloseHandle(g_setup.hThread);
    }
    WaitForInputIdle(g_setup.hProcess, 10000);
    Settle();
    WaitDrawn(g_dialog);
    Report("launch=ok at %lu ms", static_cast<unsigned long>(GetTickCount() - g_started));
    return true;
}

struct Shown {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindShown(HWND hwnd, LPARAM lParam) {
    Shown *s = reinterpret_cast<Shown *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
    s->found = hwnd;
    return FALSE;
}

// A visible top-level window of the program, whatever its class, or null.
HWND VisibleWindowOfSetup() {
    Shown shown = {g_setup.dwProcessId, nullptr};
    EnumWindows(FindShown, reinterpret_cast<LPARAM>(&shown));
    return shown.found;
}

// Runs the program with `arguments` from the medium and looks for a window of it as often as
// it can until the program ends; then its exit code.
void Unattended(const std::string &arguments) {
    if (g_setup.hProcess) {
        // A later run: a new start, with its own witness of a restart.
        WaitSessionEnded();
        CloseHandle(g_setup.hProcess);
        CloseHandle(g_setup.hThread);
        ++g_launch;
        if (g_witness.hProcess) TerminateProcess(g_witness.hProcess, 0);
        DeleteFileA(g_witnessLog.c_str());
        if (!StartWitness()) Report("witness=failed");
    }
    std::string directory = g_setupExe.substr(0, g_setupExe.find_last_of('\\') + 1);
    std::string command = "\"" + g_setupExe + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &si,
                        &g_setup)) {
        Report("%s=failed %lu", Named("unattended.launch").c_str(), static_cast<unsigned long>(GetLastError()));
        return;
    }
    std::string windows = "none";
    // A program that shows a window waits for a person: it gets two seconds more, not two minutes.
    DWORD limit = GetTickCount() + 120000;
    while (WaitForSingleObject(g_setup.hProcess, 5) == WAIT_TIMEOUT && static_cast<LONG>(GetTickCount() - limit) < 0) {
        HWND shown = VisibleWindowOfSetup();
        if (shown && windows == "none") {
            char title[128] = "";
            GetWindowTextA(shown, title, sizeof title);
            windows = ClassOf(shown) + " " + title;
            WaitDrawn(shown);  // painted before its picture is taken
            SaveScreen(shown, Named("unattended-window"));
            limit = GetTickCount() + 2000;
        }
    }
    Report("%s=%s", Named("unattended.windows").c_str(), windows.c_str());
    DWORD code = 0;
    if (SetupRunning()) {
        Report("%s=running", Named("unattended.exit").c_str());
        TerminateProcess(g_setup.hProcess, 1);
        return;
    }
    GetExitCodeProcess(g_setup.hProcess, &code);
    Report("%s=%lu", Named("unattended.exit").c_str(), static_cast<unsigned long>(code));
}

// The log's lines as they are on the machine, and whether each ends with CR LF.
void LogFacts(const std::string &path) {
    std::string bytes;
    if (!ReadWhole(path, bytes)) {
        Report("log=absent");
        return;
    }
    int number = 0;
    bool crlf = true;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (line.empty() || line.back() != '\r') crlf = false;
        else line.pop_back();
        Report("log.%d=%s", ++number, Escaped(line).c_str());
        start = end + 1;
    }
    Report("log.lines=%d", number);
    Report("log.crlf=%s", crlf ? "yes" : "no");
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 3 && strcmp(argv[1], "--witness") == 0) {
        g_witnessLog = argv[2];
        return Witness();
    }
    if (argc < 4) {
        fprintf(stderr, "usage: driver REPORT SCREENS SETUP_EXE STEP...\n");
        return 2;
    }
    g_report = fopen(argv[1], "w");
    if (!g_report) return 2;
    g_screens = argv[2];
    g_started = GetTickCount();
    g_witnessLog = std::string(argv[1]) + ".witness";
    DeleteFileA(g_witnessLog.c_str());
    if (!StartWitness()) Report("witness=failed");
    g_setupExe = argv[3];
    bool unattended = argc > 4 && strcmp(argv[4], "unattended") == 0;
    if (!unattended && !StartSetup(g_setupExe)) {
        if (g_witness.hProcess) TerminateProcess(g_witness.hProcess, 0);
        if (SetupRunning()) TerminateProcess(g_setup.hProcess, 1);
        return 1;
    }
    for (int i = 4; i < argc; ++i) {
        std::string step = argv[i];
        std::string arg = i + 1 < argc ? argv[i + 1] : "";
        Report("step=%s at %lu ms", step.c_str(), static_cast<unsigned long>(GetTickCount() - g_started));
        if (step == "view") {
            View(arg), ++i;
        } else if (step == "click") {
            PostMessageA(GetDlgItem(g_dialog, atoi(arg.c_str())), BM_CLICK, 0, 0), ++i;
            Settle();
        } else if (step == "esc") {
            GUITHREADINFO gui = {};
            gui.cbSize = sizeof gui;
            GetGUIThreadInfo(g_setup.dwThreadId, &gui);
            PostMessageA(gui.hwndFocus ? gui.hwndFocus : g_dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            PostMessageA(gui.hwndFocus ? gui.hwndFocus : g_dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
            Settle();
        } else if (step == "close") {
            PostMessageA(g_dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            Settle();
        } else if (step == "box") {
            Box(true);
        } else if (step == "no-box") {
            Box(false);
        } else if (step == "window") {
            WindowFacts();
        } else if (step == "restart") {
            Report("%s=%s", Named("restart").c_str(), RestartRequested(true) ? "yes" : "no");
        } else if (step == "no-restart") {
            Report("%s=%s", Named("restart").c_str(), RestartRequested(false) ? "yes" : "no");
        } else if (step == "relaunch") {
            // The machine has restarted: the program is started again from the medium.
            if (SetupRunning()) TerminateProcess(g_setup.hProcess, 1);
            Report("%s=%d", Named("boxes").c_str(), g_boxes);
            CloseHandle(g_setup.hProcess);
            CloseHandle(g_setup.hThread);
            g_dialog = nullptr;
            g_boxes = 0;
            ++g_launch;
            WaitSessionEnded();
            if (g_witness.hProcess) TerminateProcess(g_witness.hProcess, 0);
            DeleteFileA(g_witnessLog.c_str());
            if (!StartWitness()) Report("witness=failed");
            if (!StartSetup(g_setupExe)) break;
        } else if (step == "insert") {
            // The medium file the scenario kept aside comes back, as with the right disc.
            std::string medium = g_setupExe.substr(0, g_setupExe.find_last_of('\\'));
            BOOL moved = MoveFileA((medium + arg + ".away").c_str(), (medium + arg).c_str());
            Report("insert=%s", moved ? "ok" : "failed");
            ++i;
        } else if (step == "machine") {
            MachineFacts(g_setupExe.substr(0, g_setupExe.find_last_of('\\')));
        } else if (step == "platform") {
            PlatformFacts([](const char *key, const char *value) { Report("%s=%s", key, value); });
        } else if (step == "unattended") {
            Unattended(arg), ++i;
        } else if (step == "log") {
            LogFacts(arg), ++i;
        } else if (step == "wait") {
            WaitForSingleObject(g_setup.hProcess, INFINITE);
        } else if (step == "end") {
            End();
        } else {
            Report("error=unknown step %s", step.c_str());
        }
    }
    Report("%s=%d", Named("boxes").c_str(), g_boxes);
    if (SetupRunning()) {
        Report("exit=running");
        TerminateProcess(g_setup.hProcess, 1);
    }
    // The witness would keep the Wine machine running; it has said what it saw.
    if (g_witness.hProcess) TerminateProcess(g_witness.hProcess, 0);
    Report("done=yes");
    fclose(g_report);
    return 0;
}
