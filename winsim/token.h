// The process token, its shutdown privilege, and the restarts asked for.
#ifndef SETUP_WINSIM_TOKEN_H
#define SETUP_WINSIM_TOKEN_H

#include <vector>

#include "winsim/win32.h"

namespace winsim {

class Token {
public:
    bool holdsShutdownPrivilege = true;
    bool shutdownPrivilegeEnabled = false;
    std::vector<UINT> restartRequests;  // the flags of each ExitWindowsEx that went through
};

}  // namespace winsim

#endif
