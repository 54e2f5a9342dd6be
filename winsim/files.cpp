// Files, folders and drives, on host folders that stand for drive letters. Names are matched
// without regard to case, as Windows does.
#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "winsim/machine.h"

namespace fs = std::filesystem;
using namespace winsim;

namespace {

const DWORD ERROR_DIRECTORY = 267;

// The names of `dir`, in order.
std::vector<std::string> Entries(const std::string &dir) {
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string Upper(std::string text) {
    for (char &c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Whether `name` is an 8.3 name already: one to eight letters, and an extension of one to three.
bool IsShortName(const std::string &name) {
    size_t dot = name.find('.');
    std::string base = name.substr(0, dot), extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3 || (dot != std::string::npos && extension.empty()))
        return false;
    return name.find_first_of(" +,;=[].", dot == std::string::npos ? 0 : dot + 1) == std::string::npos &&
           base.find_first_of(" +,;=[]") == std::string::npos;
}

// The start of an alias: the first six letters of the name without blanks and dots, and the
// first three of its extension, in upper case.
std::pair<std::string, std::string> AliasStem(const std::string &name) {
    size_t dot = name.rfind('.');
    std::string base;
    for (char c : name.substr(0, dot))
        if (c != ' ' && c != '.' && base.size() < 6) base += c;
    std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1, 3);
    return {Upper(base), Upper(extension)};
}

// The 8.3 alias of the entry `name` of `dir`, as FAT gives it: the name itself where it is 8.3,
// otherwise its stem with "~" and its number among the entries of the same stem (here in the
// order of their names; FAT numbers them in the order they were made).
std::string AliasOf(const std::string &dir, const std::string &name) {
    if (IsShortName(name)) return Upper(name);
    auto stem = AliasStem(name);
    int number = 0;
    for (const std::string &entry : Entries(dir)) {
        if (!IsShortName(entry) && AliasStem(entry) == stem) ++number;
        if (entry == name) break;
    }
    return stem.first + "~" + std::to_string(number) + (stem.second.empty() ? "" : "." + stem.second);
}

// The entry of `dir` whose name or 8.3 alias equals `name` without regard to case, or `name` itself.
std::string MatchEntry(const std::string &dir, const std::string &name) {
    std::vector<std::string> entries = Entries(dir);
    for (const std::string &entry : entries)
        if (SameNoCase(entry, name)) return entry;
    if (name.find('~') != std::string::npos)
        for (const std::string &entry : entries)
            if (SameNoCase(AliasOf(dir, entry), name)) return entry;
    return name;
}

// Where the name that begins at `at` ends: at the next backslash, read a character at a time as
// CharNextA reads them, since the second byte of a double-byte character may be a backslash's.
size_t NameEnd(const std::string &path, size_t at) {
    const char *p = path.c_str() + at;
    while (*p && *p != '\\') p = CharNextA(p);
    return static_cast<size_t>(p - path.c_str());
}

}  // namespace

namespace winsim {

bool WriteProtected(const Drive *d) { return d && d->type == DRIVE_CDROM; }

bool Spend(Drive *d, size_t bytes) {
    if (!d || d->writeBudget < 0) return true;
    if (static_cast<long long>(bytes) > d->writeBudget) {
        d->writeBudget = 0;
        return false;
    }
    d->writeBudget -= static_cast<long long>(bytes);
    return true;
}

FileSystem::FileSystem() {
    char root[] = "/tmp/winsim-XXXXXX";
    if (!mkdtemp(root)) {
        std::perror("winsim: mkdtemp");
        std::abort();
    }
    m_hostRoot = root;
    MapDrive('C', DRIVE_FIXED);
}

FileSystem::FileSystem(const std::string &hostRoot) : m_hostRoot(hostRoot), m_ownsHostRoot(false) {
    std::error_code ignored;
    fs::remove_all(m_hostRoot, ignored);
    fs::create_directories(m_hostRoot);
    MapDrive('C', DRIVE_FIXED);
}

FileSystem::~FileSystem() {
    std::error_code ignored;
    if (m_ownsHostRoot) fs::remove_all(m_hostRoot, ignored);
}

Drive &FileSystem::MapDrive(char letter, UINT type) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    Drive &d = drives[letter];
    d.host = m_hostRoot + "/" + std::string(1, static_cast<char>(std::tolower(letter)));
    d.type = type;
    fs::create_directories(d.host);
    return d;
}

std::string FileSystem::FullPath(const std::string &windowsPath) {
    std::string path = windowsPath;
    for (char &c : path)
        if (c == '/') c = '\\';
    char letter;
    std::string rest;
    if (path.size() >= 2 && path[1] == ':') {
        letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
        rest = path.substr(2);
        if (rest.empty() || rest[0] != '\\') {
            // "x:name" is relative to that drive's current folder, the root unless current.
            std::string base = std::toupper(static_cast<unsigned char>(currentDirectory[0])) == letter
                                   ? currentDirectory.substr(2)
                                   : "\\";
            rest = base + "\\" + rest;
        }
    } else if (path.compare(0, 2, "\\\\") == 0) {
        return "";  // no network names on this machine
    } else if (!path.empty() && path[0] == '\\') {
        letter = static_cast<char>(std::toupper(static_cast<unsigned char>(currentDirectory[0])));
        rest = path;
    } else {
        letter = static_cast<char>(std::toupper(static_cast<unsigned char>(currentDirectory[0])));
        rest = currentDirectory.substr(2) + "\\" + path;
    }
    std::vector<std::string> parts;
    for (size_t at = 0, end; at <= rest.size(); at = end + 1) {
        end = NameEnd(rest, at);
        std::string part = rest.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
    }
    std::string full = std::string(1, letter) + ":";
    for (const auto &p : parts) full += "\\" + p;
    return parts.empty() ? full + "\\" : full;
}

std::string FileSystem::HostPath(const std::string &windowsPath) {
    std::string full = FullPath(windowsPath);
    if (full.empty()) return "";
    auto drive = drives.find(full[0]);
    if (drive == drives.end()) return "";
    std::string host = drive->second.host;
    for (size_t at = 3, end; at < full.size(); at = end + 1) {
        end = NameEnd(full, at);
        host += "/" + MatchEntry(host, full.substr(at, end - at));
    }
    return host;
}

std::string FileSystem::ShortPath(const std::string &windowsPath) {
    std::string full = FullPath(windowsPath);
    if (full.empty() || !HostExists(HostPath(full))) return "";
    std::string host = drives[full[0]].host, alias = full.substr(0, 2);
    for (size_t at = 3, end; at < full.size(); at = end + 1) {
        end = NameEnd(full, at);
        std::string name = full.substr(at, end - at), entry = MatchEntry(host, name);
        alias += "\\" + (IsShortName(name) ? name : AliasOf(host, entry));
        host += "/" + entry;
    }
    return alias.size() == 2 ? alias + "\\" : alias;
}

DWORD FileSystem::Attributes(const std::string &windowsPath) {
    std::string host = HostPath(windowsPath);
    if (!HostExists(host)) return INVALID_FILE_ATTRIBUTES;
    if (HostIsDirectory(host)) return FILE_ATTRIBUTE_DIRECTORY;
    // A file is made with the archive bit; Wine reports it whatever was set afterwards.
    auto stored = m_attributes.find(host);
    DWORD attributes = stored == m_attributes.end() ? FILE_ATTRIBUTE_ARCHIVE : stored->second;
    if (!archiveAsWindows) attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (IsReadOnly(host)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

Drive *FileSystem::DriveOf(const std::string &windowsPath) {
    char letter = windowsPath.size() > 1 && windowsPath[1] == ':' ? windowsPath[0] : currentDirectory[0];
    auto it = drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    return it == drives.end() ? nullptr : &it->second;
}

void FileSystem::WriteFile(const std::string &windowsPath, const std::string &bytes) {
    std::string host = HostPath(windowsPath);
    fs::create_directories(HostParent(host));
    std::ofstream(host, std::ios::binary | std::ios::trunc) << bytes;
}

std::string FileSystem::ReadFile(const std::string &windowsPath) { return ReadHostFile(HostPath(windowsPath)); }

bool FileSystem::FileExists(const std::string &windowsPath) {
    std::string host = HostPath(windowsPath);
    return !host.empty() && fs::is_regular_file(host);
}

bool FileSystem::DirectoryExists(const std::string &windowsPath) { return HostIsDirectory(HostPath(windowsPath)); }

void FileSystem::MakeDirectory(const std::string &windowsPath) { fs::create_directories(HostPath(windowsPath)); }

void FileSystem::AfterPowerCut(bool lose) {
    if (lose)
        for (const auto &file : m_unflushed)
            if (fs::is_regular_file(file.first))
                std::ofstream(file.first, std::ios::binary | std::ios::trunc) << file.second;
    m_unflushed.clear();
}

bool FileSystem::DamagedWithin(const std::string &host, size_t from, size_t count) const {
    auto damage = m_failingReads.find(host);
    return damage != m_failingReads.end() && damage->second >= from && damage->second < from + count;
}

void FileSystem::Closed(const std::string &host, DWORD access, DWORD share) {
    auto range = m_openings.equal_range(host);
    for (auto o = range.first; o != range.second; ++o) {
        if (o->second.access == access && o->second.share == share) {
            m_openings.erase(o);
            return;
        }
    }
}

bool FileSystem::Held(const std::string &host, DWORD access, DWORD share) const {
    auto range = m_openings.equal_range(host);
    for (auto o = range.first; o != range.second; ++o) {
        const Opening &f = o->second;
        bool refused = ((access & GENERIC_READ) && !(f.share & FILE_SHARE_READ)) ||
                       ((access & GENERIC_WRITE) && !(f.share & FILE_SHARE_WRITE)) ||
                       ((f.access & GENERIC_READ) && !(share & FILE_SHARE_READ)) ||
                       ((f.access & GENERIC_WRITE) && !(share & FILE_SHARE_WRITE));
        if (refused) return true;
    }
    return false;
}

}  // namespace winsim

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
    Machine &m = Machine::Current();
    UINT length = static_cast<UINT>(m.systemDirectory.size());
    m.Record("GetSystemDirectoryA(" + std::to_string(size) + ")");
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, m.systemDirectory.c_str(), length + 1);
    return length;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    Machine &m = Machine::Current();
    UINT length = static_cast<UINT>(m.windowsDirectory.size());
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, m.windowsDirectory.c_str(), length + 1);
    return length;
}

