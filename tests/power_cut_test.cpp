// Setup cut off at any instant, as by a power cut, and started again on what was left: every
// placed file is whole or absent, CONFIG.SYS is never lost, and an uninstall run to its end
// gives the machine back as it was before the first run.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "procedures/messages.h"
#include "setup_machine.h"

namespace {

using Machine = winsim::Machine;
using Texts = std::vector<std::string>;

const char *const MediumFiles[] = {"\\95-98\\95drv.exe",
                                   "\\95-98\\ide\\95drv.vxd",
                                   "\\95-98\\scsi\\95drv.vxd",
                                   "\\NT\\ZIV.sys",
                                   "\\Vave_R.exe",
                                   "\\RizoZezu.lnk",
                                   "\\FCHK1.DAT"};
const std::string OldConfig = "DEVICE=HIMEM.SYS\r\nFILES=40\r\n";
const std::string NewConfig = "install c:\\ltdrv\\95drv.exe\r\n" + OldConfig;

struct Family {
    const char *name;
    void (*set)(Machine &);
    int button;
    // Where each placed file goes (a path on C:, or in the system directory "S" or the Programs
    // folder "P") and the medium file it comes from.
    std::vector<std::pair<std::string, std::string>> placed;
};

const std::vector<std::pair<std::string, std::string>> Windows95Files = {{"C:\\ltdrv\\95drv.exe", "\\95-98\\95drv.exe"},
                                                                         {"C:\\ltdrv\\Vave_R.exe", "\\Vave_R.exe"},
                                                                         {"P\\RizoZezu.lnk", "\\RizoZezu.lnk"},
                                                                         {"S\\SCSIDRV.VXD", "\\FCHK1.DAT"}};
const std::vector<std::pair<std::string, std::string>> NtFiles = {{"S\\drivers\\ZIV.sys", "\\NT\\ZIV.sys"},
                                                                  {"C:\\ltdrv\\Vave_R.exe", "\\Vave_R.exe"},
                                                                  {"P\\RizoZezu.exe", "\\Vave_R.exe"}};

std::vector<std::pair<std::string, std::string>> WithDriver(const char *driver) {
    auto files = Windows95Files;
    files.push_back({"S\\iosubsys\\95drv.vxd", driver});
    files.push_back({"S\\SCSIDRV.SYS", driver});
    return files;
}

const Family Families[] = {
    {"Windows 95, IDE", [](Machine &m) { m.SetWindows95(); }, IDC_IDE, WithDriver("\\95-98\\ide\\95drv.vxd")},
    {"Windows 98, SCSI", [](Machine &m) { m.SetWindows98(); }, IDC_SCSI, WithDriver("\\95-98\\scsi\\95drv.vxd")},
    {"NT 4", [](Machine &m) { m.SetWindowsNt4(); }, IDC_IDE, NtFiles},
    {"Windows 2000", [](Machine &m) { m.SetWindows2000(); }, IDC_SCSI, NtFiles},
};

// A medium whose files take three buffers each to copy, with bytes of every value.
void Prepare(Machine &m, const Family &family) {
    family.set(m);
    m.MapDrive('E', DRIVE_CDROM);
    for (size_t f = 0; f < std::size(MediumFiles); ++f) {
        std::string bytes;
        for (size_t i = 0; i < 1300; ++i) bytes += static_cast<char>(f * 31 + i * 7);
        m.WriteFile(std::string("E:") + MediumFiles[f], bytes);
    }
    m.currentDirectory = "E:\\";
    m.MapDrive('D', DRIVE_FIXED).freeClusters = 1000000;
    m.Key(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD");  // as every Windows has it
    m.WriteFile("C:\\CONFIG.SYS", OldConfig);
    SetFileAttributesA("C:\\CONFIG.SYS", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    m.WriteFile(m.windowsDirectory + "\\SYSTEM.INI", "[386Enh]\r\nPagingDrive=C:\r\nMaxPagingFileSize=65536\r\n");
    m.PowerOn();
}

// Setup started as a person would: what the marker makes it offer is taken. Whether it
// installed.
bool Start(Machine &m, int button) {
    bool installing = !m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey);
    m.messageBoxes.clear();
    RunProgram(m, [&](winsim::User &u) {
        if (!u.Click(IDC_UNINSTALL)) {
            u.Click(IDC_INSTALL);
            u.Click(button);
            u.Click(IDC_NEXT);
        }
        u.Click(IDC_EXIT);
    });
    return installing;
}

// Everything on drive C: and in the registry, and SYSTEM.INI's two settings: what an uninstall
// must give back.
std::map<std::string, std::string> State(Machine &m) {
    std::map<std::string, std::string> state;
    std::string root = m.HostPath("C:\\");
    for (const auto &entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string path = entry.path().string().substr(root.size());
        if (path == "/WINNT/SYSTEM.INI" || path == "/WINDOWS/SYSTEM.INI") continue;
        state[path] = entry.is_directory() ? "folder" : winsim::ReadHostFile(entry.path().string());
    }
    std::function<void(const winsim::RegKey &, const std::string &)> keys = [&](const winsim::RegKey &key,
                                                                                const std::string &path) {
        state["HKLM" + path] = "key";
        for (const auto &value : key.values)
            state["HKLM" + path + ":" + value.first] = std::string(value.second.data.begin(), value.second.data.end());
        for (const auto &sub : key.subkeys) keys(*sub.second, path + "\\" + sub.first);
    };
    keys(*m.FindKey(HKEY_LOCAL_MACHINE, ""), "");
    for (const char *setting : {"PagingDrive", "MaxPagingFileSize"}) {
        char value[64];
        GetPrivateProfileStringA("386Enh", setting, "(absent)", value, sizeof value, "system.ini");
        state[setting] = value;
    }
    return state;
}

std::string Placed(Machine &m, const std::string &where) {
    std::string folder = where[0] == 'S' ? m.systemDirectory : where[0] == 'P' ? m.programsFolder : "";
    return folder.empty() ? where : folder + where.substr(1);
}

// Every file of the family in place, and equal to its source.
void ExpectPlacedWhole(Machine &m, const Family &family) {
    for (const auto &file : family.placed)
        EXPECT_EQ(m.ReadFile(Placed(m, file.first)), MediumBytes(m, file.second)) << file.first;
}

class PowerCut : public testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(PowerCut, LeavesNothingThatAnotherRunCannotFinish) {
    const Family &family = Families[std::get<0>(GetParam())];
    bool cutUninstall = std::get<1>(GetParam());
    int tried = 0;
    for (bool lose : {false, true}) {
        for (int k = 1;; ++k) {
            SCOPED_TRACE(std::string(lose ? "unflushed bytes lost, " : "") + "cut at change " + std::to_string(k));
            Machine m;
            Prepare(m, family);
            auto before = State(m);
            if (cutUninstall) {
                Start(m, family.button);
                ASSERT_EQ(BoxTexts(m), Texts{"Warning: " + std::string(InstallSucceeded)});
                m.PowerOn();
            }
            m.cutAt = k;
            m.loseUnflushed = lose;
            Start(m, family.button);
            bool ranToItsEnd = !m.IsOff();
            m.Cut();
            m.PowerOn();
            ++tried;
            std::string config =
                m.FileExists("C:\\CONFIG.SYS") ? m.ReadFile("C:\\CONFIG.SYS") : m.ReadFile("C:\\CONFIG.SSO");
            EXPECT_TRUE(config == OldConfig || config == NewConfig) << config;
            // Started again: an install must end in success with every file whole, and an
            // uninstall run to its end must give back the machine as it was.
            if (Start(m, family.button)) {
                EXPECT_EQ(BoxTexts(m), Texts{"Warning: " + std::string(InstallSucceeded)});
                ExpectPlacedWhole(m, family);
            }
            if (m.HasKey(HKEY_LOCAL_MACHINE, MarkerKey)) Start(m, family.button);
            EXPECT_EQ(BoxTexts(m), Texts{"Warning: " + std::string(UninstallSucceeded)});
            EXPECT_EQ(State(m), before);
            if (ranToItsEnd || HasFailure()) break;
        }
    }
    std::printf("%s, %s: %d cut points\n", family.name, cutUninstall ? "uninstall" : "install", tried);
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, PowerCut, testing::Combine(testing::Range(0, 4), testing::Bool()));

}  // namespace
