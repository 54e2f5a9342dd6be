// Registry calls: keys by case-insensitive name, typed values with their exact byte size, keys
// that refuse access, and Windows NT's refusal to delete a key that still has subkeys.
#include <cstring>

#include "winsim/machine.h"

using winsim::Machine;
using winsim::RegKey;

namespace {

const LONG ERROR_KEY_DELETED = 1018L;

std::string KeyName(HKEY key) {
    switch (reinterpret_cast<uintptr_t>(key)) {
    case 0x80000000u: return "HKCR";
    case 0x80000001u: return "HKCU";
    case 0x80000002u: return "HKLM";
    case 0x80000003u: return "HKU";
    default: return "#" + std::to_string(reinterpret_cast<uintptr_t>(key));
    }
}

std::string Arg(LPCSTR s) { return s ? s : "NULL"; }

bool IsReadOnly(const RegKey *key) {
    for (; key; key = key->parent)
        if (key->readOnly) return true;
    return false;
}

LONG Record(Machine &m, const std::string &call, LONG result) {
    m.Record(call + " = " + std::to_string(result));
    return result;
}

std::vector<std::string> Parts(LPCSTR path) {
    std::vector<std::string> parts;
    std::string part;
    for (const char *p = path ? path : ""; *p; ++p) {
        if (*p == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += *p;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

LONG Open(Machine &m, HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult, bool create) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::shared_ptr<RegKey> key = m.KeyOfHandle(hKey);
    if (!key) return ERROR_INVALID_HANDLE;
    if (key->deleted) return ERROR_KEY_DELETED;
    std::vector<std::string> parts = Parts(lpSubKey);
    if (parts.empty()) {
        // Windows hands back the very handle it was given.
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    for (const auto &part : parts) {
        auto it = key->subkeys.find(part);
        if (it == key->subkeys.end()) {
            if (!create) return ERROR_FILE_NOT_FOUND;
            if (IsReadOnly(key.get()) || key->denyOpen) return ERROR_ACCESS_DENIED;
            auto child = std::make_shared<RegKey>();
            child->name = part;
            child->parent = key.get();
            key->subkeys[part] = child;
            key = child;
        } else {
            key = it->second;
        }
    }
    if (key->denyOpen) return ERROR_ACCESS_DENIED;
    *phkResult = m.OpenHandle(key);
    return ERROR_SUCCESS;
}

void MarkDeleted(RegKey &key) {
    key.deleted = true;
    for (auto &sub : key.subkeys) MarkDeleted(*sub.second);
}

}  // namespace

LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    Machine &m = Machine::Current();
    return Record(m, "RegOpenKeyA(" + KeyName(hKey) + ", " + Arg(lpSubKey) + ")",
                  Open(m, hKey, lpSubKey, phkResult, false));
}

LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    Machine &m = Machine::Current();
    return Record(m,
                  "RegOpenKeyExA(" + KeyName(hKey) + ", " + Arg(lpSubKey) + ", " +
                      std::to_string(samDesired) + ")",
                  Open(m, hKey, lpSubKey, phkResult, false));
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    Machine &m = Machine::Current();
    return Record(m, "RegCreateKeyA(" + KeyName(hKey) + ", " + Arg(lpSubKey) + ")",
                  Open(m, hKey, lpSubKey, phkResult, true));
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    Machine &m = Machine::Current();
    return Record(m, "RegCloseKey(" + KeyName(hKey) + ")",
                  m.CloseHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE *lpData,
                           DWORD cbData) {
    Machine &m = Machine::Current();
    std::string call = "RegSetValueExA(" + KeyName(hKey) + ", " + Arg(lpValueName) + ", " +
                       std::to_string(dwType) + ", " + std::to_string(cbData) + ")";
    auto key = m.KeyOfHandle(hKey);
    if (!key) return Record(m, call, ERROR_INVALID_HANDLE);
    if (key->deleted) return Record(m, call, ERROR_KEY_DELETED);
    if (IsReadOnly(key.get())) return Record(m, call, ERROR_ACCESS_DENIED);
    winsim::RegValue value;
    value.type = dwType;
    if (cbData && lpData) value.data.assign(lpData, lpData + cbData);
    key->values[lpValueName ? lpValueName : ""] = value;
    return Record(m, call, ERROR_SUCCESS);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType,
                             LPBYTE lpData, LPDWORD lpcbData) {
    Machine &m = Machine::Current();
    std::string call = "RegQueryValueExA(" + KeyName(hKey) + ", " + Arg(lpValueName) + ")";
    auto key = m.KeyOfHandle(hKey);
    if (!key) return Record(m, call, ERROR_INVALID_HANDLE);
    if (key->deleted) return Record(m, call, ERROR_KEY_DELETED);
    auto it = key->values.find(lpValueName ? lpValueName : "");
    if (it == key->values.end()) return Record(m, call, ERROR_FILE_NOT_FOUND);
    const auto &value = it->second;
    DWORD size = static_cast<DWORD>(value.data.size());
    if (lpType) *lpType = value.type;
    if (lpData) {
        if (!lpcbData) return Record(m, call, ERROR_INVALID_PARAMETER);
        if (*lpcbData < size) {
            *lpcbData = size;
            return Record(m, call, ERROR_MORE_DATA);
        }
        if (size) std::memcpy(lpData, value.data.data(), size);
    }
    if (lpcbData) *lpcbData = size;
    return Record(m, call, ERROR_SUCCESS);
}

LONG WINAPI RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    Machine &m = Machine::Current();
    std::string call = "RegDeleteValueA(" + KeyName(hKey) + ", " + Arg(lpValueName) + ")";
    auto key = m.KeyOfHandle(hKey);
    if (!key) return Record(m, call, ERROR_INVALID_HANDLE);
    if (key->deleted) return Record(m, call, ERROR_KEY_DELETED);
    if (IsReadOnly(key.get())) return Record(m, call, ERROR_ACCESS_DENIED);
    if (key->values.erase(lpValueName ? lpValueName : "") == 0)
        return Record(m, call, ERROR_FILE_NOT_FOUND);
    return Record(m, call, ERROR_SUCCESS);
}

LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    Machine &m = Machine::Current();
    std::string call = "RegEnumKeyA(" + KeyName(hKey) + ", " + std::to_string(dwIndex) + ")";
    auto key = m.KeyOfHandle(hKey);
    if (!key) return Record(m, call, ERROR_INVALID_HANDLE);
    if (key->deleted) return Record(m, call, ERROR_KEY_DELETED);
    if (dwIndex >= key->subkeys.size()) return Record(m, call, ERROR_NO_MORE_ITEMS);
    auto it = key->subkeys.begin();
    std::advance(it, dwIndex);
    if (!lpName || it->first.size() >= cchName) return Record(m, call, ERROR_MORE_DATA);
    std::memcpy(lpName, it->first.c_str(), it->first.size() + 1);
    return Record(m, call + " " + it->first, ERROR_SUCCESS);
}

LONG WINAPI RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    Machine &m = Machine::Current();
    std::string call = "RegDeleteKeyA(" + KeyName(hKey) + ", " + Arg(lpSubKey) + ")";
    auto key = m.KeyOfHandle(hKey);
    if (!key) return Record(m, call, ERROR_INVALID_HANDLE);
    std::vector<std::string> parts = Parts(lpSubKey);
    if (parts.empty()) return Record(m, call, ERROR_INVALID_PARAMETER);
    for (const auto &part : parts) {
        auto it = key->subkeys.find(part);
        if (it == key->subkeys.end()) return Record(m, call, ERROR_FILE_NOT_FOUND);
        key = it->second;
    }
    if (IsReadOnly(key.get()) || key->denyOpen) return Record(m, call, ERROR_ACCESS_DENIED);
    // Windows NT deletes only a key without subkeys; Windows 95 takes the whole subtree.
    if (m.IsNt() && !key->subkeys.empty()) return Record(m, call, ERROR_ACCESS_DENIED);
    MarkDeleted(*key);
    key->parent->subkeys.erase(key->name);
    return Record(m, call, ERROR_SUCCESS);
}
