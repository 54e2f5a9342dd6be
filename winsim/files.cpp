// Files, folders, drives, profile files and the C runtime's text streams, on host folders that
// stand for drive letters. Names are matched without regard to case, as Windows does.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "winsim/machine.h"

namespace fs = std::filesystem;
using winsim::Drive;
using winsim::Machine;

namespace {

const DWORD ERROR_DISK_FULL = 112;
const DWORD ERROR_WRITE_PROTECT = 19;
const DWORD ERROR_DIRECTORY = 267;

std::string Quote(LPCSTR s) { return s ? s : "NULL"; }

// The entry of `dir` whose name equals `name` without regard to case, or `name` itself.
std::string MatchEntry(const std::string &dir, const std::string &name) {
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d)) {
            if (winsim::SameNoCase(e->d_name, name)) {
                std::string found = e->d_name;
                closedir(d);
                return found;
            }
        }
        closedir(d);
    }
    return name;
}

bool Exists(const std::string &host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0;
}

bool IsDirectory(const std::string &host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Parent(const std::string &host) { return fs::path(host).parent_path().string(); }

Drive *DriveOf(Machine &m, const std::string &windowsPath) {
    std::string full = windowsPath;
    char letter = full.size() > 1 && full[1] == ':' ? full[0] : m.currentDirectory[0];
    auto it = m.drives.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    return it == m.drives.end() ? nullptr : &it->second;
}

BOOL Fail(Machine &m, const std::string &call, DWORD error) {
    m.lastError = error;
    m.Record(call + " = 0 (error " + std::to_string(error) + ")");
    return FALSE;
}

BOOL Succeed(Machine &m, const std::string &call) {
    m.Record(call + " = 1");
    return TRUE;
}

bool WriteProtected(Drive *d) { return d && (d->type == DRIVE_CDROM); }

// Spends a drive's remaining space; false when the bytes do not fit.
bool Spend(Drive *d, size_t bytes) {
    if (!d || d->writeBudget < 0) return true;
    if (static_cast<long long>(bytes) > d->writeBudget) {
        d->writeBudget = 0;
        return false;
    }
    d->writeBudget -= static_cast<long long>(bytes);
    return true;
}

std::string Slurp(const std::string &host) {
    std::ifstream in(host, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

namespace winsim {

std::string Machine::HostPath(const std::string &windowsPath) {
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
    auto drive = drives.find(letter);
    if (drive == drives.end()) return "";
    std::vector<std::string> parts;
    std::string part;
    for (size_t i = 0; i <= rest.size(); ++i) {
        if (i == rest.size() || rest[i] == '\\') {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part += rest[i];
        }
    }
    std::string host = drive->second.host;
    for (const auto &p : parts) host += "/" + MatchEntry(host, p);
    return host;
}

DWORD Machine::Attributes(const std::string &windowsPath) {
    std::string host = HostPath(windowsPath);
    if (!Exists(host)) return INVALID_FILE_ATTRIBUTES;
    if (IsDirectory(host)) return FILE_ATTRIBUTE_DIRECTORY;
    // Wine reports every file with the archive bit, whatever was set.
    auto stored = fileAttributes.find(host);
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE | (stored == fileAttributes.end() ? 0 : stored->second);
    if (readOnlyFiles.count(host)) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
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

DWORD WINAPI GetLastError(void) { return Machine::Current().lastError; }

DWORD WINAPI GetFileAttributesA(LPCSTR name) {
    Machine &m = Machine::Current();
    DWORD attributes = m.Attributes(Quote(name));
    if (attributes == INVALID_FILE_ATTRIBUTES) m.lastError = ERROR_FILE_NOT_FOUND;
    return attributes;
}

BOOL WINAPI SetFileAttributesA(LPCSTR name, DWORD attributes) {
    Machine &m = Machine::Current();
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(attributes));
    std::string call = "SetFileAttributesA(" + Quote(name) + ", " + hex + ")";
    std::string host = m.HostPath(Quote(name));
    if (!Exists(host)) return Fail(m, call, ERROR_FILE_NOT_FOUND);
    if (attributes & FILE_ATTRIBUTE_READONLY)
        m.readOnlyFiles.insert(host);
    else
        m.readOnlyFiles.erase(host);
    m.fileAttributes[host] = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    return Succeed(m, call);
}

BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    Machine &m = Machine::Current();
    std::string call = "CopyFileA(" + Quote(from) + ", " + Quote(to) + ", " + std::to_string(failIfExists) + ")";
    std::string source = m.HostPath(Quote(from)), target = m.HostPath(Quote(to));
    if (!Exists(source) || IsDirectory(source)) return Fail(m, call, ERROR_FILE_NOT_FOUND);
    if (m.lockedFiles.count(source)) return Fail(m, call, ERROR_SHARING_VIOLATION);
    if (target.empty() || !IsDirectory(Parent(target))) return Fail(m, call, ERROR_PATH_NOT_FOUND);
    if (m.failingCopies.count(target)) return Fail(m, call, ERROR_ACCESS_DENIED);
    if (Exists(target)) {
        if (failIfExists) return Fail(m, call, ERROR_FILE_EXISTS);
        if (IsDirectory(target) || m.readOnlyFiles.count(target)) return Fail(m, call, ERROR_ACCESS_DENIED);
        if (m.lockedFiles.count(target)) return Fail(m, call, ERROR_SHARING_VIOLATION);
    }
    Drive *drive = DriveOf(m, Quote(to));
    if (WriteProtected(drive)) return Fail(m, call, ERROR_WRITE_PROTECT);
    std::string bytes = Slurp(source);
    if (!Spend(drive, bytes.size())) return Fail(m, call, ERROR_DISK_FULL);
    std::ofstream(target, std::ios::binary | std::ios::trunc) << bytes;
    // The copy takes the source's attributes along, read-only included, as Wine's does.
    m.fileAttributes.erase(target);
    if (m.fileAttributes.count(source)) m.fileAttributes[target] = m.fileAttributes[source];
    if (m.readOnlyFiles.count(source)) m.readOnlyFiles.insert(target);
    return Succeed(m, call);
}

BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to) {
    Machine &m = Machine::Current();
    std::string call = "MoveFileA(" + Quote(from) + ", " + Quote(to) + ")";
    std::string source = m.HostPath(Quote(from)), target = m.HostPath(Quote(to));
    if (!Exists(source)) return Fail(m, call, ERROR_FILE_NOT_FOUND);
    if (target.empty() || !IsDirectory(Parent(target))) return Fail(m, call, ERROR_PATH_NOT_FOUND);
    if (Exists(target)) return Fail(m, call, ERROR_ALREADY_EXISTS);
    if (m.lockedFiles.count(source)) return Fail(m, call, ERROR_SHARING_VIOLATION);
    if (m.failingMoves.count(source)) return Fail(m, call, ERROR_ACCESS_DENIED);
    std::error_code error;
    fs::rename(source, target, error);
    if (error) return Fail(m, call, ERROR_ACCESS_DENIED);
    // A read-only file may be renamed; it stays read-only, as under Wine and Windows.
    if (m.readOnlyFiles.erase(source)) m.readOnlyFiles.insert(target);
    auto attributes = m.fileAttributes.find(source);
    if (attributes != m.fileAttributes.end()) {
        m.fileAttributes[target] = attributes->second;
        m.fileAttributes.erase(source);
    }
    return Succeed(m, call);
}

BOOL WINAPI DeleteFileA(LPCSTR name) {
    Machine &m = Machine::Current();
    std::string call = "DeleteFileA(" + Quote(name) + ")";
    std::string host = m.HostPath(Quote(name));
    if (!Exists(host)) return Fail(m, call, IsDirectory(Parent(host)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    if (IsDirectory(host) || m.readOnlyFiles.count(host)) return Fail(m, call, ERROR_ACCESS_DENIED);
    if (m.lockedFiles.count(host)) return Fail(m, call, ERROR_SHARING_VIOLATION);
    if (WriteProtected(DriveOf(m, Quote(name)))) return Fail(m, call, ERROR_WRITE_PROTECT);
    if (m.failingDeletes.count(host)) return Fail(m, call, ERROR_ACCESS_DENIED);
    fs::remove(host);
    m.fileAttributes.erase(host);
    return Succeed(m, call);
}

BOOL WINAPI CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES) {
    Machine &m = Machine::Current();
    std::string call = "CreateDirectoryA(" + Quote(name) + ")";
    std::string host = m.HostPath(Quote(name));
    if (host.empty() || !IsDirectory(Parent(host))) return Fail(m, call, ERROR_PATH_NOT_FOUND);
    if (Exists(host)) return Fail(m, call, ERROR_ALREADY_EXISTS);
    if (WriteProtected(DriveOf(m, Quote(name)))) return Fail(m, call, ERROR_WRITE_PROTECT);
    fs::create_directory(host);
    return Succeed(m, call);
}

BOOL WINAPI RemoveDirectoryA(LPCSTR name) {
    Machine &m = Machine::Current();
    std::string call = "RemoveDirectoryA(" + Quote(name) + ")";
    std::string host = m.HostPath(Quote(name));
    if (!IsDirectory(host)) return Fail(m, call, Exists(host) ? ERROR_DIRECTORY : ERROR_FILE_NOT_FOUND);
    if (!fs::is_empty(host)) return Fail(m, call, ERROR_DIR_NOT_EMPTY);
    fs::remove(host);
    return Succeed(m, call);
}

DWORD WINAPI GetLogicalDriveStringsA(DWORD length, LPSTR buffer) {
    Machine &m = Machine::Current();
    std::string list;
    for (const auto &d : m.drives) {
        char letter = m.lowercaseDriveStrings ? static_cast<char>(std::tolower(d.first)) : d.first;
        list += std::string(1, letter) + ":\\" + std::string(1, '\0');
    }
    DWORD needed = static_cast<DWORD>(list.size() + 1);
    m.Record("GetLogicalDriveStringsA(" + std::to_string(length) + ") = " +
             std::to_string(length >= needed ? needed - 1 : needed));
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

BOOL WINAPI GetDiskFreeSpaceA(LPCSTR root, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                              LPDWORD freeClusters, LPDWORD totalClusters) {
    Machine &m = Machine::Current();
    std::string call = "GetDiskFreeSpaceA(" + Quote(root) + ")";
    Drive *d = root && std::strlen(root) >= 2 && root[1] == ':' ? DriveOf(m, root) : nullptr;
    if (!d) return Fail(m, call, ERROR_PATH_NOT_FOUND);
    if (d->freeSpaceFails) return Fail(m, call, ERROR_NOT_READY);
    if (sectorsPerCluster) *sectorsPerCluster = d->sectorsPerCluster;
    if (bytesPerSector) *bytesPerSector = d->bytesPerSector;
    if (freeClusters) *freeClusters = d->freeClusters;
    if (totalClusters) *totalClusters = d->totalClusters;
    return Succeed(m, call);
}

namespace {

bool IsSectionLine(const std::string &line, const std::string &section) {
    size_t b = line.find_first_not_of(" \t");
    if (b == std::string::npos || line[b] != '[') return false;
    size_t e = line.find(']', b);
    if (e == std::string::npos) return false;
    return winsim::SameNoCase(line.substr(b + 1, e - b - 1), section);
}

bool IsAnySection(const std::string &line) {
    size_t b = line.find_first_not_of(" \t");
    return b != std::string::npos && line[b] == '[';
}

std::string KeyOf(const std::string &line) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return "";
    std::string key = line.substr(0, eq);
    size_t b = key.find_first_not_of(" \t"), e = key.find_last_not_of(" \t");
    return b == std::string::npos ? "" : key.substr(b, e - b + 1);
}

}  // namespace

namespace {

// The lines of a profile file as Wine parses them: without line ends and blank lines.
std::vector<std::string> ProfileLines(const std::string &host) {
    std::vector<std::string> lines;
    std::istringstream in(Slurp(host));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
    }
    return lines;
}

// A bare file name means the file in the Windows directory.
std::string ProfileName(Machine &m, LPCSTR file) {
    std::string name = file;
    if (name.find('\\') == std::string::npos && name.find(':') == std::string::npos)
        name = m.windowsDirectory + "\\" + name;
    return name;
}

}  // namespace

// A value, or with no key the section's key names, each ending in a zero, and one more zero.
DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer,
                                      DWORD size, LPCSTR file) {
    Machine &m = Machine::Current();
    std::string answer = fallback ? fallback : "";
    bool list = !key;
    if (list) answer.clear();
    bool inSection = false;
    for (const std::string &line : ProfileLines(m.HostPath(ProfileName(m, file ? file : "win.ini")))) {
        if (IsAnySection(line)) {
            inSection = section && IsSectionLine(line, section);
            continue;
        }
        std::string name = KeyOf(line);
        if (!inSection || name.empty()) continue;
        if (list) {
            answer += name + std::string(1, '\0');
        } else if (winsim::SameNoCase(name, key)) {
            std::string value = line.substr(line.find('=') + 1);
            size_t b = value.find_first_not_of(" \t"), e = value.find_last_not_of(" \t");
            answer = b == std::string::npos ? "" : value.substr(b, e - b + 1);
            break;
        }
    }
    m.Record("GetPrivateProfileStringA(" + Quote(section) + ", " + Quote(key) + ", " + Quote(file) + ")");
    if (!buffer || size == 0) return 0;
    // What does not fit is cut off, still closed by its zero (or two for a list).
    DWORD room = size - (list && size > 1 ? 2 : 1);
    DWORD length = static_cast<DWORD>(std::min<size_t>(answer.size(), room));
    std::memcpy(buffer, answer.data(), length);
    buffer[length] = '\0';
    return length;
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    Machine &m = Machine::Current();
    std::string call = "WritePrivateProfileStringA(" + Quote(section) + ", " + Quote(key) + ", " +
                       Quote(value) + ", " + Quote(file) + ")";
    if (!section || !file) return Fail(m, call, ERROR_INVALID_PARAMETER);
    std::string name = ProfileName(m, file);
    std::string host = m.HostPath(name);
    if (host.empty() || !IsDirectory(Parent(host))) return Fail(m, call, ERROR_PATH_NOT_FOUND);
    if (m.readOnlyFiles.count(host)) return Fail(m, call, ERROR_ACCESS_DENIED);
    // The file is written anew from what it holds, without its blank lines, as Wine does; a
    // value loses its leading blanks, so a single space is stored as nothing.
    std::vector<std::string> lines = ProfileLines(host);
    if (value)
        while (*value == ' ' || *value == '\t') ++value;
    size_t start = lines.size();
    for (size_t i = 0; i < lines.size(); ++i)
        if (IsSectionLine(lines[i], section)) {
            start = i;
            break;
        }
    if (start == lines.size()) {
        if (key && value) {
            lines.push_back(std::string("[") + section + "]");
            lines.push_back(std::string(key) + "=" + value);
        }
    } else {
        size_t end = start + 1;
        while (end < lines.size() && !IsAnySection(lines[end])) ++end;
        if (!key) {
            lines.erase(lines.begin() + static_cast<long>(start), lines.begin() + static_cast<long>(end));
        } else {
            size_t found = end, last = start;
            for (size_t i = start + 1; i < end; ++i) {
                if (winsim::SameNoCase(KeyOf(lines[i]), key)) found = i;
                if (lines[i].find_first_not_of(" \t") != std::string::npos) last = i;
            }
            if (found != end) {
                if (value)
                    lines[found] = std::string(key) + "=" + value;
                else
                    lines.erase(lines.begin() + static_cast<long>(found));
            } else if (value) {
                lines.insert(lines.begin() + static_cast<long>(last + 1), std::string(key) + "=" + value);
            }
        }
    }
    std::string text;
    for (const auto &line : lines) text += line + "\r\n";
    if (!Spend(DriveOf(m, name), text.size())) return Fail(m, call, ERROR_DISK_FULL);
    std::ofstream(host, std::ios::binary | std::ios::trunc) << text;
    return Succeed(m, call);
}

namespace {

// An open C runtime stream: text mode turns CR LF into one line end and stops at the first
// 0x1A on reading, and writes CR LF for each line end, as the Microsoft C runtime does.
struct CrtStream {
    std::string host;
    std::string readable;  // the file's contents as a reader sees them
    size_t readPos = 0;
    bool text = true;
    Drive *drive = nullptr;  // every write goes to the end of the file: modes "w" and "a"
};

ssize_t CrtRead(void *cookie, char *buffer, size_t size) {
    CrtStream *s = static_cast<CrtStream *>(cookie);
    size_t n = std::min(size, s->readable.size() - s->readPos);
    std::memcpy(buffer, s->readable.data() + s->readPos, n);
    s->readPos += n;
    return static_cast<ssize_t>(n);
}

ssize_t CrtWrite(void *cookie, const char *buffer, size_t size) {
    CrtStream *s = static_cast<CrtStream *>(cookie);
    std::string bytes;
    for (size_t i = 0; i < size; ++i) {
        if (s->text && buffer[i] == '\n') bytes += '\r';
        bytes += buffer[i];
    }
    if (!Spend(s->drive, bytes.size())) {
        errno = ENOSPC;
        return -1;
    }
    std::ofstream out(s->host, std::ios::binary | std::ios::app);
    out << bytes;
    if (!out) {
        errno = EIO;
        return -1;
    }
    return static_cast<ssize_t>(size);
}

int CrtClose(void *cookie) {
    delete static_cast<CrtStream *>(cookie);
    return 0;
}

std::string TextModeView(const std::string &raw) {
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == 0x1A) break;
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') continue;
        out += raw[i];
    }
    return out;
}

}  // namespace

