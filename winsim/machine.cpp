#include "winsim/machine.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace winsim {
namespace {
Machine *g_current = nullptr;
}

bool NoCaseLess::operator()(const std::string &a, const std::string &b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
}

bool SameNoCase(const std::string &a, const std::string &b) {
    NoCaseLess less;
    return !less(a, b) && !less(b, a);
}

std::string HexBytes(const std::vector<BYTE> &bytes) {
    std::string out;
    char buf[4];
    for (BYTE b : bytes) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}

Machine::Machine() {
    if (g_current) {
        std::fprintf(stderr, "winsim: only one simulated machine at a time\n");
        std::abort();
    }
    g_current = this;
    char root[] = "/tmp/winsim-XXXXXX";
    if (!mkdtemp(root)) {
        std::perror("winsim: mkdtemp");
        std::abort();
    }
    m_hostRoot = root;
    MapDrive('C', DRIVE_FIXED);
    for (uintptr_t root : {0x80000000u, 0x80000001u, 0x80000002u, 0x80000003u}) {
        auto key = std::make_shared<RegKey>();
        key->name = root == 0x80000002u ? "HKLM" : "ROOT";
        m_roots[root] = key;
    }
    SetWindows98();
}

Machine::~Machine() {
    std::error_code ignored;
    std::filesystem::remove_all(m_hostRoot, ignored);
    g_current = nullptr;
}

Machine &Machine::Current() {
    if (!g_current) {
        std::fprintf(stderr, "winsim: a Win32 call was made without a simulated machine\n");
        std::abort();
    }
    return *g_current;
}

// A Windows 95-family machine: its folders, as Setup finds them, and lower-case drive strings.
void Machine::SetWindows9x() {
    windowsDirectory = "C:\\WINDOWS";
    systemDirectory = "C:\\WINDOWS\\SYSTEM";
    programsFolder = "C:\\WINDOWS\\Start Menu\\Programs";
    lowercaseDriveStrings = true;
    MakeDirectory(systemDirectory + "\\IOSUBSYS");
    MakeDirectory(programsFolder);
}

void Machine::SetWindowsNt() {
    windowsDirectory = "C:\\WINNT";
    systemDirectory = "C:\\WINNT\\system32";
    programsFolder = "C:\\WINNT\\Profiles\\Administrator\\Start Menu\\Programs";
    lowercaseDriveStrings = false;
    MakeDirectory(systemDirectory + "\\drivers");
    MakeDirectory(programsFolder);
}

void Machine::SetWindows95() {
    version = {4, 0, 950, VER_PLATFORM_WIN32_WINDOWS, 0, true, false};
    SetWindows9x();
}
void Machine::SetWindows98() {
    version = {4, 10, 1998, VER_PLATFORM_WIN32_WINDOWS, 0, true, false};
    SetWindows9x();
}
void Machine::SetWindowsMe() {
    version = {4, 90, 3000, VER_PLATFORM_WIN32_WINDOWS, 0, true, false};
    SetWindows9x();
}
void Machine::SetWindowsNt4(BYTE productType) {
    version = {4, 0, 1381, VER_PLATFORM_WIN32_NT, productType, false, false};
    SetWindowsNt();
    SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
              "ProductType", productType == VER_NT_WORKSTATION ? "WinNT" : "ServerNT");
}
void Machine::SetWindows2000(BYTE productType) {
    version = {5, 0, 2195, VER_PLATFORM_WIN32_NT, productType, false, false};
    SetWindowsNt();
    SetString(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions",
              "ProductType", productType == VER_NT_WORKSTATION ? "WinNT" : "ServerNT");
}

void Machine::Record(const std::string &line) { calls.push_back(line); }

std::vector<std::string> Machine::CallsNamed(const std::string &name) const {
    return CallsStartingWith(name + "(");
}

std::vector<std::string> Machine::CallsStartingWith(const std::string &prefix) const {
    std::vector<std::string> out;
    for (const auto &c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    return out;
}

std::shared_ptr<RegKey> Machine::Root(HKEY root) {
    auto it = m_roots.find(reinterpret_cast<uintptr_t>(root));
    return it == m_roots.end() ? nullptr : it->second;
}

static std::vector<std::string> SplitKeyPath(const std::string &path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

RegKey &Machine::Key(HKEY root, const std::string &path) {
    std::shared_ptr<RegKey> key = Root(root);
    for (const auto &part : SplitKeyPath(path)) {
        auto &child = key->subkeys[part];
        if (!child) {
            child = std::make_shared<RegKey>();
            child->name = part;
            child->parent = key.get();
        }
        key = child;
    }
    return *key;
}

RegKey *Machine::FindKey(HKEY root, const std::string &path) {
    std::shared_ptr<RegKey> key = Root(root);
    for (const auto &part : SplitKeyPath(path)) {
        auto it = key->subkeys.find(part);
        if (it == key->subkeys.end()) return nullptr;
        key = it->second;
    }
    return key.get();
}

const RegValue *Machine::FindValue(HKEY root, const std::string &path, const std::string &name) {
    RegKey *key = FindKey(root, path);
    if (!key) return nullptr;
    auto it = key->values.find(name);
    return it == key->values.end() ? nullptr : &it->second;
}

void Machine::SetString(HKEY root, const std::string &path, const std::string &name,
                        const std::string &value) {
    RegValue v;
    v.type = REG_SZ;
    v.data.assign(value.begin(), value.end());
    v.data.push_back(0);
    Key(root, path).values[name] = v;
}

HKEY Machine::OpenHandle(const std::shared_ptr<RegKey> &key) {
    uintptr_t h = m_nextKey;
    m_nextKey += 4;
    m_openKeys[h] = key;
    return reinterpret_cast<HKEY>(h);
}

std::shared_ptr<RegKey> Machine::KeyOfHandle(HKEY handle) {
    auto root = Root(handle);
    if (root) return root;
    auto it = m_openKeys.find(reinterpret_cast<uintptr_t>(handle));
    return it == m_openKeys.end() ? nullptr : it->second;
}

bool Machine::CloseHandle(HKEY handle) {
    if (Root(handle)) return true;
    return m_openKeys.erase(reinterpret_cast<uintptr_t>(handle)) == 1;
}

Window *Machine::CreateWindowRecord() {
    m_windows.push_back(std::make_unique<Window>());
    Window *w = m_windows.back().get();
    w->handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10000 + 4 * m_windows.size()));
    return w;
}

Window *Machine::FindWindowById(HWND handle) {
    for (auto &w : m_windows)
        if (w->handle == handle && !w->destroyed) return w.get();
    return nullptr;
}

Drive &Machine::MapDrive(char letter, UINT type) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    Drive &d = drives[letter];
    d.host = m_hostRoot + "/" + std::string(1, static_cast<char>(std::tolower(letter)));
    d.type = type;
    std::filesystem::create_directories(d.host);
    return d;
}

void Machine::WriteFile(const std::string &windowsPath, const std::string &bytes) {
    std::string host = HostPath(windowsPath);
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Machine::ReadFile(const std::string &windowsPath) {
    std::ifstream in(HostPath(windowsPath), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Machine::FileExists(const std::string &windowsPath) {
    std::string host = HostPath(windowsPath);
    return !host.empty() && std::filesystem::is_regular_file(host);
}

bool Machine::DirectoryExists(const std::string &windowsPath) {
    std::string host = HostPath(windowsPath);
    return !host.empty() && std::filesystem::is_directory(host);
}

void Machine::MakeDirectory(const std::string &windowsPath) {
    std::filesystem::create_directories(HostPath(windowsPath));
}

}  // namespace winsim
