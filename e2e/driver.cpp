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
//        ever shows, until it ends; as the first step, the program is not started before; a word
//        short:PATH is PATH in this machine's 8.3 aliases) |
//        log PATH (the lines of a log file on the machine) | from FOLDER (as the first step: the
//        folder the program is started in, instead of the medium's root)
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "app/resource.h"
#include "e2e/capture.h"
#include "e2e/hex.h"
#include "e2e/platform_facts.h"
#include "medium/layout.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

// How long the driver waits for the program and for Wine.
constexpr DWORD ReplyMs = 2000;            // a window's answer to one message
constexpr DWORD SettleMs = 30000;          // the program back at its messages after a step
constexpr DWORD FirstWindowMs = 30000;     // the dialog after a start
constexpr DWORD ProcessMs = 10000;         // a process ready for input, or ended
constexpr DWORD BoxMs = 15000;             // a message box the step should open
constexpr DWORD NoBoxLookMs = 100;         // a box that should not open, once the program is idle
constexpr DWORD SessionEndMs = 20000;      // Wine's session-end helper at work after a restart
constexpr DWORD RestartMs = 45000;         // a restart that should come: Wine may be slow under load
constexpr DWORD NoRestartLookMs = 200;     // a restart that should not come, once the program is idle
constexpr DWORD UnattendedMs = 120000;     // an unattended run
constexpr DWORD UnattendedShownMs = 2000;  // an unattended run that showed a window, after it did

const int ControlIds[] = {IDC_EXIT,     IDC_INSTALL, IDC_UNINSTALL,       IDC_IDE,           IDC_SCSI,
                          IDC_PROGRESS, IDC_NEXT,    IDC_VERSION_CAPTION, IDC_VERSION_LABEL, IDC_PROMPT};

// The driver's one run: where it writes, and the program as it is now.
struct {
    FILE *report = nullptr;
    std::string screens;
    std::string witnessLog;
    std::string setupExe;
    std::string medium;   // the drive Setup.exe starts from, "E:"
    std::string startIn;  // the folder it is started in, the medium's root unless a step said
    PROCESS_INFORMATION setup = {};
    PROCESS_INFORMATION witness = {};
    HWND dialog = nullptr;
    int boxes = 0;
    int launch = 1;     // counts the program's starts, so that each start's facts have their own names
    bool lost = false;  // a relaunch found no dialog: the steps end
    DWORD started = 0;
} g_run;

// A fact of the current start of the program: "restart" on the first, "run2.restart" after.
std::string Named(const std::string &key) {
    return (g_run.launch > 1 ? "run" + std::to_string(g_run.launch) + "." : "") + key;
}

void Report(const char *format, ...) {
    va_list args;
    va_start(args, format);
    vfprintf(g_run.report, format, args);
    va_end(args);
    fputc('\n', g_run.report);
    fflush(g_run.report);
}

DWORD_PTR Ask(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, ReplyMs, &answer);
    return answer;
}

