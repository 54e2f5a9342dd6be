#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "actions/paths.h"
#include "actions/system_files.h"
#include "platform/buffered_file.h"
#include "winsim/machine.h"

namespace {

const std::string Loader = "install c:\\ltdrv\\95drv.exe\r\n";
const std::string Prefix = "install c:\\ltdrv\\95drv.ex";

class ConfigSys : public ::testing::Test {
protected:
    std::string Config() { return machine.ReadFile("C:\\CONFIG.SYS"); }
    void SetConfig(const std::string &bytes) { machine.WriteFile("C:\\CONFIG.SYS", bytes); }
    void TearDown() override { EXPECT_EQ(machine.OpenFileHandles(), 0); }
    winsim::Machine machine;
};

// A folder named like the set-aside copy is no copy of CONFIG.SYS.
TEST_F(ConfigSys, AMissingFileGetsTheLoaderLineAlone) {
    machine.MakeDirectory("C:\\CONFIG.SSO");
    EXPECT_EQ(AddConfigSysLine(), 1);
    EXPECT_EQ(Config(), Loader);
    EXPECT_FALSE(machine.FileExists("C:\\CONFIG.SSS"));
    EXPECT_TRUE(machine.DirectoryExists("C:\\CONFIG.SSO"));
}

TEST_F(ConfigSys, TheLoaderLineGoesOnTopOfWhatWasThere) {
    SetConfig("DEVICE=A\r\nFILES=B");
    AddConfigSysLine();
    EXPECT_EQ(Config(), Loader + "DEVICE=A\r\nFILES=B") << "a last line without a line end keeps none";
    AddConfigSysLine();
    EXPECT_EQ(Config(), Loader + Loader + "DEVICE=A\r\nFILES=B") << "a second install stacks";
    RemoveConfigSysLine();
    EXPECT_EQ(Config(), "DEVICE=A\r\nFILES=B");
    EXPECT_STREQ(SourcePath, "C:\\CONFIG.SYS");
    EXPECT_STREQ(DestinationPath, "c:\\CONFIG.SSS");
    EXPECT_FALSE(machine.FileExists("C:\\CONFIG.SSS"));
}

// DOS reads no further than the first 0x1A: what stands there is carried over unexamined,
// byte for byte; only a lone mark that ends the file is dropped.
TEST_F(ConfigSys, LongLinesBareLineEndsAndTheEndMark) {
    std::string longLine(300, 'x');
    const std::string after = "\x1A" + Loader + "B\n\x1A\r";
    SetConfig(longLine + "\nB\nC" + after);
    ASSERT_EQ(AddConfigSysLine(), 1);
    EXPECT_EQ(Config(), Loader + longLine + "\r\nB\r\nC" + after);
    ASSERT_EQ(RemoveConfigSysLine(), 1);
    EXPECT_EQ(Config(), longLine + "\r\nB\r\nC" + after);
    SetConfig("A\nB\r\x1A");
    RemoveConfigSysLine();
    EXPECT_EQ(Config(), "A\r\nB\r");
}

// Lines at and just past the reader's 254-character pieces: the next line is judged from its
// start, and a long line's later pieces, wherever they begin, are never judged.
TEST_F(ConfigSys, LinesAroundThePieceSizeAreJudgedFromTheirStart) {
    const std::string exact(253, 'e'), over(254, 'o');
    SetConfig(exact + "\n" + Loader + over + Prefix + "e\r\n" + over + "\n" + Prefix + "\n");
    RemoveConfigSysLine();
    EXPECT_EQ(Config(), exact + "\r\n" + over + Prefix + "e\r\n" + over + "\r\n");
}

// CONFIG.SYS is read and written FileBufferSize bytes at a time: what falls on a buffer's edge,
// in the file as it is read for an install (from its start) or for an uninstall (after the
// loader line), comes out as from one read.
TEST_F(ConfigSys, WhatFallsOnABuffersEdgeComesOutWhole) {
    const size_t loader = Loader.size();
    for (size_t edge : {size_t(FileBufferSize), FileBufferSize - loader, 2 * FileBufferSize - loader}) {
        // clang-format off
        const std::pair<std::string, std::string> cases[] = {  // the file, and as rewritten
            {std::string(edge - 1, 'a'), std::string(edge - 1, 'a')},
            {std::string(edge, 'a'), std::string(edge, 'a')},
            {std::string(edge + 1, 'a'), std::string(edge + 1, 'a')},
            {std::string(edge - 1, 'a') + "\r\nB", std::string(edge - 1, 'a') + "\r\nB"},
            {std::string(edge - 1, 'a') + "\nB\r", std::string(edge - 1, 'a') + "\r\nB\r"},
            {std::string(edge - 1, 'a') + "\r", std::string(edge - 1, 'a') + "\r"},
            {std::string(edge - 1, 'a') + "\x1A" + Loader, std::string(edge - 1, 'a') + "\x1A" + Loader},
            {std::string(edge - 2, 'a') + "\r\n\x1A", std::string(edge - 2, 'a') + "\r\n"},
        };
        // clang-format on
        for (const auto &[file, rewritten] : cases) {
            SCOPED_TRACE(std::to_string(edge) + ": " + std::to_string(file.size()) + " bytes ending " +
                         ::testing::PrintToString(file.substr(file.size() - 4)));
            SetConfig(file);
            ASSERT_EQ(AddConfigSysLine(), 1);
            EXPECT_EQ(Config(), Loader + rewritten);
            ASSERT_EQ(RemoveConfigSysLine(), 1);
            EXPECT_EQ(Config(), rewritten);
        }
    }
}

// A read that fails part-way, after whole buffers went through: nothing is rewritten, and a
// loader line beyond the damage may still be there.
TEST_F(ConfigSys, AReadThatFailsPartWayLeavesTheFileAsItWas) {
    const std::string before = std::string(FileBufferSize + 100, 'x') + "\r\n" + Loader;
    SetConfig(before);
    machine.FailReadAt("C:\\CONFIG.SYS", FileBufferSize + 10);
    EXPECT_EQ(AddConfigSysLine(), 0);
    EXPECT_EQ(RemoveConfigSysLine(), 0);
    EXPECT_EQ(Config(), before);
    EXPECT_FALSE(machine.FileExists("C:\\CONFIG.SSS"));
}

TEST_F(ConfigSys, RemovalTakesEveryLineThatStartsWithThePrefixAndNoOther) {
    // clang-format off
    const std::string kept[] = {
        "INSTALL C:\\LTDRV\\95DRV.EXE\r\n",
        " install c:\\ltdrv\\95drv.exe\r\n",
        "install=c:\\ltdrv\\95drv.exe\r\n",
        "install c:\\ltdrv\\95drv.e\r\n",
        std::string(240, 'y') + Prefix + "e\r\n",  // the prefix inside a long line
    };
    const std::string removed[] = {
        Loader,
        "install c:\\ltdrv\\95drv.exe /quiet\r\n",
        "install c:\\ltdrv\\95drv.exx\r\n",
        Prefix + "\r\n",
        Prefix,
        Prefix + std::string(400, 'z') + "\r\n",  // the whole long line goes, not its start
    };
    // clang-format on
    std::string all, expected;
    for (size_t i = 0; i < 5; ++i) {
        all += kept[i] + removed[i];
        expected += kept[i];
    }
    all += removed[5];
    SetConfig(all);
    RemoveConfigSysLine();
    EXPECT_EQ(Config(), expected);
}

TEST_F(ConfigSys, AnOldWorkFileIsOverwrittenAndRemoved) {
    SetConfig("A\r\n");
    machine.WriteFile("C:\\CONFIG.SSS", "something else");
    RemoveConfigSysLine();
    EXPECT_EQ(Config(), "A\r\n");
    EXPECT_FALSE(machine.FileExists("C:\\CONFIG.SSS"));
}

// Every byte but the line ends and the end mark is text, 0x00 and 0xFF alike.
TEST_F(ConfigSys, EveryByteKeepsTheRestOfItsLine) {
    std::string line = "REM ";
    for (int c = 0; c < 256; ++c)
        if (c != '\r' && c != '\n' && c != 0x1A) line += static_cast<char>(c);
    SetConfig(line + "\r\nC\r\n");
    AddConfigSysLine();
    EXPECT_EQ(Config(), Loader + line + "\r\nC\r\n");
    RemoveConfigSysLine();
    EXPECT_EQ(Config(), line + "\r\nC\r\n");
}

// Whatever stops an edit, CONFIG.SYS keeps its old contents in full (or stays absent), no
// work file or set-aside copy is left, and the answer says whether a loader line is left.
TEST(ConfigSysEdit, AnEditThatCannotBeMadeLeavesTheFileWhole) {
    struct Case {
        const char *name;
        void (*prepare)(winsim::Machine &);
        bool present;  // CONFIG.SYS exists
    };
    const Case cases[] = {
        {"read-only", [](winsim::Machine &m) { m.SetReadOnly("C:\\CONFIG.SYS"); }, true},
        {"held open", [](winsim::Machine &m) { m.Lock("C:\\CONFIG.SYS"); }, true},
        {"a folder", [](winsim::Machine &m) { m.MakeDirectory("C:\\CONFIG.SYS"); }, false},
        {"work file a folder", [](winsim::Machine &m) { m.MakeDirectory("C:\\CONFIG.SSS"); }, true},
        {"not set aside", [](winsim::Machine &m) { m.FailMoveOf("C:\\CONFIG.SYS"); }, true},
        {"work file not moved", [](winsim::Machine &m) { m.FailMoveOf("C:\\CONFIG.SSS"); }, true},
        {"old set-aside stays",
         [](winsim::Machine &m) {
             m.WriteFile("C:\\CONFIG.SSO", "x");
             m.SetReadOnly("C:\\CONFIG.SSO");
         },
         true},
        {"none, work file not moved", [](winsim::Machine &m) { m.FailMoveOf("C:\\CONFIG.SSS"); }, false},
        {"none, work file held", [](winsim::Machine &m) { m.Lock("C:\\CONFIG.SSS"); }, false},
    };
    for (const Case &c : cases) {
        for (const std::string &before : {Loader + "A\r\n", std::string("A\r\n")}) {
            SCOPED_TRACE(std::string(c.name) + (before == Loader + "A\r\n" ? ", with the line" : ""));
            winsim::Machine m;
            if (c.present) m.WriteFile("C:\\CONFIG.SYS", before);
            c.prepare(m);
            EXPECT_EQ(AddConfigSysLine(), 0);
            bool lineLeft = c.present && before != "A\r\n";
            // A file that cannot be read might hold the line; one that is absent holds none.
            bool unknown = std::string(c.name) == "held open";
            EXPECT_EQ(RemoveConfigSysLine(), lineLeft || unknown ? 0 : 1);
            if (c.present)
                EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), before);
            else
                EXPECT_FALSE(m.FileExists("C:\\CONFIG.SYS")) << "no empty CONFIG.SYS is made";
            EXPECT_FALSE(m.FileExists("C:\\CONFIG.SSS"));
            EXPECT_EQ(m.FileExists("C:\\CONFIG.SSO"), std::string(c.name) == "old set-aside stays");
        }
    }
}

