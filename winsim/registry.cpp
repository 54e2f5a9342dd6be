// Registry calls: keys by case-insensitive name, typed values with their exact byte size, keys
// that refuse access, and Windows NT's refusal to delete a key that still has subkeys.
#include <cstring>

#include "winsim/machine.h"

using winsim::Arg;
using winsim::Machine;
using winsim::Power;
using winsim::RegKey;

namespace {

const LONG ERROR_KEY_DELETED = 1018L;

std::string KeyName(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) return "HKLM";
    return "#" + std::to_string(reinterpret_cast<uintptr_t>(key));
}

bool IsReadOnly(const RegKey *key) {
    for (; key; key = key->parent)
        if (key->readOnly) return true;
    return false;
}

LONG Record(Machine &m, const std::string &call, LONG result) {
    m.Record(call + " = " + std::to_string(result));
    return result;
}

void MarkDeleted(RegKey &key) {
    key.deleted = true;
    for (auto &sub : key.subkeys) MarkDeleted(*sub.second);
}

}  // namespace

namespace winsim {

Registry::Registry() : m_localMachine(std::make_shared<RegKey>()) { m_localMachine->name = "HKLM"; }

LONG Registry::Descend(std::shared_ptr<RegKey> &key, const std::string &path, bool create, bool checked) {
    std::string part;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\') {
            part += path[i];
            continue;
        }
        if (part.empty()) continue;
        auto it = key->subkeys.find(part);
        if (it != key->subkeys.end()) {
            key = it->second;
        } else if (!create) {
            return ERROR_FILE_NOT_FOUND;
        } else if (checked && (IsReadOnly(key.get()) || key->denyOpen)) {
            return ERROR_ACCESS_DENIED;
        } else if (checked && Machine::Current().Change() != Power::Go) {
            return ERROR_NOT_READY;
        } else {
            auto child = std::make_shared<RegKey>();
            child->name = part;
            child->parent = key.get();
            key = key->subkeys[part] = child;
        }
        part.clear();
    }
    return ERROR_SUCCESS;
}

RegKey &Registry::Key(HKEY root, const std::string &path) {
    std::shared_ptr<RegKey> key = KeyOfHandle(root);
    Descend(key, path, true, false);
    return *key;
}

RegKey *Registry::FindKey(HKEY root, const std::string &path) {
    std::shared_ptr<RegKey> key = KeyOfHandle(root);
    return Descend(key, path, false, false) == ERROR_SUCCESS ? key.get() : nullptr;
}

const RegValue *Registry::FindValue(HKEY root, const std::string &path, const std::string &name) {
    RegKey *key = FindKey(root, path);
    if (!key) return nullptr;
    auto it = key->values.find(name);
    return it == key->values.end() ? nullptr : &it->second;
}

void Registry::SetString(HKEY root, const std::string &path, const std::string &name, const std::string &value) {
    RegValue v;
    v.type = REG_SZ;
    v.data.assign(value.begin(), value.end());
    v.data.push_back(0);
    Key(root, path).values[name] = v;
}

std::shared_ptr<RegKey> Registry::KeyOfHandle(HKEY handle) {
    if (handle == HKEY_LOCAL_MACHINE) return m_localMachine;
    auto it = m_openKeys.find(reinterpret_cast<uintptr_t>(handle));
    return it == m_openKeys.end() ? nullptr : it->second;
}

LONG Registry::Lookup(HKEY handle, bool change, std::shared_ptr<RegKey> &key) {
    key = KeyOfHandle(handle);
    if (!key) return ERROR_INVALID_HANDLE;
    if (key->deleted) return ERROR_KEY_DELETED;
    if (change && IsReadOnly(key.get())) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

LONG Registry::Open(HKEY handle, LPCSTR path, PHKEY result, bool create) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::shared_ptr<RegKey> key;
    if (LONG error = Lookup(handle, false, key)) return error;
    std::shared_ptr<RegKey> start = key;
    if (LONG error = Descend(key, path ? path : "", create, true)) return error;
    // Without a subkey Windows hands back the very handle it was given.
    if (key == start) {
        *result = handle;
        return ERROR_SUCCESS;
    }
    if (key->denyOpen) return ERROR_ACCESS_DENIED;
    m_openKeys[m_nextKey] = key;
    *result = reinterpret_cast<HKEY>(m_nextKey);
    m_nextKey += 4;
    return ERROR_SUCCESS;
}

}  // namespace winsim

LONG WINAPI RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    Machine &m = Machine::Current();
    return Record(m, "RegOpenKeyA(" + KeyName(hKey) + ", " + Arg(lpSubKey) + ")",
                  m.Open(hKey, lpSubKey, phkResult, false));
}

