#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "medium/layout.h"
#include "setup_machine.h"

namespace {

const std::string InstallOk = "Warning: Install OK !! System will be restart .......";
using Positions = std::vector<int>;
using Texts = std::vector<std::string>;

struct Family {
    const char *name;
    void (*set)(winsim::Machine &);
};

const Family Windows95Family[] = {
    {"95", [](winsim::Machine &m) { m.SetWindows95(); }},
    {"98", [](winsim::Machine &m) { m.SetWindows98(); }},
    {"ME", [](winsim::Machine &m) { m.SetWindowsMe(); }},
};

TEST(Install, Windows95FamilyWithIdeOrScsi) {
    for (const Family &f : Windows95Family) {
        for (int button : {IDC_IDE, IDC_SCSI}) {
            SCOPED_TRACE(std::string(f.name) + (button == IDC_IDE ? " IDE" : " SCSI"));
            winsim::Machine m;
            f.set(m);
            InsertMedium(m);
            m.MapDrive('D', DRIVE_FIXED).freeClusters = 1000000;  // 4 GB: D: qualifies
            Install(m, button);
            EXPECT_EQ(ProgressPositions(m), (Positions{0, 1, 2, 3, 5, 7, 8, 10}));
            std::string vxd =
                MediumBytes(m, button == IDC_IDE ? "\\95-98\\ide\\95drv.vxd" : "\\95-98\\scsi\\95drv.vxd");
            EXPECT_EQ(m.ReadFile("C:\\ltdrv\\95drv.exe"), MediumBytes(m, "\\95-98\\95drv.exe"));
            EXPECT_EQ(m.ReadFile("C:\\ltdrv\\Vave_R.exe"), MediumBytes(m, "\\Vave_R.exe"));
            EXPECT_EQ(m.ReadFile(m.programsFolder + "\\RizoZezu.lnk"), MediumBytes(m, "\\RizoZezu.lnk"));
            EXPECT_EQ(m.ReadFile(m.systemDirectory + "\\IOSUBSYS\\95drv.vxd"), vxd);
            EXPECT_EQ(m.ReadFile(m.systemDirectory + "\\SCSIDRV.SYS"), vxd);
            EXPECT_EQ(m.ReadFile(m.systemDirectory + "\\SCSIDRV.VXD"), MediumBytes(m, "\\FCHK1.DAT"));
            EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), "install c:\\ltdrv\\95drv.exe\r\n");
            EXPECT_NE(m.ReadFile("C:\\WINDOWS\\SYSTEM.INI").find("PagingDrive=d:"), std::string::npos);
            const winsim::RegValue *start = m.FindValue(HKEY_LOCAL_MACHINE, ScvxdKey, "Start");
            const winsim::RegValue *vxdName = m.FindValue(HKEY_LOCAL_MACHINE, ScvxdKey, "StaticVxD");
            ASSERT_TRUE(start && vxdName);
            EXPECT_EQ(start->type, static_cast<DWORD>(REG_BINARY));
            EXPECT_EQ(start->data, std::vector<BYTE>{0}) << "one byte, not a number";
            EXPECT_EQ(vxdName->type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(std::string(vxdName->data.begin(), vxdName->data.end()), std::string("Scsidrv.vxd\0", 12));
            EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, ZivKey));
            EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
            EXPECT_EQ(BoxTexts(m), Texts{InstallOk});
            EXPECT_EQ(m.messageBoxes[0].style, static_cast<UINT>(MB_OK | MB_ICONQUESTION));
            EXPECT_EQ(m.messageBoxes[0].owner, m.DialogWindow()->handle);
            EXPECT_EQ(m.restartRequests, std::vector<UINT>{EWX_REBOOT});
            EXPECT_EQ(m.OpenKeyHandles(), 0);
        }
    }
}