std::string TextOf(HWND hwnd) {
    char text[512] = "";
    Ask(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string ClassOf(HWND hwnd) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string TitleOf(HWND hwnd) {
    char title[128] = "";
    GetWindowTextA(hwnd, title, sizeof title);
    return title;
}

bool SetupRunning() { return WaitForSingleObject(g_run.setup.hProcess, 0) == WAIT_TIMEOUT; }

void SaveScreenAs(HWND hwnd, const std::string &name) {
    if (!g_run.screens.empty()) SaveScreen(hwnd, g_run.screens + "\\" + name + ".bmp");
}

// Waits until the program's thread has handled everything posted to it so far: it is then idle
// in its dialog, showing a box, or gone. A marker posted behind the last step tells: a new typing
// limit for the read-only Caption field, which no one types into and the program never reads.
void Settle() {
    HWND marker = g_run.dialog ? GetDlgItem(g_run.dialog, IDC_VERSION_CAPTION) : nullptr;
    static WPARAM markers = 0;
    WPARAM limit = 0x10000 + ++markers;
    if (!marker || !PostMessageA(marker, EM_SETLIMITTEXT, limit, 0)) return;
    for (DWORD start = GetTickCount(); GetTickCount() - start < SettleMs; Sleep(5)) {
        if (!SetupRunning() || !IsWindow(marker)) return;
        if (Ask(marker, EM_GETLIMITTEXT) == limit) return;
    }
    Report("busy=the program did not come back to its messages within %lu s",
           static_cast<unsigned long>(SettleMs / 1000));
}

struct Search {
    DWORD pid;
    HWND exclude;
    const char *title;  // null: any
    bool dialogsOnly;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lParam) {
    Search *s = reinterpret_cast<Search *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != s->pid || hwnd == s->exclude || !IsWindowVisible(hwnd)) return TRUE;
    if (s->dialogsOnly && ClassOf(hwnd) != "#32770") return TRUE;
    if (s->title && TitleOf(hwnd) != s->title) return TRUE;
    s->found = hwnd;
    return FALSE;
}

// A visible top-level window of the program: a dialog (with that title, if given), or any.
HWND WindowOfSetup(const char *title, HWND exclude, bool dialogsOnly) {
    Search s = {g_run.setup.dwProcessId, exclude, title, dialogsOnly, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitForWindow(const char *title, HWND exclude, DWORD milliseconds) {
    for (DWORD start = GetTickCount();; Sleep(10)) {
        if (HWND found = WindowOfSetup(title, exclude, true)) return found;
        if (!SetupRunning() || GetTickCount() - start > milliseconds) return nullptr;
    }
}

void View(const std::string &name) {
    WaitDrawn(g_run.dialog);
    std::string visible;
    for (int id : ControlIds) {
        if (IsWindowVisible(GetDlgItem(g_run.dialog, id))) {
            if (!visible.empty()) visible += ' ';
            visible += std::to_string(id);
        }
    }
    Report("%s.visible=%s", name.c_str(), visible.c_str());
    for (int id : {IDC_VERSION_CAPTION, IDC_VERSION_LABEL, IDC_PROMPT})
        Report("%s.text.%d=%s", name.c_str(), id, TextOf(GetDlgItem(g_run.dialog, id)).c_str());
    Report("%s.progress=%d", name.c_str(), static_cast<int>(Ask(GetDlgItem(g_run.dialog, IDC_PROGRESS), PBM_GETPOS)));
    for (int id : {IDC_IDE, IDC_SCSI})
        Report("%s.check.%d=%d", name.c_str(), id, static_cast<int>(Ask(GetDlgItem(g_run.dialog, id), BM_GETCHECK)));
    SaveScreenAs(g_run.dialog, name);
}

int FocusedControl() {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(g_run.setup.dwThreadId, &gui);
    return gui.hwndFocus ? GetDlgCtrlID(gui.hwndFocus) : 0;
}

void WindowFacts() {
    HWND dialog = g_run.dialog;
    Report("window.caption=%s", TitleOf(dialog).c_str());
    RECT r;
    GetWindowRect(dialog, &r);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    int dx = (r.left + r.right) - sw, dy = (r.top + r.bottom) - sh;
    Report("window.centred=%s", (dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2) ? "yes" : "no");
    Report("window.rect=%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    Report("window.minimizebox=%s", (style & WS_MINIMIZEBOX) ? "yes" : "no");
    Report("window.maximizebox=%s", (style & WS_MAXIMIZEBOX) ? "yes" : "no");
    Report("window.appwindow=%s", (exStyle & WS_EX_APPWINDOW) ? "yes" : "no");
    double match = CaptionIconMatch(dialog, g_run.setupExe, IDR_MAINFRAME);
    Report("window.iconmatch=%d%%", static_cast<int>(match * 100));
    // The system may scale or re-quantise the small image; a stray caption matches far less.
    Report("window.icon=%s", match > 0.75 ? "yes" : "no");
    Report("window.focus=%d", FocusedControl());
    for (int id : ControlIds) {
        HWND c = GetDlgItem(dialog, id);
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
        parts->text += TextOf(hwnd);
    } else if (cls == "Button") {
        if (!parts->buttons.empty()) parts->buttons += ' ';
        parts->buttons += TextOf(hwnd);
        if (GetDlgCtrlID(hwnd) == IDOK) parts->ok = hwnd;
    }
    return TRUE;
}

void Box(bool expected) {
    // A box opens within the step that causes it: once the program is idle, a short look is
    // enough to tell that none did.
    if (!expected) Settle();
    HWND box = WaitForWindow(nullptr, g_run.dialog, expected ? BoxMs : NoBoxLookMs);
    if (!box) {
        if (expected) Report("box=none");
        return;
    }
    ++g_run.boxes;
    WaitDrawn(box);
    BoxParts parts;
    EnumChildWindows(box, CollectBoxParts, reinterpret_cast<LPARAM>(&parts));
    int progress = static_cast<int>(Ask(GetDlgItem(g_run.dialog, IDC_PROGRESS), PBM_GETPOS));
    std::string name = Named("box" + std::to_string(g_run.boxes));
    Report("%s.caption=%s", name.c_str(), TitleOf(box).c_str());
    Report("%s.text=%s", name.c_str(), parts.text.c_str());
    Report("%s.icon=%s", name.c_str(), MessageBoxIconName(parts.icon).c_str());
    Report("%s.buttons=%s", name.c_str(), parts.buttons.c_str());
    Report("%s.owner=%s", name.c_str(), GetWindow(box, GW_OWNER) == g_run.dialog ? "dialog" : "other");
    Report("%s.progress=%d", name.c_str(), progress);
    SaveScreenAs(box, name);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(parts.ok));
    Settle();
}

bool WitnessSawRestart() {
    FILE *log = fopen(g_run.witnessLog.c_str(), "r");
    if (!log) return false;
    char line[128];
    bool seen = false;
    while (fgets(line, sizeof line, log))
        if (strstr(line, "WM_QUERYENDSESSION")) seen = true;
    fclose(log);
    return seen;
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
    for (DWORD start = GetTickCount(); EndingSession() && GetTickCount() - start < SessionEndMs;) Sleep(10);
}

// A restart was requested if the witness was asked to end the session. The request is made
// before the program goes idle, so without the helper at work a short look decides "no".
bool RestartRequested(bool expected) {
    if (!expected) Settle();
    for (DWORD start = GetTickCount(), bound = expected ? RestartMs : NoRestartLookMs;; Sleep(10)) {
        if (WitnessSawRestart()) return true;
        if (!expected && EndingSession()) bound = SessionEndMs;
        if (GetTickCount() - start > bound) return false;
    }
}

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
    for (unsigned char c : bytes) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 32 || c > 126 || c == ';')
            out += "\\x" + HexByte(c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

// A medium path as the program names it: "\95-98\95drv.exe".
std::string MediumPath(const char *layoutPath) {
    std::string path = std::string("\\") + layoutPath;
    for (char &c : path)
        if (c == '/') c = '\\';
    return path;
}

// A file as it stands: absent, a copy of a medium file, or its (escaped) bytes.
std::string FileFact(const std::string &path) {
    std::string bytes, source;
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return "absent";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "folder";
    if (!ReadWhole(path, bytes)) return "unreadable";
    for (const MediumFile &file : MediumLayout()) {
        std::string name = MediumPath(file.path);
        if (ReadWhole(g_run.medium + name, source) && source == bytes) return "from " + name;
    }
    return Escaped(bytes);
}

void RegistryFacts(const char *label, const char *path, std::initializer_list<const char *> values) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        Report("reg.%s=absent", label);
        return;
    }
    Report("reg.%s=present", label);
    for (const char *value : values) {
        BYTE data[256];
        DWORD type = 0, size = sizeof data;
        if (RegQueryValueExA(key, value, nullptr, &type, data, &size) != ERROR_SUCCESS) {
            Report("reg.%s.%s=absent", label, value);
            continue;
        }
        Report("reg.%s.%s=type %lu size %lu data %s", label, value, static_cast<unsigned long>(type),
               static_cast<unsigned long>(size), Hex(std::string(reinterpret_cast<char *>(data), size)).c_str());
    }
    RegCloseKey(key);
}

// What the program may have changed on the machine, as Windows shows it.
void MachineFacts() {
    char system[MAX_PATH], programs[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
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
        {"config.sso", "c:\\CONFIG.SSO"},
        {"ltdrv\\~RCSETUP.TMP", "c:\\ltdrv\\~RCSETUP.TMP"},
        {"system\\~RCSETUP.TMP", sys + "\\~RCSETUP.TMP"},
        {"system\\drivers\\~RCSETUP.TMP", sys + "\\drivers\\~RCSETUP.TMP"},
    };
    for (const auto &f : files) Report("file.%s=%s", f.label, FileFact(f.path).c_str());
    for (const char *key : {"PagingDrive", "MaxPagingFileSize"}) {
        char value[64];
        GetPrivateProfileStringA("386Enh", key, "(absent)", value, sizeof value, "system.ini");
        Report("system.ini.%s=%s", key, value);
    }
    RegistryFacts("marker", "system\\Restore Card", {});
    RegistryFacts("ziv", "SYSTEM\\CurrentControlSet\\Services\\ZIV", {"ErrorControl", "Type", "Start"});
    RegistryFacts("scvxd", "System\\CurrentControlSet\\Services\\VxD\\SCVXD", {"Start", "StaticVxD"});
    RegistryFacts("record", "system\\Restore Card Swap File", {});
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
        if (line.empty() || line.back() != '\r')
            crlf = false;
        else
            line.pop_back();
        Report("log.%d=%s", ++number, Escaped(line).c_str());
        start = end + 1;
    }
    Report("log.lines=%d", number);
    Report("log.crlf=%s", crlf ? "yes" : "no");
}

