#include "actions/registry_entries.h"

#include "platform/platform.h"

const char ZivServiceKey[] = "SYSTEM\\CurrentControlSet\\Services\\ZIV";
const char ScvxdEntryKey[] = "System\\CurrentControlSet\\Services\\VxD\\SCVXD";

bool SetDword(HKEY key, const char *name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

namespace {

const char ServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";
const char ZivName[] = "ZIV";
const char VxdKey[] = "System\\CurrentControlSet\\Services\\VxD";
const char ScvxdName[] = "SCVXD";
const char ScvxdFile[] = "Scsidrv.vxd";

const DWORD ServiceErrorNormal = 1;
const DWORD ServiceKernelDriver = 1;
const DWORD ServiceBootStart = 0;

// Deletes every subkey of `key`, depth first. A subkey that stays is stepped over.
void DeleteSubkeys(HKEY key) {
    char name[256];
    for (DWORD index = 0; RegEnumKeyA(key, index, name, sizeof name) == ERROR_SUCCESS;) {
        HKEY subkey;
        if (RegOpenKeyA(key, name, &subkey) == ERROR_SUCCESS) {
            DeleteSubkeys(subkey);
            RegCloseKey(subkey);
        }
        if (RegDeleteKeyA(key, name) != ERROR_SUCCESS) ++index;
    }
}

// Null when `path` is gone, otherwise `path`.
const char *KeyLeft(const char *path) {
    HKEY key;
    LONG opened = RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key);
    if (opened == ERROR_SUCCESS) RegCloseKey(key);
    return opened == ERROR_FILE_NOT_FOUND ? nullptr : path;
}

// Deletes the subkeys and `values` of `path`, then the key itself from its parent. The second
// half runs even when the key could not be opened.
const char *DeleteKeyWithValues(const char *path, const char *const *values, int count, const char *parent,
                                const char *name) {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) == ERROR_SUCCESS) {
        DeleteSubkeys(key);
        for (int i = 0; i < count; ++i) RegDeleteValueA(key, values[i]);
        RegCloseKey(key);
    }
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, parent, &key) == ERROR_SUCCESS) {
        RegDeleteKeyA(key, name);
        RegCloseKey(key);
    }
    return KeyLeft(path);
}

}  // namespace

int WriteZivService() {
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, ZivServiceKey, &key) != ERROR_SUCCESS) return 0;
    bool written = SetDword(key, "ErrorControl", ServiceErrorNormal);
    written &= SetDword(key, "Type", ServiceKernelDriver);
    written &= SetDword(key, "Start", ServiceBootStart);
    RegCloseKey(key);
    return written;
}

const char *DeleteZivService() {
    static const char *const values[] = {"ErrorControl", "Type", "Start"};
    return DeleteKeyWithValues(ZivServiceKey, values, 3, ServicesKey, ZivName);
}

int WriteScvxdKey() {
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, ScvxdEntryKey, &key) != ERROR_SUCCESS) return 0;
    // One byte, not a number: the Windows 95 family reads Start of a VxD as a byte.
    const BYTE start = 0;
    bool written = RegSetValueExA(key, "Start", 0, REG_BINARY, &start, 1) == ERROR_SUCCESS;
    char file[sizeof ScvxdFile];
    memcpy(file, ScvxdFile, sizeof ScvxdFile);
    written &= RegSetValueExA(key, "StaticVxD", 0, REG_SZ, reinterpret_cast<const BYTE *>(file),
                              static_cast<DWORD>(lstrlenA(file) + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

const char *DeleteScvxdKey() {
    static const char *const values[] = {"StaticVxD", "Start"};
    return DeleteKeyWithValues(ScvxdEntryKey, values, 2, VxdKey, ScvxdName);
}

const char *DeleteOwnKey(const char *path) {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key) == ERROR_SUCCESS) {
        DeleteSubkeys(key);
        RegCloseKey(key);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    return KeyLeft(path);
}