TEST(Install, TheStepsRunInTheirOrder) {
    winsim::Machine m;
    InsertMedium(m);
    Install(m, IDC_IDE);
    std::vector<std::string> order;
    for (const auto &c : m.calls) {
        for (const char *name : {"CreateDirectoryA", "MoveFileA", "GetLogicalDriveStringsA", "RegCreateKeyA",
                                 "MessageBoxA", "ExitWindowsEx"}) {
            if (c.rfind(name, 0) == 0) order.push_back(name);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"CreateDirectoryA", "MoveFileA", "MoveFileA", "MoveFileA", "MoveFileA",
                                               "GetLogicalDriveStringsA", "MoveFileA", "MoveFileA", "MoveFileA",
                                               "RegCreateKeyA", "RegCreateKeyA", "MessageBoxA", "ExitWindowsEx"}));
}

TEST(Install, NtFamilies) {
    struct Case {
        void (*set)(winsim::Machine &);
        Positions positions;
    };
    const Case cases[] = {
        {[](winsim::Machine &m) { m.SetWindowsNt4(); }, {0, 1, 2, 3, 5, 7, 8, 10}},
        {[](winsim::Machine &m) { m.SetWindowsNt4(0); }, {0, 1, 2, 3, 5, 7, 8, 10}},
        {[](winsim::Machine &m) { m.SetWindows2000(); }, {0, 1, 2, 3, 5, 7, 9, 10}},
        {[](winsim::Machine &m) { m.SetWindows2000(0); }, {0, 1, 2, 3, 5, 7, 9, 10}},
    };
    for (const Case &c : cases) {
        winsim::Machine m;
        c.set(m);
        InsertMedium(m);
        Install(m, IDC_SCSI);
        SCOPED_TRACE(WindowsVersionCode);
        EXPECT_EQ(ProgressPositions(m), c.positions);
        EXPECT_EQ(m.ReadFile(m.systemDirectory + "\\drivers\\ZIV.sys"), MediumBytes(m, "\\NT\\ZIV.sys"));
        EXPECT_EQ(m.ReadFile("C:\\ltdrv\\Vave_R.exe"), MediumBytes(m, "\\Vave_R.exe"));
        EXPECT_EQ(m.ReadFile(m.programsFolder + "\\RizoZezu.exe"), MediumBytes(m, "\\Vave_R.exe"));
        EXPECT_FALSE(m.FileExists(m.programsFolder + "\\RizoZezu.lnk"));
        EXPECT_FALSE(m.FileExists("C:\\CONFIG.SYS"));
        EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, ScvxdKey));
        for (auto [name, value] : {std::pair<const char *, BYTE>{"ErrorControl", 1}, {"Type", 1}, {"Start", 0}}) {
            const winsim::RegValue *v = m.FindValue(HKEY_LOCAL_MACHINE, ZivKey, name);
            ASSERT_TRUE(v) << name;
            EXPECT_EQ(v->type, static_cast<DWORD>(REG_DWORD)) << name;
            EXPECT_EQ(v->data, (std::vector<BYTE>{value, 0, 0, 0})) << name;
        }
        EXPECT_EQ(BoxTexts(m), Texts{InstallOk});
        EXPECT_TRUE(m.shutdownPrivilegeEnabled);
        EXPECT_EQ(m.restartRequests, std::vector<UINT>{EWX_REBOOT});
        EXPECT_EQ(m.CallsNamed("ExitWindowsEx"), std::vector<std::string>{"ExitWindowsEx(2, 0) = 1"});
    }
}

