// The process token, the shutdown privilege and restart requests. The Windows 95 family has no
// tokens: those calls fail there, as they do on that system.
#include <cstring>

#include "winsim/machine.h"

using winsim::Machine;

namespace {
const HANDLE kProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
const HANDLE kToken = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x7A));
const DWORD kShutdownLuid = 19;
}  // namespace

HANDLE WINAPI GetCurrentProcess(void) { return kProcess; }

// Recorded, so that a test sees a token handle the program forgot to close. File handles are
// file_handles.h's.
BOOL WINAPI CloseHandle(HANDLE handle) {
    Machine &m = Machine::Current();
    if (m.CloseFile(handle)) return m.Succeed("CloseHandle(file)");
    bool token = handle == kToken;
    m.Record(std::string("CloseHandle(") + (token ? "token" : "?") + ") = " + (token ? "1" : "0"));
    if (!token) m.lastError = ERROR_INVALID_HANDLE;
    return token;
}

BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    Machine &m = Machine::Current();
    std::string call = "OpenProcessToken(" + std::to_string(access) + ")";
    if (!m.IsNt() || process != kProcess) {
        m.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        m.Record(call + " = 0");
        return FALSE;
    }
    *token = kToken;
    m.Record(call + " = 1");
    return TRUE;
}

BOOL WINAPI LookupPrivilegeValueA(LPCSTR system, LPCSTR name, PLUID luid) {
    Machine &m = Machine::Current();
    std::string call =
        std::string("LookupPrivilegeValueA(\"") + (system ? system : "NULL") + "\", " + (name ? name : "NULL") + ")";
    if (!m.IsNt() || !name || std::strcmp(name, SE_SHUTDOWN_NAME) != 0) {
        m.lastError = m.IsNt() ? 1313 /* ERROR_NO_SUCH_PRIVILEGE */ : ERROR_CALL_NOT_IMPLEMENTED;
        m.Record(call + " = 0");
        return FALSE;
    }
    luid->LowPart = kShutdownLuid;
    luid->HighPart = 0;
    m.Record(call + " = 1");
    return TRUE;
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD length,
                                  PTOKEN_PRIVILEGES previous, PDWORD returnLength) {
    Machine &m = Machine::Current();
    std::string call = "AdjustTokenPrivileges(" + std::to_string(disableAll) + ", " + std::to_string(length) + ")";
    if (!m.IsNt() || token != kToken || !newState) {
        m.lastError = m.IsNt() ? ERROR_INVALID_HANDLE : ERROR_CALL_NOT_IMPLEMENTED;
        m.Record(call + " = 0");
        return FALSE;
    }
    if (previous && returnLength) {
        previous->PrivilegeCount = 0;
        *returnLength = sizeof(DWORD);
    }
    bool wanted = newState->PrivilegeCount == 1 && newState->Privileges[0].Luid.LowPart == kShutdownLuid &&
                  newState->Privileges[0].Attributes == SE_PRIVILEGE_ENABLED;
    // Succeeds even when the privilege is not held; only the last error tells.
    if (wanted && m.holdsShutdownPrivilege) m.shutdownPrivilegeEnabled = true;
    m.lastError = wanted && !m.holdsShutdownPrivilege ? ERROR_NOT_ALL_ASSIGNED : ERROR_SUCCESS;
    m.Record(call + " = 1");
    return TRUE;
}

BOOL WINAPI ExitWindowsEx(UINT flags, DWORD reserved) {
    Machine &m = Machine::Current();
    std::string call = "ExitWindowsEx(" + std::to_string(flags) + ", " + std::to_string(reserved) + ")";
    if (m.IsNt() && !m.shutdownPrivilegeEnabled) {
        m.lastError = ERROR_PRIVILEGE_NOT_HELD;
        m.Record(call + " = 0");
        return FALSE;
    }
    m.restartRequests.push_back(flags);
    m.Record(call + " = 1");
    return TRUE;
}
