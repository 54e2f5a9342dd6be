#include <gtest/gtest.h>

#include "actions/manifest.h"
#include "program_run.h"

namespace {

TEST(Crc32, IsZipsCrc) {
    const struct {
        std::string bytes;
        unsigned int crc;
    } known[] = {
        {"", 0x00000000}, {"a", 0xE8B7BE43}, {"123456789", 0xCBF43926}, {std::string("\0\xff", 2), 0x6CDBFD72}};
    for (const auto &k : known) {
        unsigned int crc = 0xFFFFFFFF;
        for (char c : k.bytes) crc = Crc32Byte(crc, static_cast<unsigned char>(c));
        EXPECT_EQ(~crc, k.crc) << '"' << k.bytes << '"';
    }
}

// "hello": 5 bytes, CRC-32 3610A686.
TEST(Manifest, AFileIsUsedOnlyWhenItsEntrySaysSo) {
    const std::string entry = "\\NT\\ZIV.sys 5 3610A686\r\n";
    const struct {
        const char *name;
        std::string manifest;  // "none": the medium has none; "locked": another program holds it
        std::string copy;
        int result;
    } cases[] = {
        {"intact", "\\Vave_R.exe 4 00000000\r\n" + entry, "hello", MediumFileIntact},
        {"letter case, LF ends, empty lines", "\n\\nt\\ziv.SYS 5 3610a686\n\n", "hello", MediumFileIntact},
        {"a changed byte", entry, "hellO", MediumFileDamaged},
        {"cut short", entry, "hell", MediumFileDamaged},
        {"longer", entry, "hello!", MediumFileDamaged},
        {"empty", entry, "", MediumFileDamaged},
        {"an entry with its numbers cut off", "\\NT\\ZIV.sys 5\r\n", "hello", MediumFileDamaged},
        {"a longer path of the same beginning", "\\NT\\ZIV.sys.old 5 3610A686\r\n", "hello", MediumFileUnlisted},
        {"no entry", "\\Vave_R.exe 5 3610A686\r\nno entry at all\r\n", "hello", MediumFileUnlisted},
        {"an empty manifest", "", "hello", MediumFileUnlisted},
        {"unreadable", "locked", "hello", ManifestUnreadable},
        {"a read that fails part-way", "\\Vave_R.exe 4 00000000\r\n" + entry, "hello", ManifestUnreadable},
        {"no manifest", "none", "damaged", MediumFileUnchecked},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        winsim::Machine machine;
        machine.MapDrive('E', DRIVE_CDROM);
        machine.currentDirectory = "E:\\NT";
        machine.WriteFile("C:\\copy.tmp", c.copy);
        if (c.manifest != "none") machine.WriteFile("E:\\MANIFEST.TXT", c.manifest == "locked" ? entry : c.manifest);
        if (c.manifest == "locked") machine.Lock("E:\\MANIFEST.TXT");
        if (std::string(c.name) == "a read that fails part-way") machine.FailReadAt("E:\\MANIFEST.TXT", 10);
        EXPECT_EQ(CheckAgainstManifest("C:\\copy.tmp", "\\NT\\ZIV.sys"), c.result);
        EXPECT_EQ(machine.OpenFileHandles(), 0);
    }
}

}  // namespace