TEST(Install, RefusedVersionsCopyNothing) {
    for (const RefusedVersion &c : RefusedVersions) {
        winsim::Machine m;
        c.set(m);
        InsertMedium(m);
        Install(m, IDC_IDE);
        EXPECT_EQ(BoxTexts(m), Texts{c.box});
        EXPECT_EQ(m.messageBoxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
        EXPECT_EQ(ProgressPositions(m), (Positions{0, 1, 2}));
        EXPECT_TRUE(m.DirectoryExists("C:\\ltdrv"));
        EXPECT_TRUE(m.CallsNamed("CopyFileA").empty());
        EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
        EXPECT_TRUE(m.restartRequests.empty());
        EXPECT_EQ(SetupFailed, -1);
    }
}

// Each file of the medium, missing, stops the install with its own message, the one the medium
// check quotes for that file.
TEST(Install, EachMissingSourceStopsWithItsOwnMessage) {
    struct Case {
        void (*set)(winsim::Machine &);
        const char *missing;
        const char *message;
        int position;
        int button = IDC_IDE;
    };
    auto w98 = [](winsim::Machine &m) { m.SetWindows98(); };
    auto nt4 = [](winsim::Machine &m) { m.SetWindowsNt4(); };
    auto w2k = [](winsim::Machine &m) { m.SetWindows2000(); };
    const Case cases[] = {
        {w98, "\\95-98\\95drv.exe", "Soure File One not found", 3},
        {w98, "\\Vave_R.exe", "Soure File Two not found", 5},
        {w98, "\\RizoZezu.lnk", "Soure File Tow not found", 7},
        {w98, "\\95-98\\ide\\95drv.vxd", "Soure File Tree not found", 8},
        {w98, "\\95-98\\scsi\\95drv.vxd", "Soure File Tree not found", 8, IDC_SCSI},
        {w98, "\\FCHK1.DAT", "Soure File One-2 not found", 8},
        {nt4, "\\NT\\ZIV.sys", "Soure File one not found", 3},
        {nt4, "\\Vave_R.exe", "Soure File Two not found", 5},
        {w2k, "\\NT\\ZIV.sys", "Soure File One not found", 3},
        {w2k, "\\Vave_R.exe", "Soure File Two not found", 5},
    };
    std::set<std::string> quoted;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.missing);
        winsim::Machine m;
        c.set(m);
        InsertMedium(m);
        std::remove(m.HostPath(std::string("E:") + c.missing).c_str());
        Install(m, c.button);
        EXPECT_EQ(BoxTexts(m), Texts{std::string("Error: ") + c.message});
        EXPECT_EQ(ProgressPositions(m).back(), c.position);
        EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
        EXPECT_TRUE(m.restartRequests.empty());
        auto listed = std::find_if(MediumLayout().begin(), MediumLayout().end(), [&](const MediumFile &file) {
            std::string path = std::string("\\") + file.path;
            std::replace(path.begin(), path.end(), '/', '\\');
            return path == c.missing;
        });
        ASSERT_NE(listed, MediumLayout().end()) << "the medium check knows the file";
        EXPECT_NE(listed->message.find(c.message), std::string::npos) << listed->message;
        quoted.insert(c.missing);
    }
    EXPECT_EQ(quoted.size(), MediumLayout().size()) << "every file of the medium";
}

