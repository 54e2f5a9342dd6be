#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

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

// The manifest that `make medium` writes, and the checker holding the files to it.
TEST_F(DriversFolder, TheManifestNamesEachFileThatDisagreesWithIt) {
    auto write = [&](const std::string &path, const std::string &bytes) {
        std::ofstream(fs::path(folder) / path, std::ios::binary) << bytes;
    };
    const struct {
        const char *name;
        std::function<void()> change;
        std::string problem;  // the beginning of the only one; none when empty
    } cases[] = {
        {"as written", [] {}, ""},
        {"a changed byte", [&] { write("NT/ZIV.sys", "another driver"); }, "\\NT\\ZIV.sys: 14 bytes, CRC-32 "},
        {"no entry", [&] { write("MANIFEST.TXT", "\\Vave_R.exe 1 00000000\r\n"); }, "\\95-98\\95drv.exe: not listed"},
        {"a line that is no entry, passed over as Setup does",
         [&] { std::ofstream(fs::path(folder) / "MANIFEST.TXT", std::ios::binary | std::ios::app) << "no entry\r"; },
         ""},
        {"numbers that are not the file's, on the first line that names it",
         [&] {
             std::ifstream in(fs::path(folder) / "MANIFEST.TXT", std::ios::binary);
             std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
             write("MANIFEST.TXT", "\\FCHK1.DAT 5 nothex\r" + written);
         },
         "\\FCHK1.DAT: "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WriteManifest(folder);
        c.change();
        auto problems = CheckManifest(folder);
        if (c.problem.empty()) {
            EXPECT_TRUE(problems.empty());
            continue;
        }
        ASSERT_FALSE(problems.empty());
        EXPECT_EQ(problems[0].substr(0, c.problem.size()), c.problem);
    }
}

}  // namespace
