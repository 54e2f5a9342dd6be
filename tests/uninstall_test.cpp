#include <gtest/gtest.h>

#include "setup_machine.h"

namespace {

const std::string UninstallOk = "Warning: Uninstall OK !! System will be restart .......";
using Texts = std::vector<std::string>;

void Uninstall(winsim::Machine &m, int clicks = 1) {
    RunProgram(m, [&](winsim::User &u) {
        for (int i = 0; i < clicks; ++i) EXPECT_TRUE(u.Click(IDC_UNINSTALL));
        EXPECT_EQ(u.VisibleControls(), (std::vector<int>{IDC_EXIT, IDC_UNINSTALL, IDC_VERSION_CAPTION,
                                                         IDC_VERSION_LABEL}));
        u.Click(IDC_EXIT);
    });
}

// Installs with the sample medium, then starts the program again as after the restart.
void InstallFirst(winsim::Machine &m) {
    InsertMedium(m);
    m.MapDrive('D', DRIVE_FIXED).freeClusters = 1000000;
    Install(m, IDC_IDE);
    ASSERT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
    m.messageBoxes.clear();
    m.restartRequests.clear();
    m.calls.clear();
}

TEST(Uninstall, Windows95FamilyRemovesEverything) {
    winsim::Machine m;
    InstallFirst(m);
    m.WriteFile("C:\\CONFIG.SYS", "install c:\\ltdrv\\95drv.exe\r\nDEVICE=A\r\n");
    Uninstall(m);
    EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), "DEVICE=A\r\n");
    for (const char *gone : {"C:\\ltdrv\\95drv.exe", "C:\\ltdrv\\Vave_R.exe"}) EXPECT_FALSE(m.FileExists(gone));
    EXPECT_FALSE(m.FileExists(m.programsFolder + "\\RizoZezu.lnk"));
    for (const char *gone : {"\\IOSUBSYS\\95drv.vxd", "\\SCSIDRV.SYS", "\\SCSIDRV.VXD"})
        EXPECT_FALSE(m.FileExists(m.systemDirectory + gone)) << gone;
    EXPECT_FALSE(m.DirectoryExists("C:\\ltdrv"));
    EXPECT_TRUE(m.DirectoryExists(m.systemDirectory + "\\IOSUBSYS"));
    EXPECT_EQ(m.ReadFile("C:\\WINDOWS\\SYSTEM.INI"), "[386Enh]\r\n") << "the settings were absent before";
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, ScvxdKey));
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
    EXPECT_EQ(BoxTexts(m), Texts{UninstallOk});
    EXPECT_EQ(m.messageBoxes[0].style, static_cast<UINT>(MB_OK | MB_ICONQUESTION));
    EXPECT_EQ(m.restartRequests, std::vector<UINT>{EWX_REBOOT});
    EXPECT_EQ(m.OpenKeyHandles(), 0);
}

TEST(Uninstall, TheStepsComeInTheirOrder) {
    winsim::Machine m;
    InstallFirst(m);
    Uninstall(m);
    std::vector<std::string> deleted;
    for (const auto &c : m.calls)
        if (c.rfind("DeleteFileA(", 0) == 0) deleted.push_back(c.substr(12, c.find(')') - 12));
    EXPECT_EQ(deleted, (std::vector<std::string>{"c:\\CONFIG.SSO", "c:\\CONFIG.SSO", "c:\\ltdrv\\95drv.exe", "c:\\ltdrv\\Vave_R.exe",
                                                 m.programsFolder + "\\RizoZezu.lnk",
                                                 m.systemDirectory + "\\iosubsys\\95drv.vxd",
                                                 m.systemDirectory + "\\SCSIDRV.VXD",
                                                 m.systemDirectory + "\\SCSIDRV.SYS"}));
    auto last = m.calls.end() - 1;
    while (last->rfind("ExitWindowsEx", 0) != 0) --last;
    EXPECT_EQ(*last, "ExitWindowsEx(2, 0) = 1");
}

TEST(Uninstall, NtFamiliesAndTheSwapFileOnD) {
    for (bool nt4 : {true, false}) {
        winsim::Machine m;
        if (nt4)
            m.SetWindowsNt4();
        else
            m.SetWindows2000();
        InstallFirst(m);
        m.WriteFile("D:\\pagefile.sys", "swap");
        m.WriteFile("C:\\ltdrv\\other.txt", "someone else's");
        Uninstall(m);
        EXPECT_FALSE(m.FileExists(m.systemDirectory + "\\drivers\\ZIV.sys"));
        EXPECT_FALSE(m.FileExists(m.programsFolder + "\\RizoZezu.exe"));
        EXPECT_FALSE(m.FileExists("C:\\ltdrv\\Vave_R.exe"));
        EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, ZivKey));
        EXPECT_EQ(m.FileExists("D:\\pagefile.sys"), !nt4) << "only the NT 4 branch deletes it";
        EXPECT_TRUE(m.FileExists("C:\\ltdrv\\other.txt"));
        EXPECT_TRUE(m.DirectoryExists("C:\\ltdrv")) << "a folder that is not empty stays";
        EXPECT_EQ(BoxTexts(m), Texts{UninstallOk});
        EXPECT_FALSE(m.FileExists("C:\\CONFIG.SYS")) << "NT has no CONFIG.SYS to edit";
    }
}