// With the medium's manifest, each copy is held to its entry before it takes its name: a file
// that differs, or that the manifest does not vouch for, is not placed and stops the install.
TEST(Install, AFileThatDisagreesWithTheManifestIsNotPlaced) {
    const std::string sys = "C:\\WINDOWS\\SYSTEM";
    auto change = [](winsim::Machine &m, const char *path, std::string bytes) {
        m.WriteFile("E:" + std::string(path), bytes);
    };
    auto halve = [](winsim::Machine &m, const char *path) {
        std::string bytes = MediumBytes(m, path);
        m.WriteFile("E:" + std::string(path), bytes.substr(0, bytes.size() / 2));
    };
    const struct {
        const char *name;
        void (*set)(winsim::Machine &);
        int button;
        std::function<void(winsim::Machine &)> harm;  // after the manifest is written
        std::string box;                              // after "Error: "; none: the install ends well
        std::string absent;                           // the file that must not be placed
    } cases[] = {
        {"every file as listed", [](winsim::Machine &m) { m.SetWindows98(); }, IDC_SCSI, [](winsim::Machine &) {}, "",
         ""},
        {"a changed byte", [](winsim::Machine &m) { m.SetWindows98(); }, IDC_IDE,
         [&](winsim::Machine &m) {
             std::string bytes = MediumBytes(m, "\\95-98\\95drv.exe");
             bytes[bytes.size() / 2] ^= 1;
             change(m, "\\95-98\\95drv.exe", bytes);
         },
         "Setup cannot use \\95-98\\95drv.exe: the file on the medium is damaged", "C:\\ltdrv\\95drv.exe"},
        {"cut to half", [](winsim::Machine &m) { m.SetWindows98(); }, IDC_IDE,
         [&](winsim::Machine &m) { halve(m, "\\95-98\\ide\\95drv.vxd"); },
         "Setup cannot use \\95-98\\ide\\95drv.vxd: the file on the medium is damaged", sys + "\\IOSUBSYS\\95drv.vxd"},
        {"longer, the launcher", [](winsim::Machine &m) { m.SetWindows95(); }, IDC_SCSI,
         [&](winsim::Machine &m) { change(m, "\\RizoZezu.lnk", MediumBytes(m, "\\RizoZezu.lnk") + "!"); },
         "Setup cannot use \\RizoZezu.lnk: the file on the medium is damaged",
         "C:\\WINDOWS\\Start Menu\\Programs\\RizoZezu.lnk"},
        {"a boot driver on 2000", [](winsim::Machine &m) { m.SetWindows2000(); }, IDC_IDE,
         [&](winsim::Machine &m) {
             change(m, "\\NT\\ZIV.sys", std::string(MediumBytes(m, "\\NT\\ZIV.sys").size(), 'Z'));
         },
         "Setup cannot use \\NT\\ZIV.sys: the file on the medium is damaged", "C:\\WINNT\\system32\\drivers\\ZIV.sys"},
        {"no entry", [](winsim::Machine &m) { m.SetWindowsNt4(); }, IDC_IDE,
         [](winsim::Machine &m) {
             std::string manifest = MediumBytes(m, ManifestPath);
             size_t entry = manifest.find("\\Vave_R.exe");
             m.WriteFile(std::string("E:") + ManifestPath,
                         manifest.erase(entry, manifest.find('\n', entry) + 1 - entry));
         },
         "Setup cannot use \\Vave_R.exe: MANIFEST.TXT does not list it", "C:\\ltdrv\\Vave_R.exe"},
        {"an unreadable manifest", [](winsim::Machine &m) { m.SetWindowsMe(); }, IDC_IDE,
         [](winsim::Machine &m) { m.Lock(std::string("E:") + ManifestPath); },
         "Setup cannot use \\95-98\\95drv.exe: MANIFEST.TXT cannot be read", "C:\\ltdrv\\95drv.exe"},
        // Kept, as any file that was there already; its copy comes from no medium file.
        {"SCSIDRV.SYS from a driver that was kept", [](winsim::Machine &m) { m.SetWindows98(); }, IDC_IDE,
         [&](winsim::Machine &m) { m.WriteFile(sys + "\\IOSUBSYS\\95drv.vxd", "an older driver"); }, "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        winsim::Machine m;
        c.set(m);
        InsertMedium(m);
        WriteManifest(m);
        c.harm(m);
        Install(m, c.button);
        EXPECT_EQ(BoxTexts(m), Texts{c.box.empty() ? InstallOk : "Error: " + c.box});
        EXPECT_EQ(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey), c.box.empty());
        if (!c.absent.empty()) {
            EXPECT_FALSE(m.FileExists(c.absent));
            EXPECT_FALSE(m.FileExists(c.absent.substr(0, c.absent.rfind('\\')) + WorkCopyName)) << "nor its work copy";
        }
    }
}

