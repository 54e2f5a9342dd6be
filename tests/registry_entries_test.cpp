#include <gtest/gtest.h>

#include "actions/registry_entries.h"
#include "setup_machine.h"

namespace {

TEST(DriverEntries, WritingKeepsOtherValuesAndOverwritesItsOwn) {
    winsim::Machine m;
    m.SetWindowsNt4();
    m.SetString(HKEY_LOCAL_MACHINE, ZivKey, "ImagePath", "elsewhere");
    m.SetString(HKEY_LOCAL_MACHINE, ZivKey, "Start", "not a number");
    WriteZivService();
    EXPECT_EQ(m.FindValue(HKEY_LOCAL_MACHINE, ZivKey, "ImagePath")->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(m.FindValue(HKEY_LOCAL_MACHINE, ZivKey, "Start")->data, (std::vector<BYTE>{0, 0, 0, 0}));
    EXPECT_EQ(m.FindValue(HKEY_LOCAL_MACHINE, ZivKey, "ErrorControl")->data, (std::vector<BYTE>{1, 0, 0, 0}));
    EXPECT_EQ(m.OpenKeyHandles(), 0);
}

TEST(DriverEntries, DeletingWhatIsNotThereChangesNothing) {
    winsim::Machine m;
    m.SetWindowsNt4();
    m.Key(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Other");
    DeleteZivService();
    DeleteScvxdKey();
    EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Other"));
    EXPECT_EQ(m.OpenKeyHandles(), 0);
}

// NT refuses a key that has subkeys: the program's own keys lose theirs first, and a key
// that still stays is named in the answer.
TEST(DriverEntries, OwnKeysGoWithTheirSubkeysOnNt) {
    struct Case {
        const char *key;
        int (*write)();
        const char *(*remove)();
    };
    const std::string marker = "system\\Restore Card";
    const Case cases[] = {
        {ZivKey, WriteZivService, DeleteZivService},
        {ScvxdKey, WriteScvxdKey, DeleteScvxdKey},
        {marker.c_str(), nullptr, [] { return DeleteOwnKey("system\\Restore Card"); }},
    };
    for (const Case &c : cases) {
        for (bool stuck : {false, true}) {
            SCOPED_TRACE(std::string(c.key) + (stuck ? " with a subkey that stays" : ""));
            winsim::Machine m;
            m.SetWindows2000();
            m.Key(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\VxD\\Other");
            if (c.write) c.write();
            m.Key(HKEY_LOCAL_MACHINE, std::string(c.key) + "\\Enum\\Root");
            m.Key(HKEY_LOCAL_MACHINE, std::string(c.key) + "\\Security");
            if (stuck) m.Key(HKEY_LOCAL_MACHINE, std::string(c.key) + "\\Enum").denyOpen = true;
            const char *left = c.remove();
            EXPECT_EQ(m.HasKey(HKEY_LOCAL_MACHINE, c.key), stuck);
            EXPECT_STREQ(left, stuck ? c.key : nullptr);
            EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, std::string(c.key) + "\\Security"));
            EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\VxD\\Other"))
                << "nothing above the key is touched";
            EXPECT_EQ(m.OpenKeyHandles(), 0);
        }
    }
}

TEST(DriverEntries, TheStaticVxdEntryGoesValueByValueThenTheKey) {
    winsim::Machine m;
    WriteScvxdKey();
    m.FindKey(HKEY_LOCAL_MACHINE, ScvxdKey)->values.erase("StaticVxD");
    DeleteScvxdKey();
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, ScvxdKey));
    EXPECT_TRUE(m.HasKey(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD"));
    auto deletes = m.CallsNamed("RegDeleteValueA");
    ASSERT_EQ(deletes.size(), 2u);
    EXPECT_NE(deletes[0].find("StaticVxD"), std::string::npos);
    EXPECT_NE(deletes[1].find("Start"), std::string::npos);
}

TEST(DriverEntries, AUserWhoMayNotWriteCreatesNothing) {
    winsim::Machine m;
    m.Key(HKEY_LOCAL_MACHINE, "").readOnly = true;
    WriteScvxdKey();
    WriteZivService();
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, ScvxdKey));
    EXPECT_FALSE(m.HasKey(HKEY_LOCAL_MACHINE, ZivKey));
    EXPECT_TRUE(m.CallsNamed("RegSetValueExA").empty());
}

}  // namespace
