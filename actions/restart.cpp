#include "actions/restart.h"

#include "platform/platform.h"

int RestartSystem() {
    // NT needs the privilege enabled in the token; the Windows 95 family has no tokens, and
    // these calls simply fail there.
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
    TOKEN_PRIVILEGES privileges, previous;
    memset(&privileges, 0, sizeof privileges);
    memset(&previous, 0, sizeof previous);
    DWORD previousLength = 0;
    LookupPrivilegeValueA("", SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof previous, &previous, &previousLength);
    if (token) CloseHandle(token);
    return ExitWindowsEx(EWX_REBOOT, 0);
}