TEST(Install, NothingIsUndoneAfterAFailureAndASecondRunEndsSilently) {
    winsim::Machine m;
    InsertMedium(m);
    std::string tool = MediumBytes(m, "\\Vave_R.exe");
    std::remove(m.HostPath("E:\\Vave_R.exe").c_str());
    RunProgram(m, [&](winsim::User &u) {
        u.Click(IDC_INSTALL);
        u.Click(IDC_IDE);
        u.Click(IDC_NEXT);
        EXPECT_EQ(BoxTexts(m), Texts{"Error: Soure File Two not found"});
        EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), "install c:\\ltdrv\\95drv.exe\r\n");
        EXPECT_TRUE(m.FileExists("C:\\ltdrv\\95drv.exe"));
        EXPECT_EQ(u.VisibleControls(), (std::vector<int>{IDC_EXIT, IDC_PROGRESS, IDC_NEXT}));
        m.WriteFile("E:\\Vave_R.exe", tool);  // the right medium is back
        u.Click(IDC_NEXT);
        EXPECT_EQ(u.Control(IDC_PROGRESS).position, 10);
        u.Click(IDC_EXIT);
    });
    EXPECT_EQ(m.messageBoxes.size(), 1u) << "no message the second time";
    EXPECT_TRUE(m.FileExists(m.systemDirectory + "\\SCSIDRV.VXD")) << "every step ran";
    EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), "install c:\\ltdrv\\95drv.exe\r\ninstall c:\\ltdrv\\95drv.exe\r\n");
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
    EXPECT_TRUE(m.restartRequests.empty());
}

TEST(Install, AnEarlierInstallationsFilesStay) {
    winsim::Machine m;
    InsertMedium(m);
    m.WriteFile("C:\\ltdrv\\95drv.exe", "old driver");
    Install(m, IDC_IDE);
    EXPECT_EQ(m.ReadFile("C:\\ltdrv\\95drv.exe"), "old driver");
    EXPECT_EQ(BoxTexts(m), Texts{InstallOk});
}

TEST(Install, WithoutAnInterfaceTheSecondDriverCopyFindsNothing) {
    winsim::Machine m;
    InsertMedium(m);
    Install(m, 0);
    EXPECT_EQ(BoxTexts(m), Texts{"Error: Soure File One-1 not found"});
    EXPECT_FALSE(m.FileExists(m.systemDirectory + "\\IOSUBSYS\\95drv.vxd"));
}