void AppendToWitnessLog(const char *line) {
    if (FILE *log = fopen(g_run.witnessLog.c_str(), "a")) {
        fputs(line, log);
        fclose(log);
    }
}

LRESULT CALLBACK WitnessProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION || message == WM_ENDSESSION) {
        char line[128];
        snprintf(line, sizeof line, "%s wParam=%lu lParam=0x%lX\n",
                 message == WM_QUERYENDSESSION ? "WM_QUERYENDSESSION" : "WM_ENDSESSION",
                 static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
        AppendToWitnessLog(line);
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
    CreateWindowA(wc.lpszClassName, "witness", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    AppendToWitnessLog("ready\n");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

// A new witness for each start of the program: a restart ends the one before.
void StartWitness() {
    if (g_run.witness.hProcess) TerminateProcess(g_run.witness.hProcess, 0);
    DeleteFileA(g_run.witnessLog.c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = std::string("\"") + self + "\" --witness \"" + g_run.witnessLog + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &g_run.witness)) {
        for (DWORD start = GetTickCount(); GetTickCount() - start < ProcessMs; Sleep(10)) {
            if (FILE *log = fopen(g_run.witnessLog.c_str(), "r")) {
                fclose(log);
                return;
            }
        }
    }
    Report("witness=failed");
}

// Starts Setup.exe from the medium with `arguments`; false, reported, if it cannot be.
bool CreateSetup(const std::string &arguments, const char *fact) {
    std::string command = "\"" + g_run.setupExe + "\"" + arguments;
    std::string directory = g_run.startIn.empty() ? g_run.medium + "\\" : g_run.startIn;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(), &si, &g_run.setup))
        return true;
    Report("%s=failed %lu", fact, static_cast<unsigned long>(GetLastError()));
    return false;
}

