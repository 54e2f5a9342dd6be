// The C runtime's streams, over the simulated file system.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "winsim/machine.h"

using namespace winsim;

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
    std::string call = "_fsopen(" + Arg(filename) + ", " + Arg(mode) + ")";
    std::string host = m.HostPath(Arg(filename));
    std::string how = mode ? mode : "";
    bool plus = how.find('+') != std::string::npos;
    char kind = how.empty() ? '?' : how[0];
    auto refuse = [&](int error) -> FILE * {
        errno = error;
        m.Record(call + " = NULL");
        return nullptr;
    };
    if (host.empty() || (kind != 'r' && kind != 'w' && kind != 'a')) return refuse(EINVAL);
    bool exists = HostExists(host);
    bool writes = kind != 'r' || plus;
    if (HostIsDirectory(host) || m.IsLocked(host)) return refuse(EACCES);
    if (kind == 'r' && !exists) return refuse(ENOENT);
    if (!HostIsDirectory(HostParent(host))) return refuse(ENOENT);
    Drive *drive = m.DriveOf(Arg(filename));
    if (writes && (m.IsReadOnly(host) || WriteProtected(drive))) return refuse(EACCES);
    auto *s = new CrtStream;
    s->host = host;
    s->text = how.find('b') == std::string::npos;
    s->drive = drive;
    if (kind == 'w' || !exists) {
        std::ofstream(host, std::ios::binary | std::ios::trunc);
    }
    if (kind == 'r' || plus) {
        std::string raw = ReadHostFile(host);
        s->readable = s->text ? TextModeView(raw) : raw;
    }
    cookie_io_functions_t io = {CrtRead, CrtWrite, nullptr, CrtClose};
    FILE *f = fopencookie(s, writes ? (kind == 'r' || plus ? "r+" : "w") : "r", io);
    m.Record(call + (f ? " = stream" : " = NULL"));
    return f;
}