// The old file goes aside, the work file takes its name, the old file goes: at no moment is
// there no complete CONFIG.SYS, and the new one keeps the old one's attributes.
TEST_F(ConfigSys, TheOldFileGoesOnlyOnceTheNewOneIsInPlace) {
    SetConfig("A\r\n");
    machine.WriteFile("C:\\CONFIG.SSO", "left by a run that was cut off");
    SetFileAttributesA("C:\\CONFIG.SYS", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    machine.calls.clear();
    ASSERT_EQ(AddConfigSysLine(), 1);
    EXPECT_EQ(Config(), Loader + "A\r\n");
    EXPECT_EQ(machine.Attributes("C:\\CONFIG.SYS"),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_FALSE(machine.FileExists("C:\\CONFIG.SSO"));
    std::vector<std::string> steps;
    for (const auto &call : machine.calls)
        if (call.rfind("DeleteFileA(", 0) == 0 || call.rfind("MoveFileA(", 0) == 0) steps.push_back(call);
    EXPECT_EQ(steps, (std::vector<std::string>{
                         "DeleteFileA(c:\\CONFIG.SSS) = 0 (error 2)", "DeleteFileA(c:\\CONFIG.SSO) = 1",
                         "MoveFileA(c:\\config.sys, c:\\CONFIG.SSO) = 1",
                         "MoveFileA(c:\\CONFIG.SSS, c:\\config.sys) = 1", "DeleteFileA(c:\\CONFIG.SSO) = 1"}));
}

// The new file keeps the old one's hidden, system and archive bits, and only those, on a system
// that keeps the archive bit as Windows does.
TEST_F(ConfigSys, TheNewFileKeepsTheOldOnesAttributes) {
    machine.archiveAsWindows = true;
    for (DWORD attributes : {static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE),
                             static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN),
                             static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL)}) {
        SetConfig("A\r\n");
        SetFileAttributesA("C:\\CONFIG.SYS", attributes);
        ASSERT_EQ(AddConfigSysLine(), 1);
        EXPECT_EQ(machine.Attributes("C:\\CONFIG.SYS"), attributes);
    }
}