// The program ended or was ended: a later start gets its own names and its own witness.
void NextLaunch() {
    CloseHandle(g_run.setup.hProcess);
    CloseHandle(g_run.setup.hThread);
    g_run.setup = {};
    g_run.dialog = nullptr;
    g_run.boxes = 0;
    ++g_run.launch;
    WaitSessionEnded();
    StartWitness();
}

bool StartSetup() {
    // Under load, Wine now and then ends a freshly started program before its first window; a
    // second start is made then, and the report says so.
    for (int attempt = 1;; ++attempt) {
        if (!CreateSetup("", "launch")) return false;
        g_run.dialog = WaitForWindow("Setup", nullptr, FirstWindowMs);
        if (g_run.dialog) break;
        DWORD code = 0;
        bool ended = !SetupRunning() && GetExitCodeProcess(g_run.setup.hProcess, &code);
        std::string late = ended ? "" : " in " + std::to_string(FirstWindowMs / 1000) + " s";
        Report("launch=no dialog%s, exit %lu", late.c_str(), static_cast<unsigned long>(code));
        if (!ended || attempt == 2) return false;
        CloseHandle(g_run.setup.hProcess);
        CloseHandle(g_run.setup.hThread);
    }
    WaitForInputIdle(g_run.setup.hProcess, ProcessMs);
    Settle();
    WaitDrawn(g_run.dialog);
    Report("launch=ok at %lu ms", static_cast<unsigned long>(GetTickCount() - g_run.started));
    return true;
}

