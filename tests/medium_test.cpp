#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "medium/layout.h"
#include "setup_machine.h"

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

// The layout's messages are the ones the program really shows when that file is missing.
TEST(MediumLayout, EachMessageIsTheProgramsOwn) {
    struct Run {
        const char *path;
        void (*set)(winsim::Machine &);
        int button;
        const char *message;
    };
    auto w95 = [](winsim::Machine &m) { m.SetWindows95(); };
    auto nt4 = [](winsim::Machine &m) { m.SetWindowsNt4(); };
    auto w2k = [](winsim::Machine &m) { m.SetWindows2000(); };
    const Run runs[] = {
        {"95-98/95drv.exe", w95, IDC_IDE, "Soure File One not found"},
        {"Vave_R.exe", w95, IDC_IDE, "Soure File Two not found"},
        {"Vave_R.exe", nt4, IDC_IDE, "Soure File Two not found"},
        {"RizoZezu.lnk", w95, IDC_IDE, "Soure File Tow not found"},
        {"95-98/ide/95drv.vxd", w95, IDC_IDE, "Soure File Tree not found"},
        {"95-98/scsi/95drv.vxd", w95, IDC_SCSI, "Soure File Tree not found"},
        {"FCHK1.DAT", w95, IDC_IDE, "Soure File One-2 not found"},
        {"NT/ZIV.sys", nt4, IDC_IDE, "Soure File one not found"},
        {"NT/ZIV.sys", w2k, IDC_IDE, "Soure File One not found"},
    };
    for (const Run &r : runs) {
        const MediumFile *file = nullptr;
        for (const MediumFile &f : MediumLayout())
            if (std::string(f.path) == r.path) file = &f;
        ASSERT_TRUE(file) << r.path;
        EXPECT_NE(std::string(file->message).find(r.message), std::string::npos) << r.path;
        winsim::Machine m;
        r.set(m);
        InsertMedium(m);
        std::string windowsPath = std::string("E:\\") + r.path;
        for (char &c : windowsPath)
            if (c == '/') c = '\\';
        std::remove(m.HostPath(windowsPath).c_str());
        Install(m, r.button);
        ASSERT_EQ(m.messageBoxes.size(), 1u) << r.path;
        EXPECT_EQ(m.messageBoxes[0].text, r.message) << r.path;
    }
    EXPECT_EQ(MediumLayout().size(), 7u);
}

}  // namespace