// Without its registry entry the driver never loads, and without the marker the next start
// would not offer the uninstall: the install stops at either, unmarked.
TEST(Install, ARegistryThatRefusesTheDriverEntryOrTheMarkerStopsTheInstall) {
    struct Case {
        bool nt;
        const char *refused;  // the key that refuses
        bool denyOpen;        // or a parent that refuses changes below it
        bool entryKeyThere;   // the driver's key, with or without its values
    };
    const Case cases[] = {
        {false, "System\\CurrentControlSet\\Services\\VxD", false, false},
        // On NT, the services key itself refusing is a user without rights.
        {true, ZivKey, false, true},
        {false, MarkerKey, true, true},
        {true, MarkerKey, true, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.refused);
        winsim::Machine m;
        if (c.nt) m.SetWindowsNt4();
        InsertMedium(m);
        winsim::RegKey &key = m.Key(HKEY_LOCAL_MACHINE, c.refused);
        (c.denyOpen ? key.denyOpen : key.readOnly) = true;
        Install(m, IDC_IDE);
        EXPECT_EQ(BoxTexts(m), Texts{"Error: Setup cannot write the registry"});
        EXPECT_EQ(m.messageBoxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
        EXPECT_EQ(SetupFailed, -1);
        EXPECT_TRUE(m.restartRequests.empty());
        EXPECT_EQ(m.HasKey(HKEY_LOCAL_MACHINE, c.nt ? ZivKey : ScvxdKey), c.entryKeyThere);
        EXPECT_EQ(IsInstalled(), 0);
        EXPECT_EQ(m.OpenKeyHandles(), 0);
    }
}

// NT 4 and 2000 load the system directory before the first step's position.
TEST(Install, NtLoadsTheSystemDirectoryBeforePosition3) {
    winsim::Machine m;
    m.SetWindows2000();
    InsertMedium(m);
    Install(m, IDC_IDE);
    std::vector<std::string> order;
    for (const auto &c : m.calls)
        if (c.rfind("GetSystemDirectoryA", 0) == 0 || c.rfind(SentTo(IDC_PROGRESS, PBM_SETPOS) + "3,", 0) == 0)
            order.push_back(c.substr(0, c.find('(')));
    // The first for the check of the user's rights, before anything is done.
    EXPECT_EQ(order, (std::vector<std::string>{"GetSystemDirectoryA", "GetSystemDirectoryA", "SendMessageA"}));
}

// A copy that leaves no whole file at its destination fails its step: the message names the
// destination as composed (or the medium file that could not be read), the progress stays, no
// part of the file is left, and there is no marker and no restart.
TEST(Install, ACopyThatPlacesNothingStopsTheInstall) {
    struct Case {
        const char *name;
        void (*set)(winsim::Machine &);
        void (*spoil)(winsim::Machine &);
        std::string box;
        int position;
    };
    const Case cases[] = {
        {"c:\\ltdrv a file", [](winsim::Machine &m) { m.SetWindows98(); },
         [](winsim::Machine &m) { m.WriteFile("C:\\ltdrv", "a file"); }, "Setup cannot write c:\\ltdrv\\95drv.exe", 3},
        {"a disk that fills up part-way", [](winsim::Machine &m) { m.SetWindows98(); },
         [](winsim::Machine &m) { m.drives['C'].writeBudget = 40; }, "Setup cannot write c:\\ltdrv\\95drv.exe", 3},
        {"a medium that cannot be read to its end", [](winsim::Machine &m) { m.SetWindows2000(); },
         [](winsim::Machine &m) { m.FailReadAt("E:\\Vave_R.exe", 20); }, "Soure File Two not found", 5},
        {"the second driver copy", [](winsim::Machine &m) { m.SetWindows98(); },
         [](winsim::Machine &m) { m.FailCopyTo(m.systemDirectory + "\\SCSIDRV.SYS"); },
         "Setup cannot write C:\\WINDOWS\\SYSTEM\\SCSIDRV.SYS", 8},
        {"no IOSUBSYS", [](winsim::Machine &m) { m.SetWindowsMe(); },
         [](winsim::Machine &m) { std::filesystem::remove(m.HostPath(m.systemDirectory + "\\IOSUBSYS")); },
         "Setup cannot write C:\\WINDOWS\\SYSTEM\\iosubsys\\95drv.vxd", 8},
        {"no drivers folder", [](winsim::Machine &m) { m.SetWindows2000(); },
         [](winsim::Machine &m) { std::filesystem::remove(m.HostPath(m.systemDirectory + "\\drivers")); },
         "Setup cannot write C:\\WINNT\\system32\\drivers\\ZIV.sys", 3},
        {"CONFIG.SYS read-only", [](winsim::Machine &m) { m.SetWindows95(); },
         [](winsim::Machine &m) {
             m.WriteFile("C:\\CONFIG.SYS", "FILES=40\r\n");
             m.SetReadOnly("C:\\CONFIG.SYS");
         },
         "Setup cannot write c:\\config.sys", 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        winsim::Machine m;
        c.set(m);
        InsertMedium(m);
        c.spoil(m);
        Install(m, IDC_IDE);
        EXPECT_EQ(BoxTexts(m), Texts{"Error: " + c.box});
        EXPECT_EQ(m.messageBoxes[0].style, static_cast<UINT>(MB_OK | MB_ICONHAND));
        EXPECT_EQ(ProgressPositions(m).back(), c.position);
        EXPECT_EQ(SetupFailed, -1);
        EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey));
        EXPECT_TRUE(m.restartRequests.empty());
        std::string named = c.box.substr(c.box.rfind(' ') + 1);
        EXPECT_FALSE(named.find("ltdrv\\") != std::string::npos && m.FileExists(named)) << "no part of it";
        for (const std::string &folder :
             {std::string("C:\\ltdrv"), m.systemDirectory, m.systemDirectory + "\\IOSUBSYS"})
            EXPECT_FALSE(m.FileExists(folder + "\\~RCSETUP.TMP")) << folder;
    }
}