// A word "short:PATH" of the arguments in the 8.3 aliases that this machine gives the names
// of PATH ("programs\\..." in the Start menu's Programs folder); a last name that is not there
// keeps its spelling after its folder's aliases.
std::string SpelledShort(std::string arguments) {
    for (size_t at; (at = arguments.find("short:")) != std::string::npos;) {
        size_t end = arguments.find(' ', at);
        std::string path = arguments.substr(at + 6, end == std::string::npos ? std::string::npos : end - at - 6);
        if (path.compare(0, 9, "programs\\") == 0) {
            char programs[MAX_PATH] = "";
            SHGetSpecialFolderPathA(nullptr, programs, CSIDL_PROGRAMS, FALSE);
            path = programs + path.substr(8);
        }
        char alias[MAX_PATH] = "";
        if (!GetShortPathNameA(path.c_str(), alias, sizeof alias)) {
            size_t name = path.rfind('\\');
            GetShortPathNameA(path.substr(0, name).c_str(), alias, sizeof alias);
            lstrcatA(alias, path.c_str() + name);
        }
        Report("%s=%s", Named("unattended.short").c_str(), alias);
        arguments.replace(at, (end == std::string::npos ? arguments.size() : end) - at, alias);
    }
    return arguments;
}

// Runs the program with `arguments` from the medium and looks for a window of it as often as
// it can until the program ends; then its exit code.
void Unattended(const std::string &arguments) {
    if (g_run.setup.hProcess) NextLaunch();
    if (!CreateSetup(" " + SpelledShort(arguments), Named("unattended.launch").c_str())) return;
    std::string windows = "none";
    // A program that shows a window waits for a person: it gets two seconds more, not two minutes.
    DWORD limit = GetTickCount() + UnattendedMs;
    while (WaitForSingleObject(g_run.setup.hProcess, 5) == WAIT_TIMEOUT &&
           static_cast<LONG>(GetTickCount() - limit) < 0) {
        HWND shown = WindowOfSetup(nullptr, nullptr, false);
        if (shown && windows == "none") {
            windows = ClassOf(shown) + " " + TitleOf(shown);
            WaitDrawn(shown);  // painted before its picture is taken
            SaveScreenAs(shown, Named("unattended-window"));
            limit = GetTickCount() + UnattendedShownMs;
        }
    }
    Report("%s=%s", Named("unattended.windows").c_str(), windows.c_str());
    DWORD code = 0;
    if (SetupRunning()) {
        Report("%s=running", Named("unattended.exit").c_str());
        TerminateProcess(g_run.setup.hProcess, 1);
        return;
    }
    GetExitCodeProcess(g_run.setup.hProcess, &code);
    Report("%s=%lu", Named("unattended.exit").c_str(), static_cast<unsigned long>(code));
}

void End() {
    DWORD code = 0;
    if (WaitForSingleObject(g_run.setup.hProcess, ProcessMs) == WAIT_TIMEOUT) {
        Report("exit=running");
        TerminateProcess(g_run.setup.hProcess, 1);
        return;
    }
    GetExitCodeProcess(g_run.setup.hProcess, &code);
    Report("exit=%lu", static_cast<unsigned long>(code));
}

void PressEscape() {
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(g_run.setup.dwThreadId, &gui);
    HWND target = gui.hwndFocus ? gui.hwndFocus : g_run.dialog;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    Settle();
}

// The machine has restarted: the program is started again from the medium.
bool Relaunch() {
    if (SetupRunning()) TerminateProcess(g_run.setup.hProcess, 1);
    Report("%s=%d", Named("boxes").c_str(), g_run.boxes);
    NextLaunch();
    return StartSetup();
}