namespace {

// A network or device-namespace name as Windows makes it whole: "\\\\?\\" names as they are; others
// with backslashes, "." and ".." taken out below their first two parts (\\\\server\\share, \\\\.\\C:).
std::string FullNetworkPath(std::string path) {
    if (path.compare(0, 4, "\\\\?\\") == 0) return path;
    for (char &c : path)
        if (c == '/') c = '\\';
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 2; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\') {
            part += path[i];
            continue;
        }
        if (parts.size() >= 2 && part == "..") {
            if (parts.size() > 2) parts.pop_back();
        } else if (parts.size() < 2 || (!part.empty() && part != ".")) {
            parts.push_back(part);
        }
        part.clear();
    }
    std::string full = "\\";
    for (const auto &p : parts) full += "\\" + p;
    return path.back() == '\\' && parts.size() == 2 ? full + "\\" : full;
}

}  // namespace

DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR *filePart) {
    Machine &m = Machine::Current();
    std::string full = m.FullPath(Arg(name));
    // This machine has no network, but its names are made whole as any.
    if (full.empty() && name && (name[0] == '\\' || name[0] == '/') && (name[1] == '\\' || name[1] == '/'))
        full = FullNetworkPath(name);
    m.Record("GetFullPathNameA(" + Arg(name) + ") = " + full);
    if (full.empty()) {
        m.lastError = ERROR_PATH_NOT_FOUND;
        return 0;
    }
    if (!buffer || size <= full.size()) return static_cast<DWORD>(full.size() + 1);
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart) {
        size_t name = 0;
        for (size_t at = 0; at < full.size(); at = NameEnd(full, at) + 1) name = at;
        *filePart = buffer + name;
    }
    return static_cast<DWORD>(full.size());
}

