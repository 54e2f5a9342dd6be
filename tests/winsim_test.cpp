// The simulated machine answers as Windows does where the program depends on it.
#include <gtest/gtest.h>

#include "winsim/machine.h"

namespace {

TEST(SimulatedRegistry, NamesIgnoreCaseAndValuesKeepTheirSize) {
    winsim::Machine m;
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "System\\A\\B", &key), ERROR_SUCCESS);
    BYTE one = 0;
    ASSERT_EQ(RegSetValueExA(key, "Start", 0, REG_BINARY, &one, 1), ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SYSTEM\\a\\b", &key), ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "START", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 1u);
    RegCloseKey(key);
    EXPECT_EQ(m.OpenKeyHandles(), 0);
}

// A handle into a deleted tree stays open, but the key behind it is gone.
TEST(SimulatedRegistry, NtKeepsAKeyWithSubkeysAndWindows95DeletesTheTree) {
    for (bool nt : {true, false}) {
        winsim::Machine m;
        if (nt) m.SetWindowsNt4();
        HKEY child;
        ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent\\Child", &child), ERROR_SUCCESS);
        EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Parent"), nt ? ERROR_ACCESS_DENIED : ERROR_SUCCESS);
        EXPECT_EQ(m.HasKey(HKEY_LOCAL_MACHINE, "Software\\Parent"), nt);
        EXPECT_EQ(RegQueryValueExA(child, "", nullptr, nullptr, nullptr, nullptr),
                  nt ? ERROR_FILE_NOT_FOUND : 1018L /* ERROR_KEY_DELETED */);
        RegCloseKey(child);
    }
}

TEST(SimulatedRegistry, ReadOnlyTreesRefuseChanges) {
    winsim::Machine m;
    m.Key(HKEY_LOCAL_MACHINE, "System\\Existing");
    m.Key(HKEY_LOCAL_MACHINE, "").readOnly = true;
    HKEY key;
    EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "System\\New", &key), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "System\\Existing", &key), ERROR_SUCCESS);
    DWORD v = 1;
    EXPECT_EQ(RegSetValueExA(key, "X", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), 4), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\Existing"), ERROR_ACCESS_DENIED);
}

TEST(SimulatedRegistry, QueryReportsTheSizeItNeeds) {
    winsim::Machine m;
    m.SetString(HKEY_LOCAL_MACHINE, "K", "V", "abcdef");
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_SUCCESS);
    char small[4];
    DWORD size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "V", nullptr, nullptr, reinterpret_cast<BYTE *>(small), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    RegCloseKey(key);
}

}  // namespace
