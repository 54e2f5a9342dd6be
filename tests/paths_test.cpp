#include <gtest/gtest.h>

#include "actions/paths.h"
#include "program_run.h"

namespace {

class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        machine.MapDrive('E', DRIVE_CDROM);
        machine.currentDirectory = "E:\\";
        machine.WriteFile("E:\\Vave_R.exe", "tool");
        machine.MakeDirectory("C:\\ltdrv");
        ResetRunState();
    }
    void TearDown() override { EXPECT_EQ(machine.OpenFileHandles(), 0); }
    int Place(const char *from, const char *to) {
        SetPath(SourcePath, from);
        SetPath(DestinationPath, to);
        return CopyIfPresent();
    }
    winsim::Machine machine;
};

TEST_F(Placement, CopiesFromTheMediumWithoutEverOverwriting) {
    EXPECT_EQ(Place("\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe"), CopyDone);
    EXPECT_EQ(machine.ReadFile("C:\\LTDRV\\vave_r.exe"), "tool");
    machine.WriteFile("E:\\Vave_R.exe", "newer tool");
    EXPECT_EQ(Place("\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe"), CopyKept);
    EXPECT_EQ(machine.ReadFile("C:\\ltdrv\\Vave_R.exe"), "tool") << "the old file stays";
}

TEST_F(Placement, AMissingSourceIsTheOnlyReportedFailure) {
    machine.WriteFile("C:\\ltdrv\\95drv.exe", "old");
    EXPECT_EQ(Place("\\95-98\\95drv.exe", "c:\\ltdrv\\95drv.exe"), 0);
    EXPECT_EQ(machine.ReadFile("C:\\ltdrv\\95drv.exe"), "old");
    EXPECT_TRUE(machine.CallsNamed("CopyFileA").empty()) << "nothing is attempted";
    EXPECT_EQ(Place("\\Vave_R.exe", "c:\\no-such-folder\\Vave_R.exe"), CopyRefused);
    EXPECT_FALSE(machine.FileExists("C:\\no-such-folder\\Vave_R.exe"));
    // A source that another program holds without sharing cannot be read either.
    machine.Lock("E:\\Vave_R.exe");
    EXPECT_EQ(Place("\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe"), CopySourceMissing);
}

TEST_F(Placement, MediumPathsStartAtTheRootOfTheCurrentDrive) {
    machine.MapDrive('D', DRIVE_FIXED);
    machine.WriteFile("D:\\Vave_R.exe", "from d");
    machine.MakeDirectory("D:\\deep\\folder");
    machine.currentDirectory = "D:\\deep\\folder";
    EXPECT_EQ(Place("\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe"), CopyDone);
    EXPECT_EQ(machine.ReadFile("c:\\ltdrv\\vave_r.exe"), "from d");
}

// 255 characters fill a buffer with its terminating zero; 256 never get in, not even cut off.
TEST_F(Placement, PathsOf255CharactersFitAnd256DoNot) {
    for (size_t length : {255u, 256u}) {
        SCOPED_TRACE(length);
        bool fits = length == 255;
        std::string path = "C:\\" + std::string(length - 3, 'S');
        EXPECT_EQ(SetPath(SourcePath, path.c_str()), fits);
        EXPECT_EQ(std::string(SourcePath), fits ? path : "");

        machine.systemDirectory = path;
        EXPECT_EQ(LoadSystemDirectory(), fits);
        EXPECT_EQ(std::string(SystemDirectory), fits ? path : "");

        std::string dir = "C:\\" + std::string(length - 3 - 12, 'S');
        SetPath(DestinationPath, dir.c_str());
        EXPECT_EQ(AppendToPath(DestinationPath, "\\SCSIDRV.SYS"), fits);
        EXPECT_EQ(std::string(DestinationPath), fits ? dir + "\\SCSIDRV.SYS" : dir) << "unchanged when refused";
    }
    EXPECT_EQ(AppendToPath(SystemDirectory, "\\SCSIDRV.SYS"), 0) << "no directory, no path";
}

TEST_F(Placement, TheProgramsFolderIsAskedOfTheShellAndNothingIsLeftHeld) {
    ASSERT_EQ(LoadProgramsFolder(), ProgramsFolderFound);
    EXPECT_STREQ(ProgramsFolder, "C:\\WINDOWS\\Start Menu\\Programs");
    AppendToPath(ProgramsFolder, "\\RizoZezu.lnk");
    for (winsim::ShellFailure failure :
         {winsim::ShellFailure::Allocator, winsim::ShellFailure::Location, winsim::ShellFailure::Path}) {
        machine.shellFailure = failure;
        EXPECT_EQ(LoadProgramsFolder(), ProgramsFolderUnknown);
        EXPECT_STREQ(ProgramsFolder, "") << "an earlier answer is no answer now";
        EXPECT_EQ(AppendToPath(ProgramsFolder, "\\RizoZezu.lnk"), 0)
            << "nothing may be named in the root of the current drive";
        EXPECT_EQ(machine.allocatorReferences, 0);
        EXPECT_EQ(machine.itemListsOutstanding, 0);
    }
}

TEST_F(Placement, AProgramsFolderLongerThanTheBufferIsRefused) {
    machine.programsFolder = "C:\\" + std::string(256, 'P');  // the shell's 260 still hold it
    EXPECT_EQ(LoadProgramsFolder(), ProgramsFolderTooLong);
    EXPECT_STREQ(ProgramsFolder, "");
    EXPECT_EQ(machine.itemListsOutstanding, 0);
}

}  // namespace
