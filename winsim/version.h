// The Windows version the machine reports.
#ifndef SETUP_WINSIM_VERSION_H
#define SETUP_WINSIM_VERSION_H

#include "winsim/win32.h"

namespace winsim {

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

class Version {
public:
    VersionRecord version;
    bool IsNt() const { return version.platform == VER_PLATFORM_WIN32_NT; }
};

}  // namespace winsim

#endif