TEST(Install, ALauncherThatCannotBeWrittenIsLeftOut) {
    for (bool nt : {false, true}) {
        winsim::Machine m;
        if (nt) m.SetWindowsNt4();
        InsertMedium(m);
        m.FailCopyTo(m.programsFolder + (nt ? "\\RizoZezu.exe" : "\\RizoZezu.lnk"));
        Install(m, IDC_IDE);
        EXPECT_EQ(BoxTexts(m), Texts{InstallOk}) << nt;
    }
}

TEST(Install, WithoutAProgramsFolderTheLauncherIsLeftOut) {
    winsim::Machine m;
    InsertMedium(m);
    m.shellFailure = winsim::ShellFailure::Location;
    Install(m, IDC_IDE);
    EXPECT_EQ(BoxTexts(m), Texts{InstallOk});
    for (const auto &c : m.CallsNamed("CopyFileA")) EXPECT_EQ(c.find("CopyFileA(\\RizoZezu.lnk"), std::string::npos);
}

TEST(Install, PathsThatDoNotFitFailTheirStep) {
    {
        winsim::Machine m;
        InsertMedium(m);
        m.systemDirectory = "C:\\" + std::string(240, 'S');
        m.MakeDirectory(m.systemDirectory + "\\IOSUBSYS");
        Install(m, IDC_IDE);
        EXPECT_EQ(BoxTexts(m), Texts{"Error: Soure File Tree not found"});
        m.messageBoxes.clear();
        Install(m, 0);  // no interface: the second driver copy is the first to compose
        EXPECT_EQ(BoxTexts(m), Texts{"Error: Soure File One-1 not found"});
    }
    {
        winsim::Machine nt;
        nt.SetWindowsNt4();
        InsertMedium(nt);
        nt.programsFolder = "C:\\" + std::string(250, 'P');
        nt.MakeDirectory(nt.programsFolder);
        Install(nt, IDC_IDE);
        EXPECT_EQ(BoxTexts(nt), Texts{"Error: Soure File Tree not found"});
    }
    winsim::Machine w2k;
    w2k.SetWindows2000();
    InsertMedium(w2k);
    w2k.systemDirectory = "C:\\" + std::string(240, 'S');
    w2k.MakeDirectory(w2k.systemDirectory + "\\drivers");
    Install(w2k, IDC_IDE);
    EXPECT_EQ(BoxTexts(w2k), Texts{"Error: Soure File One not found"});
    EXPECT_TRUE(w2k.CallsNamed("CopyFileA").empty()) << "no shortened driver path is written";
}

TEST(Install, ARestartTheSystemRefusesLeavesTheDialogOpen) {
    winsim::Machine m;
    m.SetWindows2000();
    InsertMedium(m);
    m.holdsShutdownPrivilege = false;
    bool openAfterwards = false;
    RunProgram(m, [&](winsim::User &u) {
        u.Click(IDC_INSTALL);
        u.Click(IDC_IDE);
        u.Click(IDC_NEXT);
        openAfterwards = !u.Ended();
        u.Click(IDC_NEXT);  // a further click runs it all again, with success again
        u.Click(IDC_EXIT);
    });
    EXPECT_TRUE(openAfterwards);
    EXPECT_EQ(BoxTexts(m), (Texts{InstallOk, InstallOk}));
    EXPECT_TRUE(m.restartRequests.empty());
    EXPECT_EQ(m.CallsNamed("ExitWindowsEx").size(), 2u);
}

}  // namespace