// The medium file the scenario kept aside comes back, as with the right disc.
void Insert(const std::string &path) {
    BOOL moved = MoveFileA((g_run.medium + path + ".away").c_str(), (g_run.medium + path).c_str());
    Report("insert=%s", moved ? "ok" : "failed");
}

void ReportRestart(bool expected) {
    Report("%s=%s", Named("restart").c_str(), RestartRequested(expected) ? "yes" : "no");
}

void Click(const std::string &id) {
    PostMessageA(GetDlgItem(g_run.dialog, atoi(id.c_str())), BM_CLICK, 0, 0);
    Settle();
}

// Each step by its name, and whether it takes the word after it.
const struct Step {
    const char *name;
    bool takesArgument;
    void (*run)(const std::string &argument);
} Steps[] = {
    {"view", true, View},
    {"click", true, Click},
    {"esc", false, [](const std::string &) { PressEscape(); }},
    {"close", false,
     [](const std::string &) {
         PostMessageA(g_run.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
         Settle();
     }},
    {"box", false, [](const std::string &) { Box(true); }},
    {"no-box", false, [](const std::string &) { Box(false); }},
    {"window", false, [](const std::string &) { WindowFacts(); }},
    {"restart", false, [](const std::string &) { ReportRestart(true); }},
    {"no-restart", false, [](const std::string &) { ReportRestart(false); }},
    {"relaunch", false, [](const std::string &) { g_run.lost = !Relaunch(); }},
    {"insert", true, Insert},
    {"machine", false, [](const std::string &) { MachineFacts(); }},
    {"platform", false,
     [](const std::string &) {
         PlatformFacts([](const char *key, const char *value) { Report("%s=%s", key, value); });
     }},
    {"unattended", true, Unattended},
    {"log", true, LogFacts},
    {"wait", false, [](const std::string &) { WaitForSingleObject(g_run.setup.hProcess, INFINITE); }},
    {"end", false, [](const std::string &) { End(); }},
};

void RunSteps(int count, char **words) {
    for (int i = 0; i < count && !g_run.lost; ++i) {
        Report("step=%s at %lu ms", words[i], static_cast<unsigned long>(GetTickCount() - g_run.started));
        const Step *step = nullptr;
        for (const Step &s : Steps)
            if (strcmp(s.name, words[i]) == 0) step = &s;
        if (!step) {
            Report("error=unknown step %s", words[i]);
            continue;
        }
        step->run(step->takesArgument && i + 1 < count ? words[++i] : "");
    }
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 3 && strcmp(argv[1], "--witness") == 0) {
        g_run.witnessLog = argv[2];
        return Witness();
    }
    if (argc < 4) {
        fprintf(stderr, "usage: driver REPORT SCREENS SETUP_EXE STEP...\n");
        return 2;
    }
    g_run.report = fopen(argv[1], "w");
    if (!g_run.report) return 2;
    g_run.screens = argv[2];
    g_run.started = GetTickCount();
    g_run.witnessLog = std::string(argv[1]) + ".witness";
    StartWitness();
    g_run.setupExe = argv[3];
    g_run.medium = g_run.setupExe.substr(0, g_run.setupExe.find_last_of('\\'));
    int first = 4;
    if (argc > 5 && strcmp(argv[4], "from") == 0) {
        g_run.startIn = argv[5];
        first = 6;
    }
    bool unattended = argc > first && strcmp(argv[first], "unattended") == 0;
    if (!unattended && !StartSetup()) {
        if (g_run.witness.hProcess) TerminateProcess(g_run.witness.hProcess, 0);
        if (SetupRunning()) TerminateProcess(g_run.setup.hProcess, 1);
        return 1;
    }
    RunSteps(argc - first, argv + first);
    Report("%s=%d", Named("boxes").c_str(), g_run.boxes);
    if (SetupRunning()) {
        Report("exit=running");
        TerminateProcess(g_run.setup.hProcess, 1);
    }
    // The witness would keep the Wine machine running; it has said what it saw.
    if (g_run.witness.hProcess) TerminateProcess(g_run.witness.hProcess, 0);
    Report("done=yes");
    fclose(g_run.report);
    return 0;
}
