#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "medium/layout.h"

namespace fs = std::filesystem;

namespace {

class DriversFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/medium-XXXXXX";
        folder = mkdtemp(name);
        fs::copy(MEDIUM_SAMPLE, folder, fs::copy_options::recursive);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string folder;
};

TEST_F(DriversFolder, TheSampleMediumIsComplete) { EXPECT_TRUE(CheckMedium(folder).empty()); }

TEST_F(DriversFolder, AMissingFileIsNamedWithWhatWouldFail) {
    fs::remove(fs::path(folder) / "FCHK1.DAT");
    auto problems = CheckMedium(folder);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].refused());
    EXPECT_EQ(Describe(problems[0]),
              "\\FCHK1.DAT: missing; Windows 95, 98 and ME would stop with \"Soure File One-2 not found\"");
}

TEST_F(DriversFolder, AFileInTheWrongFolderIsFoundAndRefused) {
    fs::rename(fs::path(folder) / "95-98/ide/95drv.vxd", fs::path(folder) / "95-98/95drv.vxd");
    auto problems = CheckMedium(folder);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, MediumProblem::Misplaced);
    EXPECT_EQ(problems[0].found, "95-98/95drv.vxd") << "not the SCSI driver, which is in its place";
    EXPECT_NE(Describe(problems[0]).find("with an IDE disk would stop with \"Soure File Tree not found\""),
              std::string::npos);
}

TEST_F(DriversFolder, ANameInOtherLettersIsReportedAndPlacedUnderTheRightName) {
    fs::rename(fs::path(folder) / "NT", fs::path(folder) / "nt");
    fs::rename(fs::path(folder) / "nt/ZIV.sys", fs::path(folder) / "nt/ziv.SYS");
    auto problems = CheckMedium(folder);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, MediumProblem::CaseDiffers);
    EXPECT_FALSE(problems[0].refused());
    std::string target = folder + "-built";
    AssembleMedium(folder, target);
    EXPECT_TRUE(fs::is_regular_file(fs::path(target) / "NT/ZIV.sys"));
    EXPECT_TRUE(fs::is_regular_file(fs::path(target) / "95-98/scsi/95drv.vxd"));
    fs::remove_all(target);
}

}  // namespace