// A run cut off between its two renames left the set-aside copy alone: it is CONFIG.SYS again,
// attributes and all, before either edit; where it cannot take the name, nothing is written.
TEST(ConfigSysEdit, ASetAsideCopyAloneIsConfigSysAgain) {
    struct Case {
        int (*edit)();
        std::string before, after;
        bool moveFails;
    };
    const Case cases[] = {
        {AddConfigSysLine, "A\r\n", Loader + "A\r\n", false},
        {RemoveConfigSysLine, Loader + "A\r\n", "A\r\n", false},
        {AddConfigSysLine, "A\r\n", "", true},
        {RemoveConfigSysLine, Loader + "A\r\n", "", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.before + (c.moveFails ? ", the rename fails" : ""));
        winsim::Machine m;
        m.WriteFile("C:\\CONFIG.SSO", c.before);
        SetFileAttributesA("C:\\CONFIG.SSO", FILE_ATTRIBUTE_HIDDEN);
        if (c.moveFails) m.FailMoveOf("C:\\CONFIG.SSO");
        EXPECT_EQ(c.edit(), c.moveFails ? 0 : 1);
        if (c.moveFails) {
            EXPECT_FALSE(m.FileExists("C:\\CONFIG.SYS"));
            EXPECT_EQ(m.ReadFile("C:\\CONFIG.SSO"), c.before);
        } else {
            EXPECT_EQ(m.ReadFile("C:\\CONFIG.SYS"), c.after);
            EXPECT_EQ(m.Attributes("C:\\CONFIG.SYS"),
                      static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
            EXPECT_FALSE(m.FileExists("C:\\CONFIG.SSO"));
        }
    }
}

// Only when the work file cannot take the name and the old file cannot come back is
// CONFIG.SYS missing; its contents then stay whole in the set-aside copy.
TEST_F(ConfigSys, AFailedPutBackKeepsTheSetAsideCopy) {
    SetConfig("A\r\n");
    machine.FailMoveOf("C:\\CONFIG.SSS");
    machine.FailMoveOf("C:\\CONFIG.SSO");
    EXPECT_EQ(AddConfigSysLine(), 0);
    EXPECT_EQ(machine.ReadFile("C:\\CONFIG.SSO"), "A\r\n");
}

TEST_F(ConfigSys, NoCONFIGSYSIsMadeByRemoval) {
    EXPECT_EQ(RemoveConfigSysLine(), 1);
    EXPECT_FALSE(machine.FileExists("C:\\CONFIG.SYS"));
    EXPECT_FALSE(machine.FileExists("C:\\CONFIG.SSS"));
}

TEST_F(ConfigSys, ARewriteThatRunsOutOfSpaceLeavesTheOldFile) {
    std::string original = Loader + "DEVICE=HIMEM.SYS\r\n" + std::string(500, 'q') + "\r\n";
    // Room for none, for less than a buffer, and for one buffer but not the next.
    for (long long budget : {0LL, FileBufferSize - 1LL, FileBufferSize + 8LL}) {
        SetConfig(original);
        machine.drives['C'].writeBudget = budget;
        AddConfigSysLine();
        EXPECT_EQ(Config(), original) << budget;
        RemoveConfigSysLine();
        EXPECT_EQ(Config(), original) << budget;
        EXPECT_FALSE(machine.FileExists("C:\\CONFIG.SSS")) << budget;
    }
    machine.drives['C'].writeBudget = -1;
}

// A writer whose write failed writes nothing more, even once the disk has room again: the
// file never has a gap, and closing it says that not every byte was written.
TEST_F(ConfigSys, AWriterStopsAtItsFirstFailedWrite) {
    CFileWriter writer;
    ASSERT_TRUE(writer.Create("C:\\written.txt"));
    machine.drives['C'].writeBudget = FileBufferSize;
    writer.Write(std::string(FileBufferSize, 'a').c_str());
    writer.Write(std::string(FileBufferSize, 'b').c_str());
    writer.Put('c');  // the second buffer's write fails here
    machine.drives['C'].writeBudget = -1;
    writer.Write(std::string(FileBufferSize, 'd').c_str());
    EXPECT_FALSE(writer.Flush());
    EXPECT_FALSE(writer.Close());
    EXPECT_EQ(machine.ReadFile("C:\\written.txt"), std::string(FileBufferSize, 'a'));
}

// What a text-mode reader of the Microsoft C runtime sees, line by line.
std::vector<std::string> TextLines(const std::string &raw) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < raw.size() && raw[i] != 0x1A; ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        line += raw[i];
        if (raw[i] == '\n') {
            lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

TEST_F(ConfigSys, InstallThenUninstallGivesBackTheOtherLines) {
    const unsigned seed = 20261207;
    const int files = 3000;
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const std::string variants[] = {
        Loader,       "install c:\\ltdrv\\95drv.exe /x\n", Prefix, Prefix + "\r\n", "INSTALL C:\\LTDRV\\95DRV.EXE\r\n",
        " " + Loader, "install=c:\\ltdrv\\95drv.exe\r\n"};
    const char alphabet[] = "abcXYZ =\\:.;\t\r\0\x1a";
    for (int file = 0; file < files; ++file) {
        std::string raw;
        int lines = pick(8);
        for (int l = 0; l < lines; ++l) {
            if (pick(4) == 0) {
                raw += variants[pick(7)];
                continue;
            }
            int length = pick(5) == 0 ? pick(601) : pick(40);
            for (int c = 0; c < length; ++c) {
                // 0x1A and stray CRs are rare, as in real files.
                int k = pick(100) < 2 ? pick(static_cast<int>(sizeof alphabet - 1)) : pick(12);
                raw += alphabet[k];
            }
            int end = pick(10);
            raw += end < 6 ? "\r\n" : end < 9 ? "\n" : "";
        }
        SetConfig(raw);
        AddConfigSysLine();
        RemoveConfigSysLine();
        std::string expected;
        for (const std::string &line : TextLines(raw)) {
            if (line.compare(0, Prefix.size(), Prefix) == 0) continue;
            for (char c : line) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        size_t mark = raw.find('\x1A');
        if (mark != std::string::npos && mark + 1 < raw.size()) expected += raw.substr(mark);
        ASSERT_EQ(Config(), expected) << "file " << file << " of seed " << seed;
        ASSERT_FALSE(machine.FileExists("C:\\CONFIG.SSS"));
    }
    std::printf("CONFIG.SYS round trips: %d generated files, seed %u\n", files, seed);
}

}  // namespace
