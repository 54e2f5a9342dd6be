// The registry: keys by case-insensitive name, typed values with their exact byte size, keys that
// refuse access, and the handles the program holds open.
#ifndef SETUP_WINSIM_REGISTRY_H
#define SETUP_WINSIM_REGISTRY_H

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "winsim/host.h"
#include "winsim/win32.h"

namespace winsim {

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct RegKey {
    std::string name;
    RegKey *parent = nullptr;
    bool deleted = false;
    bool denyOpen = false;  // every open or create of this key fails with access denied
    bool readOnly = false;  // opens succeed, but nothing in or below it may change
    std::map<std::string, std::shared_ptr<RegKey>, NoCaseLess> subkeys;
    std::map<std::string, RegValue, NoCaseLess> values;
};

class Registry {
public:
    Registry();
    RegKey &Key(HKEY root, const std::string &path);  // creates what is missing
    RegKey *FindKey(HKEY root, const std::string &path);
    bool HasKey(HKEY root, const std::string &path) { return FindKey(root, path) != nullptr; }
    const RegValue *FindValue(HKEY root, const std::string &path, const std::string &name);
    void SetString(HKEY root, const std::string &path, const std::string &name, const std::string &value);
    int OpenKeyHandles() const { return static_cast<int>(m_openKeys.size()); }
    void CloseAllKeys() { m_openKeys.clear(); }
    // RegSetValueExA into the key at `path` under HKEY_LOCAL_MACHINE fails with access denied,
    // once that key is made; the key itself is made and opened as any.
    void FailValuesIn(const std::string &path) { m_refusedValueKeys.insert(path); }

private:
    // The calls that keep this bookkeeping (the parentheses keep clang from reading "BOOL::").
    friend LONG WINAPI(::RegOpenKeyA)(HKEY, LPCSTR, PHKEY);
    friend LONG WINAPI(::RegOpenKeyExA)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
    friend LONG WINAPI(::RegCreateKeyA)(HKEY, LPCSTR, PHKEY);
    friend LONG WINAPI(::RegCloseKey)(HKEY);
    friend LONG WINAPI(::RegSetValueExA)(HKEY, LPCSTR, DWORD, DWORD, const BYTE *, DWORD);
    friend LONG WINAPI(::RegQueryValueExA)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
    friend LONG WINAPI(::RegDeleteValueA)(HKEY, LPCSTR);
    friend LONG WINAPI(::RegEnumKeyA)(HKEY, DWORD, LPSTR, DWORD);
    friend LONG WINAPI(::RegDeleteKeyA)(HKEY, LPCSTR);

    // Walks `path` down from `key`. What is missing is made when `create` is set; `checked`
    // makes nothing below a key that refuses access or changes, as the calls see it.
    static LONG Descend(std::shared_ptr<RegKey> &key, const std::string &path, bool create, bool checked);
    LONG Open(HKEY handle, LPCSTR path, PHKEY result, bool create);
    // The key of an open handle; `Lookup` wants it still there and, with `change`, changeable.
    std::shared_ptr<RegKey> KeyOfHandle(HKEY handle);
    LONG Lookup(HKEY handle, bool change, std::shared_ptr<RegKey> &key);

    std::set<std::string, NoCaseLess> m_refusedValueKeys;
    std::shared_ptr<RegKey> m_localMachine;
    std::map<uintptr_t, std::shared_ptr<RegKey>> m_openKeys;
    uintptr_t m_nextKey = 0x1000;
};

}  // namespace winsim

#endif
