#include <gtest/gtest.h>

#include "actions/system_files.h"
#include "setup_machine.h"

namespace {

const std::string UninstallOk = "Warning: Uninstall OK !! System will be restart .......";
using Texts = std::vector<std::string>;

void Uninstall(winsim::Machine &m, int clicks = 1) {
    RunProgram(m, [&](winsim::User &u) {
        for (int i = 0; i < clicks; ++i) EXPECT_TRUE(u.Click(IDC_UNINSTALL));
        EXPECT_EQ(u.VisibleControls(),
                  (std::vector<int>{IDC_EXIT, IDC_UNINSTALL, IDC_VERSION_CAPTION, IDC_VERSION_LABEL}));
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

// Work copies too, as an install cut off while copying leaves them.
void LeaveWorkCopies(winsim::Machine &m, std::vector<std::string> folders) {
    folders.push_back("C:\\ltdrv");
    folders.push_back(m.programsFolder);
    for (const std::string &folder : folders) m.WriteFile(folder + "\\~RCSETUP.TMP", "part of a file");
}

TEST(Uninstall, Windows95FamilyRemovesEverything) {
    winsim::Machine m;
    InstallFirst(m);
    m.WriteFile("C:\\CONFIG.SYS", "install c:\\ltdrv\\95drv.exe\r\nDEVICE=A\r\n");
    LeaveWorkCopies(m, {m.systemDirectory, m.systemDirectory + "\\IOSUBSYS"});
    Uninstall(m);
    EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), "DEVICE=A\r\n");
    for (const char *gone : {"C:\\ltdrv\\95drv.exe", "C:\\ltdrv\\Vave_R.exe"}) EXPECT_FALSE(m.FileExists(gone));
    EXPECT_FALSE(m.FileExists(m.programsFolder + "\\RizoZezu.lnk"));
    EXPECT_FALSE(m.FileExists(m.programsFolder + "\\~RCSETUP.TMP"));
    for (const char *gone :
         {"\\IOSUBSYS\\95drv.vxd", "\\SCSIDRV.SYS", "\\SCSIDRV.VXD", "\\~RCSETUP.TMP", "\\IOSUBSYS\\~RCSETUP.TMP"})
        EXPECT_FALSE(m.FileExists(m.systemDirectory + gone)) << gone;
    EXPECT_FALSE(m.DirectoryExists("C:\\ltdrv"));
    EXPECT_TRUE(m.DirectoryExists(m.systemDirectory + "\\IOSUBSYS"));
    EXPECT_EQ(m.ReadFile("C:\\WINDOWS\\SYSTEM.INI"), "") << "settings and section were absent before";
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
    EXPECT_EQ(deleted,
              (std::vector<std::string>{"c:\\CONFIG.SSS", "c:\\CONFIG.SSO", "c:\\CONFIG.SSO", "c:\\ltdrv\\95drv.exe",
                                        "c:\\ltdrv\\Vave_R.exe", m.programsFolder + "\\RizoZezu.lnk",
                                        m.systemDirectory + "\\iosubsys\\95drv.vxd",
                                        m.systemDirectory + "\\SCSIDRV.VXD", m.systemDirectory + "\\SCSIDRV.SYS"}));
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
        LeaveWorkCopies(m, {m.systemDirectory + "\\drivers"});
        Uninstall(m);
        for (const std::string &folder : {std::string("C:\\ltdrv"), m.programsFolder, m.systemDirectory + "\\drivers"})
            EXPECT_FALSE(m.FileExists(folder + "\\~RCSETUP.TMP")) << folder;
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
    // The parents stay on every machine; only the entry itself is gone.
    m.Key(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD\\VMM");
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

// A loader line that cannot be taken out of CONFIG.SYS stops the uninstall before anything
// else, so the machine stays installed and a later run can finish the job.
TEST(Uninstall, ALoaderLineThatStaysStopsEverything) {
    winsim::Machine m;
    InstallFirst(m);
    std::string config = m.ReadFile("C:\\CONFIG.SYS");
    m.SetReadOnly("C:\\CONFIG.SYS");
    Uninstall(m);
    EXPECT_EQ(BoxTexts(m), Texts{"Error: Setup cannot write C:\\CONFIG.SYS"});
    EXPECT_EQ(m.messageBoxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
    EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), config);
    EXPECT_TRUE(m.FileExists("C:\\ltdrv\\95drv.exe"));
    EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, ScvxdKey));
    EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
    EXPECT_TRUE(m.CallsNamed("WritePrivateProfileStringA").empty());
    EXPECT_TRUE(m.restartRequests.empty());
}

// CONFIG.SYS without the line, even one that cannot be rewritten, or none at all, is no failure.
TEST(Uninstall, ACONFIGSYSWithoutTheLineIsNoFailure) {
    for (bool present : {true, false}) {
        winsim::Machine m;
        InstallFirst(m);
        if (present) {
            m.WriteFile("C:\\CONFIG.SYS", "FILES=40\n");
            m.SetReadOnly("C:\\CONFIG.SYS");
        } else {
            std::filesystem::remove(m.HostPath("C:\\CONFIG.SYS"));
        }
        Uninstall(m);
        EXPECT_EQ(BoxTexts(m), Texts{UninstallOk}) << present;
        EXPECT_EQ(m.FileExists("C:\\CONFIG.SYS"), present);
    }
}

// Every removal runs; the first file or key still there is named, and the marker stays so
// that the next start offers Uninstall again.
TEST(Uninstall, WhatStaysBehindIsNamedAndKeepsTheMarker) {
    struct Case {
        const char *name;
        void (*set)(winsim::Machine &);
        void (*spoil)(winsim::Machine &);
        std::string box;
    };
    const Case cases[] = {
        {"a read-only driver", [](winsim::Machine &m) { m.SetWindows98(); },
         [](winsim::Machine &m) { m.SetReadOnly(m.systemDirectory + "\\IOSUBSYS\\95drv.vxd"); },
         "Setup cannot remove C:\\WINDOWS\\SYSTEM\\iosubsys\\95drv.vxd"},
        {"two files stay", [](winsim::Machine &m) { m.SetWindows95(); },
         [](winsim::Machine &m) {
             m.FailDeleteOf(m.programsFolder + "\\RizoZezu.lnk");
             m.FailDeleteOf(m.systemDirectory + "\\SCSIDRV.SYS");
         },
         "Setup cannot remove C:\\WINDOWS\\Start Menu\\Programs\\RizoZezu.lnk"},
        {"the static VxD key", [](winsim::Machine &m) { m.SetWindowsMe(); },
         [](winsim::Machine &m) { m.Key(HKEY_LOCAL_MACHINE, ScvxdKey).readOnly = true; },
         "Setup cannot remove System\\CurrentControlSet\\Services\\VxD\\SCVXD"},
        {"the service key", [](winsim::Machine &m) { m.SetWindows2000(); },
         [](winsim::Machine &m) { m.Key(HKEY_LOCAL_MACHINE, std::string(ZivKey) + "\\Enum").denyOpen = true; },
         "Setup cannot remove SYSTEM\\CurrentControlSet\\Services\\ZIV"},
        {"the tool", [](winsim::Machine &m) { m.SetWindowsNt4(); },
         [](winsim::Machine &m) { m.FailDeleteOf("C:\\ltdrv\\Vave_R.exe"); },
         "Setup cannot remove c:\\ltdrv\\vave_r.exe"},
        {"a work copy a cut-off install left", [](winsim::Machine &m) { m.SetWindows2000(); },
         [](winsim::Machine &m) {
             m.WriteFile(m.systemDirectory + "\\drivers\\~RCSETUP.TMP", "half a driver");
             m.FailDeleteOf(m.systemDirectory + "\\drivers\\~RCSETUP.TMP");
         },
         "Setup cannot remove C:\\WINNT\\system32\\drivers\\~RCSETUP.TMP"},
        {"the marker", [](winsim::Machine &m) { m.SetWindows98(); },
         [](winsim::Machine &m) { m.Key(HKEY_LOCAL_MACHINE, MarkerKey).readOnly = true; },
         "Setup cannot remove system\\Restore Card"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        winsim::Machine m;
        c.set(m);
        InstallFirst(m);
        c.spoil(m);
        Uninstall(m);
        EXPECT_EQ(BoxTexts(m), Texts{"Error: " + c.box});
        EXPECT_EQ(m.messageBoxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
        EXPECT_EQ(SetupFailed, -1);
        EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
        EXPECT_TRUE(m.restartRequests.empty());
        EXPECT_FALSE(m.FileExists(m.IsNt() ? m.programsFolder + "\\RizoZezu.exe" : m.systemDirectory + "\\SCSIDRV.VXD"))
            << "the other removals still ran";
    }
}

TEST(Uninstall, ASwapFileInUseOnNt4IsNotReported) {
    winsim::Machine m;
    m.SetWindowsNt4();
    InstallFirst(m);
    m.WriteFile("D:\\pagefile.sys", "swap");
    m.FailDeleteOf("D:\\pagefile.sys");
    Uninstall(m);
    EXPECT_EQ(BoxTexts(m), Texts{UninstallOk});
    EXPECT_EQ(m.CallsNamed("DeleteFileA").back(), "DeleteFileA(d:\\pagefile.sys) = 0 (error 5)");
}

// The install records in the marker what the swap-file settings held; the uninstall gives
// exactly that back. A marker of an earlier release, without the record, gets both blanked.
// An install stopped at the last medium file, then run again with the file back: in the same
// dialog (which ends silently after a failure) and once more after a new start, or unattended.
void InstallStoppedThenRetried(winsim::Machine &m, bool inTheDialog) {
    const std::string file = "E:\\FCHK1.DAT", bytes = m.ReadFile(file);
    std::filesystem::remove(m.HostPath(file));
    if (inTheDialog) {
        RunProgram(m, [&](winsim::User &u) {
            u.Click(IDC_INSTALL);
            u.Click(IDC_IDE);
            u.Click(IDC_NEXT);
            m.WriteFile(file, bytes);
            u.Click(IDC_NEXT);
            u.Click(IDC_EXIT);
        });
        Install(m, IDC_IDE);
        return;
    }
    for (int run = 0; run < 2; ++run) {
        if (run) m.WriteFile(file, bytes);
        m.commandLine = "\"E:\\Setup.exe\" /install IDE";
        RunProgram(m, [](winsim::User &) {});
    }
    m.commandLine = "\"E:\\Setup.exe\"";
}

TEST(Uninstall, SystemIniComesBackAsItWas) {
    struct Case {
        const char *name;
        std::string before;
        bool driveD;
        int install;  // 0 at once, 1 stopped and retried in the dialog, 2 stopped and run again
        bool oldMarker;
        std::string after;              // empty: as before
        bool recordLeftEarly = false;   // the marker refuses the record
        bool tooLong = false;           // a setting longer than a record holds: the swap file stays
        bool uninstallStopped = false;  // by a driver it could not delete, then run again
    };
    const std::string other = "[boot]\r\nshell=Explorer.exe\r\n[386Enh]\r\nother=1\r\n";
    std::string manyKeys = "[386Enh]\r\n";
    for (int i = 0; i < 200; ++i) manyKeys += "device" + std::to_string(i) + "=*vxd\r\n";
    manyKeys += "PagingDrive=c:\r\nMaxPagingFileSize=65536\r\n";
    const Case cases[] = {
        {"settings of its own", "[386Enh]\r\nPagingDrive=C:\r\nMaxPagingFileSize=65536\r\n", true, 0, false, ""},
        {"no settings", other, true, 0, false, ""},
        {"no section", "[boot]\r\nshell=Explorer.exe\r\n", true, 0, false, ""},
        {"one setting", other + "MaxPagingFileSize=9\r\n", true, 0, false, ""},
        {"an empty setting", other + "PagingDrive=\r\n", true, 0, false, ""},
        {"a setting that holds a default", other + "MaxPagingFileSize=0\r\n", true, 0, false, ""},
        {"swap file not moved", "[386Enh]\r\nPagingDrive=C:\r\n", false, 0, false, ""},
        {"marker of an earlier release", other, true, 0, true, other + "PagingDrive=\r\nMaxPagingFileSize=\r\n"},
        {"a section of 200 keys", manyKeys, true, 0, false, ""},
        {"retried in the dialog", "[386Enh]\r\nPagingDrive=c:\r\n", true, 1, false, ""},
        {"run again unattended", "[386Enh]\r\nPagingDrive=c:\r\n", true, 2, false, ""},
        {"retried, with 200 keys", manyKeys, true, 1, false, ""},
        {"the record where it was made", "[386Enh]\r\nPagingDrive=c:\r\n", true, 0, false, "", true},
        {"the longest setting a record holds", other + "PagingDrive=" + std::string(255, '\xE9') + "\r\n", true, 0,
         false, ""},
        {"retried, the longest setting", other + "MaxPagingFileSize=" + std::string(255, '7') + "\r\n", true, 1, false,
         ""},
        {"a setting too long to record", other + "PagingDrive=" + std::string(256, 'c') + "\r\n", true, 0, false, "",
         false, true},
        {"that record, the uninstall stopped once", "[386Enh]\r\nPagingDrive=c:\r\n", true, 0, false, "", true, false,
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        winsim::Machine m;
        m.WriteFile("C:\\WINDOWS\\SYSTEM.INI", c.before);
        InsertMedium(m);
        if (c.driveD) m.MapDrive('D', DRIVE_FIXED).freeClusters = 1000000;
        if (c.recordLeftEarly) m.FailValuesIn(MarkerKey);
        if (c.install)
            InstallStoppedThenRetried(m, c.install == 1);
        else
            Install(m, IDC_IDE);
        ASSERT_EQ(m.restartRequests.size(), 1u);
        EXPECT_EQ(m.ReadFile("C:\\WINDOWS\\SYSTEM.INI").find("PagingDrive=d:") != std::string::npos,
                  c.driveD && !c.tooLong);
        EXPECT_EQ(m.HasKey(HKEY_LOCAL_MACHINE, SwapFileRecordKey), c.recordLeftEarly) << "handed to the marker";
        if (c.oldMarker) m.FindKey(HKEY_LOCAL_MACHINE, MarkerKey)->values.clear();
        m.messageBoxes.clear();
        std::string driver = m.systemDirectory + "\\iosubsys\\95drv.vxd";
        if (c.uninstallStopped) {
            m.SetReadOnly(driver);
            Uninstall(m);
            EXPECT_EQ(BoxTexts(m), Texts{"Error: Setup cannot remove " + driver});
            SetFileAttributesA(driver.c_str(), FILE_ATTRIBUTE_NORMAL);
            m.messageBoxes.clear();
        }
        Uninstall(m);
        EXPECT_EQ(BoxTexts(m), Texts{UninstallOk});
        EXPECT_EQ(m.ReadFile("C:\\WINDOWS\\SYSTEM.INI"), c.after.empty() ? c.before : c.after);
        EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, SwapFileRecordKey));
    }
}

// A second install in the same run, after a restart that did not happen, keeps the record
// of the first: the settings it finds are its own.
TEST(Uninstall, ASecondInstallKeepsTheFirstRecord) {
    winsim::Machine m;
    const std::string before = "[386Enh]\r\nPagingDrive=C:\r\n";
    m.WriteFile("C:\\WINDOWS\\SYSTEM.INI", before);
    InsertMedium(m);
    m.MapDrive('D', DRIVE_FIXED).freeClusters = 1000000;
    Install(m, IDC_IDE, 2);
    ASSERT_EQ(m.restartRequests.size(), 2u);
    m.messageBoxes.clear();
    Uninstall(m);
    EXPECT_EQ(m.ReadFile("C:\\WINDOWS\\SYSTEM.INI"), before);
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

TEST(Uninstall, ASystemPathThatDoesNotFitIsPassedOver) {
    winsim::Machine m;
    InstallFirst(m);
    m.systemDirectory = "C:\\" + std::string(240, 'S');
    m.MakeDirectory(m.systemDirectory);
    Uninstall(m);
    EXPECT_EQ(BoxTexts(m), Texts{UninstallOk});
    // The two short names still fit; the IOSUBSYS driver's path does not and is never cut short.
    std::vector<std::string> deleted;
    for (const auto &c : m.CallsNamed("DeleteFileA"))
        if (c.find(std::string(240, 'S')) != std::string::npos) deleted.push_back(c.substr(c.rfind('\\')));
    EXPECT_EQ(deleted, (std::vector<std::string>{"\\SCSIDRV.VXD) = 0 (error 2)", "\\SCSIDRV.SYS) = 0 (error 2)"}));
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
