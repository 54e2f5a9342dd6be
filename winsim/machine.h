// The simulated Windows machine that host tests run the program against. A test makes one
// Machine (it becomes the current one), sets what it needs, runs the program's code, and then
// looks at what the program did: registry, user interface and the record of calls.
#ifndef SETUP_WINSIM_MACHINE_H
#define SETUP_WINSIM_MACHINE_H

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "winsim/win32.h"

namespace winsim {

// Orders names as Windows compares them: without regard to letter case.
struct NoCaseLess {
    bool operator()(const std::string &a, const std::string &b) const;
};
bool SameNoCase(const std::string &a, const std::string &b);

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct RegKey {
    std::string name;
    RegKey *parent = nullptr;
    bool deleted = false;
    bool denyOpen = false;   // every open or create of this key fails with access denied
    bool readOnly = false;   // opens succeed, but nothing in or below it may change
    std::map<std::string, std::shared_ptr<RegKey>, NoCaseLess> subkeys;
    std::map<std::string, RegValue, NoCaseLess> values;
};

// What GetVersionExA reports, and whether it refuses a record size.
struct VersionRecord {
    DWORD major = 4;
    DWORD minor = 10;
    DWORD build = 1998;
    DWORD platform = VER_PLATFORM_WIN32_WINDOWS;
    BYTE productType = 0;
    bool extendedFails = true;  // the 156-byte record is refused, as before NT 4 SP6
    bool basicFails = false;    // the 148-byte record is refused too
};

struct Window {
    HWND handle = nullptr;
    Window *parent = nullptr;
    std::vector<Window *> children;
    int id = 0;
    std::string className;
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units for controls, pixels for the dialog
    bool visible = false;
    bool destroyed = false;
    bool iconic = false;
    int check = BST_UNCHECKED;
    int rangeLow = 0, rangeHigh = 100, position = 0;
    HICON bigIcon = nullptr, smallIcon = nullptr;
    DLGPROC proc = nullptr;
    LONG_PTR user = 0;
    bool ended = false;
    INT_PTR result = 0;
    int clientWidth = 0, clientHeight = 0;
};

struct MessageBoxSeen {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
};

struct IconDrawn {
    HDC dc;
    int x, y;
    HICON icon;
};

// A drive letter mapped to a host folder, with what the system reports about it.
struct Drive {
    std::string host;
    UINT type = DRIVE_FIXED;
    DWORD sectorsPerCluster = 8;
    DWORD bytesPerSector = 512;
    DWORD freeClusters = 262144;  // 1 GiB free
    DWORD totalClusters = 524288;
    bool freeSpaceFails = false;
    long long writeBudget = -1;  // bytes that can still be written; -1 for no limit
};

// How the shell's Programs folder lookup fails, if it does.
enum class ShellFailure { None, Allocator, Location, Path };

class Machine;

// What a person at the screen can do with the open dialog; handed to the test's script.
class User {
public:
    explicit User(Machine &machine, HWND dialog) : m_machine(machine), m_dialog(dialog) {}
    HWND Dialog() const { return m_dialog; }
    // Clicks a visible, enabled control: the platform's own reaction (auto radio buttons) and
    // then the BN_CLICKED notification. Returns false when no person could click it.
    bool Click(int id);
    void PressEscape();
    void PressEnter();  // with the focus away from any push button
    void CloseBox();
    void SendCommand(int id);
    void Minimise(int clientWidth, int clientHeight);
    void Paint();
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool IsVisible(int id) const;
    std::string Text(int id) const;
    std::vector<int> VisibleControls() const;
    Window &Control(int id) const;
    bool Ended() const;

private:
    Machine &m_machine;
    HWND m_dialog;
};

class Machine {
public:
    Machine();
    ~Machine();
    Machine(const Machine &) = delete;
    Machine &operator=(const Machine &) = delete;

    static Machine &Current();

    // Presets for the Windows versions the program knows.
    void SetWindows95();
    void SetWindows98();
    void SetWindowsMe();
    void SetWindowsNt4(BYTE productType = VER_NT_WORKSTATION);
    void SetWindows2000(BYTE productType = VER_NT_WORKSTATION);
    bool IsNt() const { return version.platform == VER_PLATFORM_WIN32_NT; }

    VersionRecord version;

    // Registry
    RegKey &Key(HKEY root, const std::string &path);  // creates what is missing
    RegKey *FindKey(HKEY root, const std::string &path);
    bool HasKey(HKEY root, const std::string &path) { return FindKey(root, path) != nullptr; }
    const RegValue *FindValue(HKEY root, const std::string &path, const std::string &name);
    void SetString(HKEY root, const std::string &path, const std::string &name,
                   const std::string &value);
    int OpenKeyHandles() const { return static_cast<int>(m_openKeys.size()); }