TEST(Uninstall, RefusalsTouchNothingButAnEmptyToolFolder) {
    for (const RefusedVersion &c : RefusedVersions) {
        winsim::Machine m;
        c.set(m);
        m.Key(HKEY_LOCAL_MACHINE, MarkerKey);
        m.MakeDirectory("C:\\ltdrv");
        m.WriteFile("C:\\CONFIG.SYS", "install c:\\ltdrv\\95drv.exe\r\n");
        Uninstall(m, 2);
        EXPECT_EQ(BoxTexts(m), (Texts{c.box, c.box})) << "refused again on every click";
        EXPECT_EQ(m.messageBoxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
        EXPECT_FALSE(m.DirectoryExists("C:\\ltdrv"));
        EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), "install c:\\ltdrv\\95drv.exe\r\n");
        EXPECT_TRUE(m.CallsNamed("DeleteFileA").empty());
        EXPECT_TRUE(m.CallsNamed("WritePrivateProfileStringA").empty());
        EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
        EXPECT_TRUE(m.restartRequests.empty());
    }
}

TEST(Uninstall, AMachineWithNothingInstalledStillEndsInSuccess) {
    winsim::Machine m;
    m.SetWindows95();
    m.Key(HKEY_LOCAL_MACHINE, MarkerKey);
    m.WriteFile("C:\\CONFIG.SYS", "FILES=30\n");
    m.WriteFile("C:\\WINDOWS\\SYSTEM.INI", "[boot]\r\nshell=Explorer.exe\r\n");
    Uninstall(m);
    EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), "FILES=30\r\n") << "rewritten all the same";
    EXPECT_EQ(m.ReadFile("C:\\WINDOWS\\SYSTEM.INI"),
              "[boot]\r\nshell=Explorer.exe\r\n[386Enh]\r\nPagingDrive=\r\nMaxPagingFileSize=\r\n");
    EXPECT_EQ(m.CallsStartingWith("RegOpenKeyA(HKLM, System\\CurrentControlSet\\Services\\VxD)").size(), 1u);
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
    EXPECT_EQ(BoxTexts(m), Texts{UninstallOk});
    EXPECT_EQ(m.restartRequests, std::vector<UINT>{EWX_REBOOT});
}

TEST(Uninstall, AfterAnEarlierFailureItRemovesButEndsSilently) {
    winsim::Machine m;
    InstallFirst(m);
    RunProgram(m, [&](winsim::User &u) {
        SetupFailed = -1;
        u.Click(IDC_UNINSTALL);
        u.Click(IDC_EXIT);
    });
    EXPECT_FALSE(m.FileExists("C:\\ltdrv\\95drv.exe"));
    EXPECT_FALSE(m.DirectoryExists("C:\\ltdrv"));
    EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
    EXPECT_TRUE(m.messageBoxes.empty());
    EXPECT_TRUE(m.restartRequests.empty());
}

// Windows 2000 adds Enum under a service once its driver has loaded; the marker may have
// gained a subkey too. Both go whole.
TEST(Uninstall, KeysWithSubkeysGoWholeOnNt) {
    winsim::Machine m;
    m.SetWindows2000();
    InstallFirst(m);
    m.Key(HKEY_LOCAL_MACHINE, std::string(ZivKey) + "\\Enum");
    m.Key(HKEY_LOCAL_MACHINE, std::string(MarkerKey) + "\\Notes");
    Uninstall(m);
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, ZivKey));
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
    EXPECT_EQ(BoxTexts(m), Texts{UninstallOk});
}

TEST(Uninstall, AMarkerAlreadyGoneIsNoFailure) {
    winsim::Machine m;
    InstallFirst(m);
    RunProgram(m, [&](winsim::User &u) {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, MarkerKey);  // another program was quicker
        u.Click(IDC_UNINSTALL);
        u.Click(IDC_EXIT);
    });
    EXPECT_EQ(BoxTexts(m), Texts{UninstallOk});
}

TEST(Uninstall, WithoutAProgramsFolderNothingElsewhereIsDeleted) {
    winsim::Machine m;
    InstallFirst(m);
    // Started from a writable stick whose root holds the launcher the medium ships.
    m.drives['E'].type = DRIVE_REMOVABLE;
    m.shellFailure = winsim::ShellFailure::Allocator;
    Uninstall(m);
    EXPECT_TRUE(m.FileExists("E:\\RizoZezu.lnk"));
    EXPECT_TRUE(m.FileExists(m.programsFolder + "\\RizoZezu.lnk")) << "left, as the folder is unknown";
    EXPECT_EQ(BoxTexts(m), Texts{UninstallOk});
}

TEST(Uninstall, RoundTripLeavesWhatWasThere) {
    winsim::Machine m;
    m.WriteFile("C:\\CONFIG.SYS", "DEVICE=HIMEM.SYS\r\nFILES=40\r\n");
    InstallFirst(m);
    Install(m, IDC_IDE);  // a second install stacks a second loader line
    Uninstall(m);
    EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), "DEVICE=HIMEM.SYS\r\nFILES=40\r\n");
    EXPECT_FALSE(m.DirectoryExists("C:\\ltdrv"));
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, ScvxdKey));
}

}  // namespace
