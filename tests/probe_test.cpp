#include <gtest/gtest.h>

#include "probe/probes.h"
#include "winsim/machine.h"

namespace {

const char *const ProductOptions = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

struct VersionCase {
    const char *what;
    DWORD platform, major, minor;
    BYTE productType;
    bool extendedFails;
    int expected;
};

class Classification : public ::testing::TestWithParam<VersionCase> {};

TEST_P(Classification, GivesTheVersionCode) {
    const VersionCase &c = GetParam();
    winsim::Machine m;
    m.version = {c.major, c.minor, 0, c.platform, c.productType, c.extendedFails, false};
    EXPECT_EQ(DetectWindowsVersion(), c.expected) << c.what;
}

const DWORD W95 = VER_PLATFORM_WIN32_WINDOWS, NT = VER_PLATFORM_WIN32_NT;

INSTANTIATE_TEST_SUITE_P(Windows95Platform, Classification,
                         ::testing::Values(VersionCase{"Windows 95", W95, 4, 0, 0, true, VersionWindows95},
                                           VersionCase{"Windows 98", W95, 4, 10, 0, true, VersionWindows98},
                                           VersionCase{"Windows ME", W95, 4, 90, 0, true, VersionWindowsMe},
                                           VersionCase{"4.3 is no 98", W95, 4, 3, 0, true, VersionWindows95},
                                           VersionCase{"3.95 is below 4", W95, 3, 95, 0, true, VersionWindows95},
                                           VersionCase{"a major above 4 is ME", W95, 5, 0, 0, true, VersionWindowsMe},
                                           VersionCase{"98 answering the extended record too", W95, 4, 10, 0, false,
                                                       VersionWindows98}));

INSTANTIATE_TEST_SUITE_P(
    NtProductType, Classification,
    ::testing::Values(
        VersionCase{"NT 3.51 workstation", NT, 3, 51, VER_NT_WORKSTATION, false, VersionNt4Workstation},
        VersionCase{"NT 4 workstation", NT, 4, 0, VER_NT_WORKSTATION, false, VersionNt4Workstation},
        VersionCase{"NT 4 server", NT, 4, 0, VER_NT_SERVER, false, VersionNt4Server},
        VersionCase{"NT 4 domain controller", NT, 4, 0, VER_NT_DOMAIN_CONTROLLER, false, VersionNt4Server},
        VersionCase{"NT 4, product type unknown", NT, 4, 0, 0, false, VersionNt4},
        VersionCase{"2000 professional", NT, 5, 0, VER_NT_WORKSTATION, false, VersionWindows2000Professional},
        VersionCase{"2000 server", NT, 5, 0, VER_NT_SERVER, false, VersionWindows2000Server},
        VersionCase{"2000 domain controller", NT, 5, 0, VER_NT_DOMAIN_CONTROLLER, false, VersionWindows2000Server},
        VersionCase{"XP", NT, 5, 1, VER_NT_WORKSTATION, false, VersionWindows2000Professional},
        VersionCase{"Server 2003", NT, 5, 2, VER_NT_SERVER, false, VersionWindows2000Server},
        VersionCase{"5.x, product type 7", NT, 5, 1, 7, false, VersionWindows2000},
        // A 5.2 that is no server is a 64-bit XP, where no 32-bit driver loads.
        VersionCase{"XP x64", NT, 5, 2, VER_NT_WORKSTATION, false, VersionUnknown},
        VersionCase{"5.2, product type 7", NT, 5, 2, 7, false, VersionUnknown},
        VersionCase{"Vista is unknown", NT, 6, 0, VER_NT_WORKSTATION, false, VersionUnknown},
        VersionCase{"a 6.x server", NT, 6, 1, VER_NT_SERVER, false, VersionUnknown},
        VersionCase{"10.0 without the extended record", NT, 10, 0, 0, true, VersionUnknown}));

INSTANTIATE_TEST_SUITE_P(OtherPlatforms, Classification,
                         ::testing::Values(VersionCase{"Win32s", VER_PLATFORM_WIN32s, 1, 0, 0, true, VersionUnknown},
                                           VersionCase{"platform 3", 3, 4, 0, 0, true, VersionUnknown},
                                           VersionCase{"platform 0xFFFFFFFF", 0xFFFFFFFFu, 4, 10, 0, false,
                                                       VersionUnknown}));

struct RegistryCase {
    const char *what;
    DWORD major;
    const char *productType;  // nullptr: value missing
    DWORD type;
    int expected;
};

class RegistryEdition : public ::testing::TestWithParam<RegistryCase> {};

TEST_P(RegistryEdition, DecidesTheEditionWithoutTheExtendedRecord) {
    const RegistryCase &c = GetParam();
    winsim::Machine m;
    m.version = {c.major, 0, 0, NT, 1, true, false};
    winsim::RegKey &key = m.Key(HKEY_LOCAL_MACHINE, ProductOptions);
    if (c.productType) {
        winsim::RegValue v;
        v.type = c.type;
        v.data.assign(c.productType, c.productType + strlen(c.productType) + 1);
        key.values["ProductType"] = v;
    }
    EXPECT_EQ(DetectWindowsVersion(), c.expected) << c.what;
    EXPECT_EQ(m.OpenKeyHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    ProductOptions, RegistryEdition,
    ::testing::Values(RegistryCase{"WinNT, any case", 4, "WinNT", REG_SZ, VersionNt4Workstation},
                      RegistryCase{"ServerNT", 4, "SERVERNT", REG_SZ, VersionNt4Server},
                      RegistryCase{"LanmanNT", 4, "LanmanNT", REG_SZ, VersionNt4Server},
                      RegistryCase{"2000 WinNT", 5, "WINNT", REG_SZ, VersionWindows2000Professional},
                      RegistryCase{"2000 ServerNT", 5, "ServerNT", REG_SZ, VersionWindows2000Server},
                      RegistryCase{"an unknown text", 4, "Embedded", REG_SZ, VersionNt4},
                      RegistryCase{"value missing", 5, nullptr, REG_SZ, VersionWindows2000},
                      RegistryCase{"not a string", 4, "WinNT", REG_BINARY, VersionNt4},
                      RegistryCase{"empty", 4, "", REG_SZ, VersionNt4}));

TEST(Classification, RegistryKeyMissingGivesTheFamily) {
    winsim::Machine m;
    m.version = {4, 0, 0, NT, 0, true, false};
    EXPECT_EQ(DetectWindowsVersion(), VersionNt4);
}

TEST(Classification, OverlongProductTypeIsReadSafely) {
    winsim::Machine m;
    m.version = {4, 0, 0, NT, 0, true, false};
    std::string longText(200, 'W');
    m.SetString(HKEY_LOCAL_MACHINE, ProductOptions, "ProductType", longText);
    EXPECT_EQ(DetectWindowsVersion(), VersionNt4);
    EXPECT_EQ(m.OpenKeyHandles(), 0);
}

TEST(Classification, ProductTypeWithoutTerminatorIsReadAsText) {
    winsim::Machine m;
    m.version = {4, 0, 0, NT, 0, true, false};
    winsim::RegValue v;
    v.type = REG_SZ;
    v.data = {'W', 'i', 'n', 'N', 'T'};
    m.Key(HKEY_LOCAL_MACHINE, ProductOptions).values["ProductType"] = v;
    EXPECT_EQ(DetectWindowsVersion(), VersionNt4Workstation) << "the text ends where the value ends";
}

TEST(Classification, TriesTheExtendedRecordFirstThenTheBasicOne) {
    winsim::Machine m;
    m.SetWindows95();
    EXPECT_EQ(DetectWindowsVersion(), VersionWindows95);
    EXPECT_EQ(m.CallsNamed("GetVersionExA"),
              (std::vector<std::string>{"GetVersionExA(156) = 0", "GetVersionExA(148) = 1"}));
}

TEST(Classification, BothQueriesFailingGivesUndetermined) {
    winsim::Machine m;
    m.version.extendedFails = true;
    m.version.basicFails = true;
    EXPECT_EQ(DetectWindowsVersion(), VersionUnknown);
}

TEST(Classification, OnlyTheExtendedQueryMayFail) {
    winsim::Machine m;
    m.SetWindows2000(VER_NT_SERVER);
    m.version.basicFails = true;
    EXPECT_EQ(DetectWindowsVersion(), VersionWindows2000Server);
}

TEST(VersionLabels, EveryCodeHasItsTextAndOthersNone) {
    EXPECT_STREQ(LookupVersionLabel(0), "Microsoft  Windows  32s");
    EXPECT_STREQ(LookupVersionLabel(2), "Microsoft  Windows  98");
    EXPECT_STREQ(LookupVersionLabel(3), "Microsoft  Windows  ME");
    EXPECT_STREQ(LookupVersionLabel(10), LookupVersionLabel(11));
    EXPECT_STREQ(LookupVersionLabel(12), "Windows  NT  Server");
    EXPECT_STREQ(LookupVersionLabel(20), LookupVersionLabel(21));
    EXPECT_STREQ(LookupVersionLabel(22), "Windows  2000  Server");
    for (int code : {-1, 4, 9, 13, 19, 23, 100}) EXPECT_STREQ(LookupVersionLabel(code), "") << code;
}

TEST(Installed, MarkerKeyPresentAbsentOrRefused) {
    winsim::Machine m;
    EXPECT_EQ(IsInstalled(), 0);
    m.Key(HKEY_LOCAL_MACHINE, "SYSTEM\\RESTORE CARD");
    EXPECT_EQ(IsInstalled(), 1) << "key names are compared without regard to case";
    EXPECT_EQ(m.OpenKeyHandles(), 0);
    m.Key(HKEY_LOCAL_MACHINE, "system\\Restore Card").denyOpen = true;
    EXPECT_EQ(IsInstalled(), 0);
}

TEST(Installed, AValueLessSiblingIsNoMarker) {
    winsim::Machine m;
    m.Key(HKEY_LOCAL_MACHINE, "system\\Restore Cards");
    m.Key(HKEY_LOCAL_MACHINE, "software\\Restore Card");
    EXPECT_EQ(IsInstalled(), 0);
}

}  // namespace