// The access asked for is checked at the open: a key that may not change refuses write access.
LONG WINAPI RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    Machine &m = Machine::Current();
    std::string call =
        "RegOpenKeyExA(" + KeyName(hKey) + ", " + Arg(lpSubKey) + ", " + std::to_string(samDesired) + ")";
    LONG opened = m.Open(hKey, lpSubKey, phkResult, false);
    const REGSAM writes = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
    if (opened == ERROR_SUCCESS && (samDesired & writes) && IsReadOnly(m.KeyOfHandle(*phkResult).get())) {
        if (*phkResult != hKey) m.m_openKeys.erase(reinterpret_cast<uintptr_t>(*phkResult));
        *phkResult = nullptr;
        opened = ERROR_ACCESS_DENIED;
    }
    return Record(m, call, opened);
}

LONG WINAPI RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
    Machine &m = Machine::Current();
    return Record(m, "RegCreateKeyA(" + KeyName(hKey) + ", " + Arg(lpSubKey) + ")",
                  m.Open(hKey, lpSubKey, phkResult, true));
}

LONG WINAPI RegCloseKey(HKEY hKey) {
    Machine &m = Machine::Current();
    bool open = hKey == HKEY_LOCAL_MACHINE || m.m_openKeys.erase(reinterpret_cast<uintptr_t>(hKey)) == 1;
    return Record(m, "RegCloseKey(" + KeyName(hKey) + ")", open ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}

LONG WINAPI RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE *lpData, DWORD cbData) {
    Machine &m = Machine::Current();
    std::string call = "RegSetValueExA(" + KeyName(hKey) + ", " + Arg(lpValueName) + ", " + std::to_string(dwType) +
                       ", " + std::to_string(cbData) + ")";
    std::shared_ptr<RegKey> key;
    if (LONG error = m.Lookup(hKey, true, key)) return Record(m, call, error);
    std::string path;
    for (const RegKey *k = key.get(); k->parent; k = k->parent) path = k->name + (path.empty() ? "" : "\\") + path;
    if (m.m_refusedValueKeys.count(path)) return Record(m, call, ERROR_ACCESS_DENIED);
    if (m.Change() != Power::Go) return Record(m, call, ERROR_NOT_READY);
    winsim::RegValue value;
    value.type = dwType;
    if (cbData && lpData) value.data.assign(lpData, lpData + cbData);
    key->values[lpValueName ? lpValueName : ""] = value;
    return Record(m, call, ERROR_SUCCESS);
}

LONG WINAPI RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    Machine &m = Machine::Current();
    std::string call = "RegQueryValueExA(" + KeyName(hKey) + ", " + Arg(lpValueName) + ")";
    std::shared_ptr<RegKey> key;
    if (LONG error = m.Lookup(hKey, false, key)) return Record(m, call, error);
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
    std::shared_ptr<RegKey> key;
    if (LONG error = m.Lookup(hKey, true, key)) return Record(m, call, error);
    if (!key->values.count(lpValueName ? lpValueName : "")) return Record(m, call, ERROR_FILE_NOT_FOUND);
    if (m.Change() != Power::Go) return Record(m, call, ERROR_NOT_READY);
    key->values.erase(lpValueName ? lpValueName : "");
    return Record(m, call, ERROR_SUCCESS);
}

LONG WINAPI RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
    Machine &m = Machine::Current();
    std::string call = "RegEnumKeyA(" + KeyName(hKey) + ", " + std::to_string(dwIndex) + ")";
    std::shared_ptr<RegKey> key;
    if (LONG error = m.Lookup(hKey, false, key)) return Record(m, call, error);
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
    std::shared_ptr<RegKey> start = m.KeyOfHandle(hKey), key = start;
    if (!key) return Record(m, call, ERROR_INVALID_HANDLE);
    if (LONG error = m.Descend(key, lpSubKey ? lpSubKey : "", false, false)) return Record(m, call, error);
    if (key == start) return Record(m, call, ERROR_INVALID_PARAMETER);
    if (IsReadOnly(key.get()) || key->denyOpen) return Record(m, call, ERROR_ACCESS_DENIED);
    // Windows NT deletes only a key without subkeys; Windows 95 takes the whole subtree.
    if (m.IsNt() && !key->subkeys.empty()) return Record(m, call, ERROR_ACCESS_DENIED);
    if (m.Change() != Power::Go) return Record(m, call, ERROR_NOT_READY);
    MarkDeleted(*key);
    key->parent->subkeys.erase(key->name);
    return Record(m, call, ERROR_SUCCESS);
}
