#include <gtest/gtest.h>

#include "actions/system_files.h"
#include "winsim/machine.h"

namespace {

const char *const Ini = "C:\\WINDOWS\\SYSTEM.INI";

class Paging : public ::testing::Test {
protected:
    void SetUp() override {
        machine.WriteFile(Ini, "[386Enh]\r\nother=1\r\n");
        winsim::Drive &d = machine.MapDrive('D', DRIVE_FIXED);
        d.sectorsPerCluster = 1;
        d.bytesPerSector = 1024;  // one cluster is one KB
    }
    void FreeKilobytes(DWORD kb) { machine.drives['D'].freeClusters = kb; }
    std::string IniText() { return machine.ReadFile(Ini); }
    winsim::Machine machine;
};

TEST_F(Paging, MovesTheSwapFileToALargeEnoughFixedDiskD) {
    FreeKilobytes(307201);
    MovePagingToDriveD();
    EXPECT_EQ(IniText(), "[386Enh]\r\nother=1\r\nPagingDrive=d:\r\nMaxPagingFileSize=307200\r\n");
    auto writes = machine.CallsNamed("WritePrivateProfileStringA");
    ASSERT_EQ(writes.size(), 3u);
    EXPECT_EQ(writes[2], "WritePrivateProfileStringA(NULL, NULL, NULL, system.ini) = 0 (flushed)")
        << "then to the disk";
    EXPECT_NE(writes[0].find("PagingDrive"), std::string::npos) << "the drive first";
}

TEST_F(Paging, LeavesSystemIniAloneOtherwise) {
    struct Case {
        const char *what;
        void (*set)(winsim::Machine &);
    };
    const Case cases[] = {
        {"exactly 307200 KB", [](winsim::Machine &m) { m.drives['D'].freeClusters = 307200; }},
        {"partial kilobytes are cut off",
         [](winsim::Machine &m) {
             m.drives['D'].bytesPerSector = 512;
             m.drives['D'].freeClusters = 614401;  // 307200.5 KB
         }},
        {"no drive D", [](winsim::Machine &m) { m.drives.erase('D'); }},
        {"a CD-ROM", [](winsim::Machine &m) { m.drives['D'].type = DRIVE_CDROM; }},
        {"removable", [](winsim::Machine &m) { m.drives['D'].type = DRIVE_REMOVABLE; }},
        {"network", [](winsim::Machine &m) { m.drives['D'].type = DRIVE_REMOTE; }},
        {"free space unknown", [](winsim::Machine &m) { m.drives['D'].freeSpaceFails = true; }},
    };
    for (const Case &c : cases) {
        FreeKilobytes(10000000);
        machine.drives['D'].bytesPerSector = 1024;
        c.set(machine);
        MovePagingToDriveD();
        EXPECT_EQ(IniText(), "[386Enh]\r\nother=1\r\n") << c.what;
        machine.MapDrive('D', DRIVE_FIXED);
    }
}

TEST_F(Paging, CountsFreeSpaceBeyondFourGigabytes) {
    // 4 GiB + 100 MB would wrap to 100 MB in 32 bits.
    machine.drives['D'].bytesPerSector = 512;
    machine.drives['D'].sectorsPerCluster = 64;
    machine.drives['D'].freeClusters = (4096u + 100u) * 32u;
    MovePagingToDriveD();
    EXPECT_NE(IniText().find("PagingDrive=d:"), std::string::npos);
}

TEST_F(Paging, FindsDriveDWhateverTheCaseAndAmongAllLetters) {
    for (bool lower : {true, false}) {
        machine.WriteFile(Ini, "");
        machine.lowercaseDriveStrings = lower;
        for (char letter = 'E'; letter <= 'Z'; ++letter) machine.MapDrive(letter, DRIVE_REMOTE);
        machine.MapDrive('A', DRIVE_REMOVABLE);
        machine.MapDrive('B', DRIVE_REMOVABLE);
        FreeKilobytes(400000);
        MovePagingToDriveD();
        EXPECT_EQ(IniText(), "[386Enh]\r\nPagingDrive=d:\r\nMaxPagingFileSize=307200\r\n") << lower;
    }
}

TEST_F(Paging, ClearingBlanksBothKeysEvenWhereNoneWere) {
    machine.WriteFile(Ini, "[boot]\r\nshell=Explorer.exe\r\n");
    ClearPagingSettings();
    // A single space is written; the profile functions store it as nothing, as Wine shows.
    EXPECT_EQ(IniText(), "[boot]\r\nshell=Explorer.exe\r\n[386Enh]\r\nPagingDrive=\r\nMaxPagingFileSize=\r\n");
    EXPECT_EQ(machine.CallsNamed("WritePrivateProfileStringA")[0],
              "WritePrivateProfileStringA(386Enh, PagingDrive,  , system.ini) = 1");
}

}  // namespace
