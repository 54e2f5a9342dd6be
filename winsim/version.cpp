// The version query.
#include "winsim/machine.h"

using winsim::Machine;

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    Machine &m = Machine::Current();
    DWORD size = info ? info->dwOSVersionInfoSize : 0;
    std::string call = "GetVersionExA(" + std::to_string(size) + ")";
    const winsim::VersionRecord &v = m.version;
    bool extended = size == sizeof(OSVERSIONINFOEXA);
    bool accepted = (extended && !v.extendedFails) || (size == sizeof(OSVERSIONINFOA) && !v.basicFails);
    if (!accepted) {
        m.Record(call + " = 0");
        return FALSE;
    }
    info->dwMajorVersion = v.major;
    info->dwMinorVersion = v.minor;
    info->dwBuildNumber = v.build;
    info->dwPlatformId = v.platform;
    info->szCSDVersion[0] = '\0';
    if (extended) reinterpret_cast<LPOSVERSIONINFOEXA>(info)->wProductType = v.productType;
    m.Record(call + " = 1");
    return TRUE;
}
