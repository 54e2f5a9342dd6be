// Profile files as Wine reads and writes them, over the simulated file system.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "winsim/machine.h"

using namespace winsim;

namespace {

bool IsSectionLine(const std::string &line, const std::string &section) {
    size_t b = line.find_first_not_of(" \t");
    if (b == std::string::npos || line[b] != '[') return false;
    size_t e = line.find(']', b);
    if (e == std::string::npos) return false;
    return SameNoCase(line.substr(b + 1, e - b - 1), section);
}

bool IsAnySection(const std::string &line) {
    size_t b = line.find_first_not_of(" \t");
    return b != std::string::npos && line[b] == '[';
}

// A line's setting name: before its "=", or the whole line where it has none (a setting without
// a value, which reads as absent and is not listed, but is written over and deleted like any).
std::string KeyOf(const std::string &line) {
    std::string key = line.substr(0, line.find('='));
    size_t b = key.find_first_not_of(" \t"), e = key.find_last_not_of(" \t");
    return b == std::string::npos ? "" : key.substr(b, e - b + 1);
}

// The lines of a profile file as Wine parses them: without line ends and blank lines.
std::vector<std::string> ProfileLines(const std::string &host) {
    std::vector<std::string> lines;
    std::istringstream in(ReadHostFile(host));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line.erase(std::min(line.find('\0'), line.size()));  // a line ends at a zero byte
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

// A value, or with no key the section's key names, or with no section either the sections' names,
// each ending in a zero, and one more zero.
DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size,
                                      LPCSTR file) {
    Machine &m = Machine::Current();
    std::string answer = fallback ? fallback : "";
    bool list = !key;
    if (list) answer.clear();
    bool inSection = false, sectionRead = false;  // only the first section of that name is read, as by Wine
    for (const std::string &line : ProfileLines(m.HostPath(ProfileName(m, file ? file : "win.ini")))) {
        if (IsAnySection(line)) {
            sectionRead = sectionRead || inSection;
            inSection = section && !sectionRead && IsSectionLine(line, section);
            // Named only when closed, as a section is found by its name only then, and not when
            // empty: the list, whose names end in a zero and which ends in one more, has no room for it.
            size_t b = line.find('['), e = line.find(']', b);
            if (!section && e != std::string::npos && e > b + 1)
                answer += line.substr(b + 1, e - b - 1) + std::string(1, '\0');
            continue;
        }
        std::string name = KeyOf(line);
        if (!inSection || name.empty()) continue;
        if (list) {
            if (line.find('=') != std::string::npos) answer += name + std::string(1, '\0');  // as Wine lists them
        } else if (SameNoCase(name, key)) {
            if (line.find('=') == std::string::npos) break;
            std::string value = line.substr(line.find('=') + 1);
            size_t b = value.find_first_not_of(" \t"), e = value.find_last_not_of(" \t");
            answer = b == std::string::npos ? "" : value.substr(b, e - b + 1);
            break;
        }
    }
    m.Record("GetPrivateProfileStringA(" + Arg(section) + ", " + Arg(key) + ", " + Arg(file) + ")");
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
    std::string call =
        "WritePrivateProfileStringA(" + Arg(section) + ", " + Arg(key) + ", " + Arg(value) + ", " + Arg(file) + ")";
    // Three nulls write the cached file to the disk, and answer 0 all the same.
    if (!section && !key && !value && file) {
        if (!m.IsOff()) m.Flushed(m.HostPath(ProfileName(m, file)));
        m.lastError = ERROR_SUCCESS;
        m.Record(call + " = 0 (flushed)");
        return FALSE;
    }
    if (!section || !file) return m.Fail(call, ERROR_INVALID_PARAMETER);
    std::string name = ProfileName(m, file);
    std::string host = m.HostPath(name);
    if (host.empty() || !HostIsDirectory(HostParent(host))) return m.Fail(call, ERROR_PATH_NOT_FOUND);
    if (m.IsReadOnly(host)) return m.Fail(call, ERROR_ACCESS_DENIED);
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
                if (found == end && SameNoCase(KeyOf(lines[i]), key)) found = i;  // the first, as it is read
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
    if (!Spend(m.DriveOf(name), text.size())) return m.Fail(call, ERROR_DISK_FULL);
    if (m.Change() != Power::Go) return m.Fail(call, ERROR_NOT_READY);
    // Windows keeps the file in a cache until it is flushed.
    m.NoteUnflushed(host, HostExists(host) ? ReadHostFile(host) : "");
    std::ofstream(host, std::ios::binary | std::ios::trunc) << text;
    return m.Succeed(call);
}
