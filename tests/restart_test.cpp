#include <gtest/gtest.h>

#include "actions/restart.h"
#include "winsim/machine.h"

namespace {

const std::string TokenAccess = std::to_string(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
const std::string Reboot = std::to_string(EWX_REBOOT);

TEST(Restart, EnablesThePrivilegeAndAsksForAReboot) {
    winsim::Machine m;
    m.SetWindows2000();
    RestartSystem();
    EXPECT_TRUE(m.shutdownPrivilegeEnabled);
    EXPECT_EQ(m.CallsNamed("OpenProcessToken"), std::vector<std::string>{"OpenProcessToken(" + TokenAccess + ") = 1"});
    EXPECT_EQ(m.CallsNamed("LookupPrivilegeValueA"),
              std::vector<std::string>{"LookupPrivilegeValueA(\"\", SeShutdownPrivilege) = 1"});
    EXPECT_EQ(
        m.CallsNamed("AdjustTokenPrivileges"),
        std::vector<std::string>{"AdjustTokenPrivileges(0, " + std::to_string(sizeof(TOKEN_PRIVILEGES)) + ") = 1"});
    EXPECT_EQ(m.restartRequests, std::vector<UINT>{EWX_REBOOT});
    EXPECT_EQ(m.CallsNamed("ExitWindowsEx"), std::vector<std::string>{"ExitWindowsEx(" + Reboot + ", 0) = 1"});
    EXPECT_EQ(m.CallsNamed("CloseHandle"), std::vector<std::string>{"CloseHandle(token) = 1"}) << "no handle leaks";
}

TEST(Restart, WithoutTokensOrWithoutThePrivilegeItStillAsks) {
    {
        winsim::Machine m;
        m.SetWindows95();
        RestartSystem();
        EXPECT_EQ(m.CallsNamed("OpenProcessToken"),
                  std::vector<std::string>{"OpenProcessToken(" + TokenAccess + ") = 0"});
        EXPECT_EQ(m.restartRequests, std::vector<UINT>{EWX_REBOOT});
    }
    winsim::Machine m;
    m.SetWindowsNt4();
    m.holdsShutdownPrivilege = false;
    RestartSystem();
    EXPECT_EQ(m.CallsNamed("ExitWindowsEx"), std::vector<std::string>{"ExitWindowsEx(" + Reboot + ", 0) = 0"});
    EXPECT_TRUE(m.restartRequests.empty());
    EXPECT_TRUE(m.messageBoxes.empty());
}

}  // namespace
