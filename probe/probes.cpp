#include "probe/probes.h"

#include "platform/platform.h"

const char InstalledMarkerKey[] = "system\\Restore Card";

const VersionLabel VersionLabels[] = {
    {VersionUnknown, "Microsoft  Windows  32s"},
    {VersionWindows95, "Microsoft  Windows  95"},
    {VersionWindows98, "Microsoft  Windows  98"},
    {VersionWindowsMe, "Microsoft  Windows  ME"},
    {VersionNt4, "Windows  NT  Workstation"},
    {VersionNt4Workstation, "Windows  NT  Workstation"},
    {VersionNt4Server, "Windows  NT  Server"},
    {VersionWindows2000, "Windows  2000  Professional"},
    {VersionWindows2000Professional, "Windows  2000  Professional"},
    {VersionWindows2000Server, "Windows  2000  Server"},
};
const int VersionLabelCount = sizeof VersionLabels / sizeof VersionLabels[0];

const char *LookupVersionLabel(int code) {
    for (const VersionLabel &row : VersionLabels)
        if (row.code == code) return row.label;
    return "";
}

int FamilyOf(int versionCode) {
    switch (versionCode) {
    case VersionWindows95:
    case VersionWindows98:
    case VersionWindowsMe: return FamilyWindows95;
    case VersionNt4:
    case VersionNt4Workstation: return FamilyNt4;
    case VersionWindows2000:
    case VersionWindows2000Professional: return FamilyWindows2000;
    default: return FamilyNone;
    }
}

namespace {

enum { EditionUnknown = 0, EditionWorkstation = 1, EditionServer = 2 };

int EditionFromProductType(BYTE productType) {
    switch (productType) {
    case VER_NT_WORKSTATION: return EditionWorkstation;
    case VER_NT_DOMAIN_CONTROLLER:
    case VER_NT_SERVER: return EditionServer;
    default: return EditionUnknown;
    }
}

// Systems that refuse the extended version record keep the edition in the registry.
int EditionFromRegistry() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
        return EditionUnknown;
    char productType[80];
    DWORD type = REG_NONE;
    DWORD size = sizeof productType - 1;
    LONG result = RegQueryValueExA(key, "ProductType", nullptr, &type, reinterpret_cast<LPBYTE>(productType), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return EditionUnknown;
    // Stored strings need not carry their terminating zero.
    productType[size < sizeof productType ? size : sizeof productType - 1] = '\0';
    if (lstrcmpiA(productType, "WINNT") == 0) return EditionWorkstation;
    if (lstrcmpiA(productType, "SERVERNT") == 0 || lstrcmpiA(productType, "LANMANNT") == 0) return EditionServer;
    return EditionUnknown;
}

}  // namespace

int DetectWindowsVersion() {
    OSVERSIONINFOEXA info;
    memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    LPOSVERSIONINFOA record = reinterpret_cast<LPOSVERSIONINFOA>(&info);
    BOOL extended = GetVersionExA(record);
    if (!extended) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(record)) return VersionUnknown;
    }
    DWORD major = info.dwMajorVersion;
    DWORD minor = info.dwMinorVersion;
    switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s: return VersionUnknown;
    case VER_PLATFORM_WIN32_WINDOWS:
        if (major > 4 || (major == 4 && minor == 90)) return VersionWindowsMe;
        if (major == 4 && minor == 10) return VersionWindows98;
        return VersionWindows95;
    case VER_PLATFORM_WIN32_NT: {
        // Nothing after 2000 and XP loads the NT 4 era's boot driver: such a system is refused
        // as one the program does not know.
        if (major >= 6) return VersionUnknown;
        int family = major <= 4 ? VersionNt4 : VersionWindows2000;
        int edition = extended ? EditionFromProductType(info.wProductType) : EditionFromRegistry();
        // NT 5.2 that is no server is only ever a 64-bit Windows XP, and it says so to a 32-bit
        // program too: a 32-bit kernel driver cannot load there.
        int code = family + edition;
        return (major << 8 | minor) >= 0x502 && code != VersionWindows2000Server ? VersionUnknown : code;
    }
    default:
        // An unknown platform is no Windows 95: nothing may be installed on it.
        return VersionUnknown;
    }
}

int IsInstalled() {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, InstalledMarkerKey, &key) != ERROR_SUCCESS) return 0;
    RegCloseKey(key);
    return 1;
}

int MayChangeDrivers() {
    HKEY services;
    LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0,
                                KEY_CREATE_SUB_KEY | KEY_SET_VALUE, &services);
    if (opened == ERROR_ACCESS_DENIED) return 0;
    if (opened == ERROR_SUCCESS) RegCloseKey(services);
    // A folder opened for adding files: backup semantics is what lets a folder be opened at all.
    const char driversSuffix[] = "\\drivers";
    char drivers[MAX_PATH];
    UINT length = GetSystemDirectoryA(drivers, sizeof drivers - sizeof driversSuffix);
    // Where the folder cannot be named, the install itself says what it could not do.
    if (length == 0 || length >= sizeof drivers - sizeof driversSuffix) return 1;
    memcpy(drivers + length, driversSuffix, sizeof driversSuffix);
    HANDLE folder = CreateFileA(drivers, FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_ACCESS_DENIED;
    CloseHandle(folder);
    return 1;
}