FILE *_fsopen(const char *filename, const char *mode, int) {
    Machine &m = Machine::Current();
    std::string call = "_fsopen(" + Quote(filename) + ", " + Quote(mode) + ")";
    std::string host = m.HostPath(Quote(filename));
    std::string how = mode ? mode : "";
    bool plus = how.find('+') != std::string::npos;
    char kind = how.empty() ? '?' : how[0];
    auto refuse = [&](int error) -> FILE * {
        errno = error;
        m.Record(call + " = NULL");
        return nullptr;
    };
    if (host.empty() || (kind != 'r' && kind != 'w' && kind != 'a')) return refuse(EINVAL);
    bool exists = Exists(host);
    bool writes = kind != 'r' || plus;
    if (IsDirectory(host) || m.lockedFiles.count(host)) return refuse(EACCES);
    if (kind == 'r' && !exists) return refuse(ENOENT);
    if (!IsDirectory(Parent(host))) return refuse(ENOENT);
    Drive *drive = DriveOf(m, Quote(filename));
    if (writes && (m.readOnlyFiles.count(host) || WriteProtected(drive))) return refuse(EACCES);
    auto *s = new CrtStream;
    s->host = host;
    s->text = how.find('b') == std::string::npos;
    s->drive = drive;
    if (kind == 'w' || !exists) {
        std::ofstream(host, std::ios::binary | std::ios::trunc);
    }
    if (kind == 'r' || plus) {
        std::string raw = Slurp(host);
        s->readable = s->text ? TextModeView(raw) : raw;
    }
    cookie_io_functions_t io = {CrtRead, CrtWrite, nullptr, CrtClose};
    FILE *f = fopencookie(s, writes ? (kind == 'r' || plus ? "r+" : "w") : "r", io);
    m.Record(call + (f ? " = stream" : " = NULL"));
    return f;
}