DWORD WINAPI GetShortPathNameA(LPCSTR name, LPSTR buffer, DWORD size) {
    Machine &m = Machine::Current();
    std::string alias = m.ShortPath(Arg(name));
    m.Record("GetShortPathNameA(" + Arg(name) + ") = " + alias);
    if (alias.empty()) {
        m.lastError = ERROR_FILE_NOT_FOUND;
        return 0;
    }
    if (!buffer || size <= alias.size()) return static_cast<DWORD>(alias.size() + 1);
    std::memcpy(buffer, alias.c_str(), alias.size() + 1);
    return static_cast<DWORD>(alias.size());
}

DWORD WINAPI GetFileAttributesA(LPCSTR name) {
    Machine &m = Machine::Current();
    DWORD attributes = m.Attributes(Arg(name));
    if (attributes == INVALID_FILE_ATTRIBUTES) m.lastError = ERROR_FILE_NOT_FOUND;
    return attributes;
}

BOOL WINAPI SetFileAttributesA(LPCSTR name, DWORD attributes) {
    Machine &m = Machine::Current();
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(attributes));
    std::string call = "SetFileAttributesA(" + Arg(name) + ", " + hex + ")";
    std::string host = m.HostPath(Arg(name));
    if (!HostExists(host)) return m.Fail(call, ERROR_FILE_NOT_FOUND);
    if (m.Change() != Power::Go) return m.Fail(call, ERROR_NOT_READY);
    if (attributes & FILE_ATTRIBUTE_READONLY)
        m.m_readOnly.insert(host);
    else
        m.m_readOnly.erase(host);
    m.m_attributes[host] = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    return m.Succeed(call);
}

BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    Machine &m = Machine::Current();
    std::string call = "CopyFileA(" + Arg(from) + ", " + Arg(to) + ", " + std::to_string(failIfExists) + ")";
    std::string source = m.HostPath(Arg(from)), target = m.HostPath(Arg(to));
    if (!HostExists(source) || HostIsDirectory(source)) return m.Fail(call, ERROR_FILE_NOT_FOUND);
    // The copy reads its source shared with other readers only.
    if (m.IsLocked(source) || m.Held(source, GENERIC_READ, FILE_SHARE_READ))
        return m.Fail(call, ERROR_SHARING_VIOLATION);
    if (target.empty() || !HostIsDirectory(HostParent(target))) return m.Fail(call, ERROR_PATH_NOT_FOUND);
    if (m.m_failingCopies.count(target) || m.InProtectedFolder(target)) return m.Fail(call, ERROR_ACCESS_DENIED);
    if (HostExists(target)) {
        if (failIfExists) return m.Fail(call, ERROR_FILE_EXISTS);
        if (HostIsDirectory(target) || m.IsReadOnly(target)) return m.Fail(call, ERROR_ACCESS_DENIED);
        if (m.IsLocked(target)) return m.Fail(call, ERROR_SHARING_VIOLATION);
    }
    Drive *drive = m.DriveOf(Arg(to));
    if (WriteProtected(drive)) return m.Fail(call, ERROR_WRITE_PROTECT);
    std::string bytes = ReadHostFile(source);
    if (!Spend(drive, bytes.size())) return m.Fail(call, ERROR_DISK_FULL);
    // The program places files through its own copy; this one is only counted as a change.
    if (m.Change() != Power::Go) return m.Fail(call, ERROR_NOT_READY);
    std::ofstream(target, std::ios::binary | std::ios::trunc) << bytes;
    // The copy takes the source's attributes along, read-only included, as Wine's does.
    m.m_attributes.erase(target);
    if (m.m_attributes.count(source)) m.m_attributes[target] = m.m_attributes[source];
    if (m.IsReadOnly(source)) m.m_readOnly.insert(target);
    return m.Succeed(call);
}

BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to) {
    Machine &m = Machine::Current();
    std::string call = "MoveFileA(" + Arg(from) + ", " + Arg(to) + ")";
    std::string source = m.HostPath(Arg(from)), target = m.HostPath(Arg(to));
    if (!HostExists(source)) return m.Fail(call, ERROR_FILE_NOT_FOUND);
    if (target.empty() || !HostIsDirectory(HostParent(target))) return m.Fail(call, ERROR_PATH_NOT_FOUND);
    if (HostExists(target)) return m.Fail(call, ERROR_ALREADY_EXISTS);
    if (m.IsLocked(source) || m.Held(source)) return m.Fail(call, ERROR_SHARING_VIOLATION);
    if (m.m_failingMoves.count(source) || m.m_failingCopies.count(target) || m.InProtectedFolder(source) ||
        m.InProtectedFolder(target))
        return m.Fail(call, ERROR_ACCESS_DENIED);
    if (m.Change() != Power::Go) return m.Fail(call, ERROR_NOT_READY);
    std::error_code error;
    fs::rename(source, target, error);
    if (error) return m.Fail(call, ERROR_ACCESS_DENIED);
    // The bytes in the cache go with the file.
    auto unflushed = m.m_unflushed.find(source);
    if (unflushed != m.m_unflushed.end()) {
        m.m_unflushed[target] = unflushed->second;
        m.m_unflushed.erase(source);
    }
    // A read-only file may be renamed; it stays read-only, as under Wine and Windows.
    if (m.m_readOnly.erase(source)) m.m_readOnly.insert(target);
    auto attributes = m.m_attributes.find(source);
    if (attributes != m.m_attributes.end()) {
        m.m_attributes[target] = attributes->second;
        m.m_attributes.erase(source);
    }
    return m.Succeed(call);
}

