// The simulated Windows machine that host tests run the program against. A test makes one
// Machine (it becomes the current one), sets what it needs, runs the program's code, and then
// looks at what the program did: registry, user interface and the record of calls. Each part of
// the machine keeps its own state; the Win32 calls live beside the part they work on.
#ifndef SETUP_WINSIM_MACHINE_H
#define SETUP_WINSIM_MACHINE_H

#include <map>
#include <string>
#include <vector>

#include "winsim/file_handles.h"
#include "winsim/files.h"
#include "winsim/host.h"
#include "winsim/power.h"
#include "winsim/registry.h"
#include "winsim/shell.h"
#include "winsim/token.h"
#include "winsim/ui.h"
#include "winsim/version.h"
#include "winsim/win32.h"

namespace winsim {

class Machine : public Version,
                public FileSystem,
                public FileHandles,
                public Registry,
                public Shell,
                public Token,
                public Ui,
                public Power {
public:
    Machine();
    // A machine on the host folder `hostRoot`, which it empties and leaves behind: one made once
    // for a long run of inputs, and Reset between them.
    explicit Machine(const std::string &hostRoot);
    ~Machine();
    Machine(const Machine &) = delete;
    Machine &operator=(const Machine &) = delete;

    static Machine &Current();

    // As freshly made, on the same host folder: nothing of the last run is left.
    void Reset();
    // Every file and folder on every drive (bytes and attributes) and every registry key and
    // value, by name: what two runs are compared by.
    std::map<std::string, std::string> Contents();

    // Presets for the Windows versions the program knows.
    void SetWindows95();
    void SetWindows98();
    void SetWindowsMe();
    void SetWindowsNt4(BYTE productType = VER_NT_WORKSTATION);
    void SetWindows2000(BYTE productType = VER_NT_WORKSTATION);

    // A user without administrator rights on NT, with the rights NT gives one by default (KB
    // Q148437, Q244600): HKLM\SYSTEM only to read, the root of C: open; on 2000 the system folder
    // and its drivers folder only to read too, where NT 4 lets everyone change them.
    void SetUserWithoutRights();

    // The ANSI code page: 1252, or one with double-byte characters (932, 936, 949, 950), whose
    // lead bytes IsDBCSLeadByte, CharNextA and CharPrevA know, and the paths too.
    UINT codePage = 1252;
    bool LeadByte(BYTE c) const;

    // The power back after a cut: what was lost with it is gone (unflushed bytes, when that
    // model is chosen), the program's handles with its process, and the count starts again.
    void PowerOn();

    // Process: how it was started, and the clock
    std::string commandLine = "Setup.exe";
    std::string modulePath = "E:\\Setup.exe";  // as GetModuleFileNameA names the program
    SYSTEMTIME localTime = {2001, 3, 5, 9, 14, 7, 5, 0};

    // Record of calls, one line each: "Name(args) = result".
    std::vector<std::string> calls;
    void Record(const std::string &line);
    std::vector<std::string> CallsNamed(const std::string &name) const;
    std::vector<std::string> CallsStartingWith(const std::string &prefix) const;

    // The calls' last error, and the record of a call that fails with one or succeeds.
    DWORD lastError = 0;
    BOOL Fail(const std::string &call, DWORD error);
    BOOL Succeed(const std::string &call);

private:
    void Begin();  // becomes the current machine, a Windows 98
    void SetVersion(const VersionRecord &record);
};

// A string argument as the record of calls shows it.
inline std::string Arg(LPCSTR s) { return s ? s : "NULL"; }

}  // namespace winsim

#endif