    // File system. Windows paths are resolved as Windows resolves them: letters without regard
    // to case, "\\x" on the current drive, "x:" prefixes, relative names in the current folder.
    std::map<char, Drive> drives;  // by upper-case letter
    std::string currentDirectory = "C:\\";
    std::string windowsDirectory;
    std::string systemDirectory;
    bool lowercaseDriveStrings = false;  // Windows 95 lists "c:\\", NT and Wine "C:\\"
    std::set<std::string> lockedFiles;   // host paths that another program holds open
    std::set<std::string> readOnlyFiles; // host paths with the read-only attribute
    Drive &MapDrive(char letter, UINT type);
    std::string HostPath(const std::string &windowsPath);  // empty if the drive is unknown
    void WriteFile(const std::string &windowsPath, const std::string &bytes);
    std::string ReadFile(const std::string &windowsPath);
    bool FileExists(const std::string &windowsPath);
    bool DirectoryExists(const std::string &windowsPath);
    void MakeDirectory(const std::string &windowsPath);  // with its parents
    void SetReadOnly(const std::string &windowsPath) { readOnlyFiles.insert(HostPath(windowsPath)); }
    void Lock(const std::string &windowsPath) { lockedFiles.insert(HostPath(windowsPath)); }
    // Hidden and system bits by host path; every file has the archive bit, as under Wine.
    std::map<std::string, DWORD> fileAttributes;
    DWORD Attributes(const std::string &windowsPath);  // as GetFileAttributesA answers
    // Calls that fail with access denied for a given path, whatever else holds: CopyFileA to
    // that destination, MoveFileA of that file, DeleteFileA of that file.
    std::set<std::string> failingCopies, failingMoves, failingDeletes;
    void FailCopyTo(const std::string &windowsPath) { failingCopies.insert(HostPath(windowsPath)); }
    void FailMoveOf(const std::string &windowsPath) { failingMoves.insert(HostPath(windowsPath)); }
    void FailDeleteOf(const std::string &windowsPath) { failingDeletes.insert(HostPath(windowsPath)); }
    DWORD lastError = 0;

    // Shell
    std::string programsFolder;
    ShellFailure shellFailure = ShellFailure::None;
    int allocatorReferences = 0;
    int itemListsOutstanding = 0;

    // Process: how it was started, and the clock
    std::string commandLine = "Setup.exe";
    SYSTEMTIME localTime = {2001, 3, 5, 9, 14, 7, 5, 0};

    // Process token and restart
    bool holdsShutdownPrivilege = true;
    bool shutdownPrivilegeEnabled = false;
    std::vector<UINT> restartRequests;  // the flags of each ExitWindowsEx that went through

    // User interface
    std::function<void(User &)> user;  // the person at the screen while a dialog is up
    std::function<int(const MessageBoxSeen &)> answerMessageBox;  // default: IDOK
    bool dialogCreationFails = false;
    int screenWidth = 1024, screenHeight = 768;
    int iconWidth = 32, iconHeight = 32;
    std::vector<MessageBoxSeen> messageBoxes;
    std::vector<IconDrawn> iconsDrawn;
    std::vector<std::string> defaultPaints;
    Window *FindWindowById(HWND handle);
    Window *DialogWindow() { return m_dialog; }
    bool commonControlsRegistered = false;

    // Record of calls, one line each: "Name(args) = result".
    std::vector<std::string> calls;
    void Record(const std::string &line);
    std::vector<std::string> CallsNamed(const std::string &name) const;
    std::vector<std::string> CallsStartingWith(const std::string &prefix) const;

    // Internals shared by the call implementations.
    HKEY OpenHandle(const std::shared_ptr<RegKey> &key);
    std::shared_ptr<RegKey> KeyOfHandle(HKEY handle);
    bool CloseHandle(HKEY handle);
    std::shared_ptr<RegKey> Root(HKEY root);
    Window *CreateWindowRecord();
    Window *m_dialog = nullptr;

private:
    void SetWindows9x();
    void SetWindowsNt();
    std::string m_hostRoot;
    std::map<uintptr_t, std::shared_ptr<RegKey>> m_roots;
    std::map<uintptr_t, std::shared_ptr<RegKey>> m_openKeys;
    uintptr_t m_nextKey = 0x1000;
    std::vector<std::unique_ptr<Window>> m_windows;
};

std::string HexBytes(const std::vector<BYTE> &bytes);

}  // namespace winsim

#endif