BOOL WINAPI DeleteFileA(LPCSTR name) {
    Machine &m = Machine::Current();
    std::string call = "DeleteFileA(" + Arg(name) + ")";
    std::string host = m.HostPath(Arg(name));
    if (!HostExists(host))
        return m.Fail(call, HostIsDirectory(HostParent(host)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    if (HostIsDirectory(host) || m.IsReadOnly(host)) return m.Fail(call, ERROR_ACCESS_DENIED);
    if (m.IsLocked(host) || m.Held(host)) return m.Fail(call, ERROR_SHARING_VIOLATION);
    if (WriteProtected(m.DriveOf(Arg(name)))) return m.Fail(call, ERROR_WRITE_PROTECT);
    if (m.m_failingDeletes.count(host) || m.InProtectedFolder(host)) return m.Fail(call, ERROR_ACCESS_DENIED);
    if (m.Change() != Power::Go) return m.Fail(call, ERROR_NOT_READY);
    fs::remove(host);
    m.m_attributes.erase(host);
    m.m_unflushed.erase(host);
    return m.Succeed(call);
}

BOOL WINAPI CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES) {
    Machine &m = Machine::Current();
    std::string call = "CreateDirectoryA(" + Arg(name) + ")";
    std::string host = m.HostPath(Arg(name));
    if (host.empty() || !HostIsDirectory(HostParent(host))) return m.Fail(call, ERROR_PATH_NOT_FOUND);
    if (HostExists(host)) return m.Fail(call, ERROR_ALREADY_EXISTS);
    if (WriteProtected(m.DriveOf(Arg(name)))) return m.Fail(call, ERROR_WRITE_PROTECT);
    if (m.InProtectedFolder(host)) return m.Fail(call, ERROR_ACCESS_DENIED);
    if (m.Change() != Power::Go) return m.Fail(call, ERROR_NOT_READY);
    fs::create_directory(host);
    return m.Succeed(call);
}

BOOL WINAPI RemoveDirectoryA(LPCSTR name) {
    Machine &m = Machine::Current();
    std::string call = "RemoveDirectoryA(" + Arg(name) + ")";
    std::string host = m.HostPath(Arg(name));
    if (!HostIsDirectory(host)) return m.Fail(call, HostExists(host) ? ERROR_DIRECTORY : ERROR_FILE_NOT_FOUND);
    if (!fs::is_empty(host)) return m.Fail(call, ERROR_DIR_NOT_EMPTY);
    if (m.Change() != Power::Go) return m.Fail(call, ERROR_NOT_READY);
    fs::remove(host);
    return m.Succeed(call);
}

DWORD WINAPI GetLogicalDriveStringsA(DWORD length, LPSTR buffer) {
    Machine &m = Machine::Current();
    std::string list;
    for (const auto &d : m.drives) {
        char letter = m.lowercaseDriveStrings ? static_cast<char>(std::tolower(d.first)) : d.first;
        list += std::string(1, letter) + ":\\" + std::string(1, '\0');
    }
    DWORD needed = static_cast<DWORD>(list.size() + 1);
    m.Record("GetLogicalDriveStringsA(" + std::to_string(length) +
             ") = " + std::to_string(length >= needed ? needed - 1 : needed));
    // Too small a buffer gets nothing, only the size it would need.
    if (!buffer || length < needed) return needed;
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return needed - 1;
}

UINT WINAPI GetDriveTypeA(LPCSTR root) {
    Machine &m = Machine::Current();
    std::string path = root ? root : m.currentDirectory.substr(0, 3);
    UINT type = DRIVE_NO_ROOT_DIR;
    if (path.size() >= 2 && path[1] == ':' && (path.size() == 2 || path.substr(2) == "\\")) {
        auto it = m.drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
        if (it != m.drives.end()) type = it->second.type;
    }
    m.Record("GetDriveTypeA(" + path + ") = " + std::to_string(type));
    return type;
}

BOOL WINAPI GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                              LPDWORD totalClusters) {
    Machine &m = Machine::Current();
    std::string call = "GetDiskFreeSpaceA(" + Arg(root) + ")";
    Drive *d = root && std::strlen(root) >= 2 && root[1] == ':' ? m.DriveOf(root) : nullptr;
    if (!d) return m.Fail(call, ERROR_PATH_NOT_FOUND);
    if (d->freeSpaceFails) return m.Fail(call, ERROR_NOT_READY);
    if (sectorsPerCluster) *sectorsPerCluster = d->sectorsPerCluster;
    if (bytesPerSector) *bytesPerSector = d->bytesPerSector;
    if (freeClusters) *freeClusters = d->freeClusters;
    if (totalClusters) *totalClusters = d->totalClusters;
    return m.Succeed(call);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR path) {
    Machine &m = Machine::Current();
    std::string call = "SetCurrentDirectoryA(" + Arg(path) + ")";
    std::string full = m.FullPath(Arg(path));
    // No network names: a share is never reached.
    if (full.empty()) return m.Fail(call, ERROR_BAD_NETPATH);
    // A folder that is not there, in one that is: "file not found", as Wine answers.
    if (!m.DirectoryExists(full))
        return m.Fail(call, m.DirectoryExists(full.substr(0, full.rfind('\\') + 1)) ? ERROR_FILE_NOT_FOUND
                                                                                    : ERROR_PATH_NOT_FOUND);
    m.currentDirectory = full;
    return m.Succeed(call);
}
