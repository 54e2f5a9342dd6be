#include "winsim/machine.h"

#include <cstdio>
#include <cstdlib>

namespace winsim {
namespace {
Machine *g_current = nullptr;
}

Machine::Machine() : FileHandles(static_cast<FileSystem &>(*this)) { Begin(); }

Machine::Machine(const std::string &hostRoot) : FileSystem(hostRoot), FileHandles(static_cast<FileSystem &>(*this)) {
    Begin();
}

void Machine::Begin() {
    if (g_current) {
        std::fprintf(stderr, "winsim: only one simulated machine at a time\n");
        std::abort();
    }
    g_current = this;
    SetWindows98();
}

Machine::~Machine() { g_current = nullptr; }

Machine &Machine::Current() {
    if (!g_current) {
        std::fprintf(stderr, "winsim: a Win32 call was made without a simulated machine\n");
        std::abort();
    }
    return *g_current;
}

// The folders as Setup finds them on each family, and how it lists drives.
void Machine::SetVersion(const VersionRecord &record) {
    version = record;
    bool nt = IsNt();
    windowsDirectory = nt ? "C:\\WINNT" : "C:\\WINDOWS";
    systemDirectory = windowsDirectory + (nt ? "\\system32" : "\\SYSTEM");
    programsFolder = windowsDirectory + (nt ? "\\Profiles\\Administrator" : "") + "\\Start Menu\\Programs";
    lowercaseDriveStrings = !nt;
    MakeDirectory(systemDirectory + (nt ? "\\drivers" : "\\IOSUBSYS"));
    MakeDirectory(programsFolder);
    if (nt) Key(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services");
    if (nt)
        SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType",
                  version.productType == VER_NT_WORKSTATION ? "WinNT" : "ServerNT");
}

void Machine::SetWindows95() { SetVersion({4, 0, 950}); }
void Machine::SetWindows98() { SetVersion({4, 10, 1998}); }
void Machine::SetWindowsMe() { SetVersion({4, 90, 3000}); }
void Machine::SetWindowsNt4(BYTE productType) { SetVersion({4, 0, 1381, VER_PLATFORM_WIN32_NT, productType, false}); }
void Machine::SetWindows2000(BYTE productType) { SetVersion({5, 0, 2195, VER_PLATFORM_WIN32_NT, productType, false}); }

void Machine::SetUserWithoutRights() {
    Key(HKEY_LOCAL_MACHINE, "SYSTEM").readOnly = true;
    if (version.major >= 5) {
        ProtectFolder(systemDirectory);
        ProtectFolder(systemDirectory + "\\drivers");
    }
}

bool Machine::LeadByte(BYTE c) const {
    switch (codePage) {
    case 932: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950: return c >= 0x81 && c <= 0xFE;
    default: return false;
    }
}

void Machine::PowerOn() {
    CloseAllFiles();
    AfterPowerCut(loseUnflushed && m_off);
    CloseAllKeys();
    m_off = false;
    cutAt = 0;
    changes = 0;
}

void Machine::Record(const std::string &line) { calls.push_back(line); }

std::vector<std::string> Machine::CallsNamed(const std::string &name) const { return CallsStartingWith(name + "("); }

std::vector<std::string> Machine::CallsStartingWith(const std::string &prefix) const {
    std::vector<std::string> out;
    for (const auto &c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    return out;
}

BOOL Machine::Fail(const std::string &call, DWORD error) {
    lastError = error;
    Record(call + " = 0 (error " + std::to_string(error) + ")");
    return FALSE;
}

BOOL Machine::Succeed(const std::string &call) {
    Record(call + " = 1");
    return TRUE;
}

}  // namespace winsim

DWORD WINAPI GetLastError(void) { return winsim::Machine::Current().lastError; }
