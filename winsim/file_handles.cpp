// File handles: opening with Windows' dispositions and sharing, reading and writing at the
// handle's position, and the failures a test asks for part-way through a file.
#include <algorithm>
#include <cstring>
#include <fstream>

#include "winsim/file_handles.h"
#include "winsim/machine.h"

using namespace winsim;

namespace {

std::string AccessName(DWORD access) {
    std::string name = access & GENERIC_READ ? "read" : "";
    if (access & GENERIC_WRITE) name += name.empty() ? "write" : " write";
    return name.empty() ? "none" : name;
}

std::string ShareName(DWORD share) {
    std::string name = std::string(share & FILE_SHARE_READ ? "r" : "") + (share & FILE_SHARE_WRITE ? "w" : "");
    return "share " + (name.empty() ? std::string("none") : name);
}

std::string DispositionName(DWORD disposition) {
    switch (disposition) {
    case CREATE_ALWAYS: return "CREATE_ALWAYS";
    case OPEN_EXISTING: return "OPEN_EXISTING";
    case OPEN_ALWAYS: return "OPEN_ALWAYS";
    default: return std::to_string(disposition);
    }
}

// The file that a read or write of `size` bytes works on, once the handle and its access are
// checked; null after the call has failed. `call` is the call as the record names it.
OpenFile *FileToTransfer(Machine &m, HANDLE handle, const char *verb, DWORD size, DWORD access, std::string &call) {
    OpenFile *f = m.FileOf(handle);
    if (!f) {
        m.Fail(std::string(verb) + "(?)", ERROR_INVALID_HANDLE);
        return nullptr;
    }
    call = std::string(verb) + "(" + f->path + ", " + std::to_string(size) + ")";
    if (!(f->access & access)) {
        m.Fail(call, ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return f;
}

}  // namespace

namespace winsim {

HANDLE FileHandles::OpenHandle(const OpenFile &file) {
    HANDLE handle = reinterpret_cast<HANDLE>(m_lastHandle += 4);
    m_openFiles[handle] = file;
    m_tree.Opened(file.host, file.access, file.share);
    return handle;
}

OpenFile *FileHandles::FileOf(HANDLE handle) {
    auto open = m_openFiles.find(handle);
    return open == m_openFiles.end() ? nullptr : &open->second;
}

bool FileHandles::CloseFile(HANDLE handle) {
    auto open = m_openFiles.find(handle);
    if (open == m_openFiles.end()) return false;
    m_tree.Closed(open->second.host, open->second.access, open->second.share);
    m_openFiles.erase(open);
    return true;
}

void FileHandles::CloseAllFiles() {
    while (!m_openFiles.empty()) CloseFile(m_openFiles.begin()->first);
}

}  // namespace winsim

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD disposition,
                          DWORD attributes, HANDLE) {
    Machine &m = Machine::Current();
    std::string call = "CreateFileA(" + Arg(name) + ", " + AccessName(access) + ", " + ShareName(share) + ", " +
                       DispositionName(disposition) + ")";
    auto refuse = [&](DWORD error) {
        m.Fail(call, error);
        return INVALID_HANDLE_VALUE;
    };
    std::string host = m.HostPath(Arg(name));
    bool writes = access & GENERIC_WRITE;
    if (host.empty() || !HostIsDirectory(HostParent(host))) return refuse(ERROR_PATH_NOT_FOUND);
    // A folder is no file, whatever the disposition; NT opens one with backup semantics, for
    // what the user may do in it.
    if (HostIsDirectory(host)) {
        if (!m.IsNt() || !(attributes & FILE_FLAG_BACKUP_SEMANTICS) || disposition != OPEN_EXISTING ||
            ((access & FILE_ADD_FILE) && m.IsProtectedFolder(host)))
            return refuse(ERROR_ACCESS_DENIED);
        HANDLE folder = m.OpenHandle({Arg(name), host, access, share});
        m.Succeed(call);
        m.lastError = ERROR_SUCCESS;
        return folder;
    }
    bool exists = HostExists(host);
    if (!exists && disposition == OPEN_EXISTING) return refuse(ERROR_FILE_NOT_FOUND);
    if ((writes || !exists) && m.InProtectedFolder(host)) return refuse(ERROR_ACCESS_DENIED);
    if (writes && exists && m.IsReadOnly(host)) return refuse(ERROR_ACCESS_DENIED);
    if (writes && WriteProtected(m.DriveOf(Arg(name)))) return refuse(ERROR_WRITE_PROTECT);
    if (m.IsLocked(host) || m.Held(host, access, share)) return refuse(ERROR_SHARING_VIOLATION);
    // Windows replaces a hidden or system file only when asked for those attributes again; Wine
    // does it anyway.
    DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (exists && disposition == CREATE_ALWAYS && (m.Attributes(Arg(name)) & kept & ~attributes))
        return refuse(ERROR_ACCESS_DENIED);
    if (!exists || disposition == CREATE_ALWAYS) {
        if (m.Change() != Power::Go) return refuse(ERROR_NOT_READY);
        std::ofstream(host, std::ios::binary | std::ios::trunc);
        // The file's entry is on the disk; what is written into it is in the cache.
        m.Flushed(host);
        m.NoteUnflushed(host, "");
    }
    HANDLE handle = m.OpenHandle({Arg(name), host, access, share});
    m.Succeed(call);
    // Success on a file that was there already says so, as Windows does.
    m.lastError = exists && disposition != OPEN_EXISTING ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    return handle;
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED) {
    Machine &m = Machine::Current();
    *read = 0;
    std::string call;
    OpenFile *file = FileToTransfer(m, handle, "ReadFile", size, GENERIC_READ, call);
    if (!file) return FALSE;
    OpenFile &f = *file;
    std::string bytes = ReadHostFile(f.host);
    size_t count = f.position < bytes.size() ? std::min<size_t>(size, bytes.size() - f.position) : 0;
    if (m.DamagedWithin(f.host, f.position, count)) return m.Fail(call, ERROR_READ_FAULT);
    std::memcpy(buffer, bytes.data() + f.position, count);
    f.position += count;
    *read = static_cast<DWORD>(count);
    m.Record(call + " = 1, " + std::to_string(count) + " read");
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED) {
    Machine &m = Machine::Current();
    *written = 0;
    std::string call;
    OpenFile *file = FileToTransfer(m, handle, "WriteFile", size, GENERIC_WRITE, call);
    if (!file) return FALSE;
    OpenFile &f = *file;
    // A full disk takes none of the bytes.
    if (!Spend(m.DriveOf(f.path), size)) return m.Fail(call, ERROR_DISK_FULL);
    // The power going during the write leaves half of it.
    Power::Verdict power = m.Change();
    if (power == Power::Dead) return m.Fail(call, ERROR_NOT_READY);
    DWORD count = power == Power::CutNow ? size / 2 : size;
    m.NoteUnflushed(f.host);
    std::fstream out(f.host, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(f.position));
    out.write(static_cast<const char *>(buffer), count);
    f.position += count;
    *written = count;
    return power == Power::CutNow ? m.Fail(call, ERROR_NOT_READY) : m.Succeed(call);
}

BOOL WINAPI FlushFileBuffers(HANDLE handle) {
    Machine &m = Machine::Current();
    OpenFile *file = m.FileOf(handle);
    if (!file) return m.Fail("FlushFileBuffers(?)", ERROR_INVALID_HANDLE);
    std::string call = "FlushFileBuffers(" + file->path + ")";
    if (m.IsOff()) return m.Fail(call, ERROR_NOT_READY);
    m.Flushed(file->host);
    return m.Succeed(call);
}

DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
    Machine &m = Machine::Current();
    OpenFile *file = m.FileOf(handle);
    if (!file || distanceHigh || method > FILE_END) {
        m.Fail("SetFilePointer(?)", !file ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    OpenFile &f = *file;
    long long base = method == FILE_BEGIN     ? 0
                     : method == FILE_CURRENT ? static_cast<long long>(f.position)
                                              : static_cast<long long>(ReadHostFile(f.host).size());
    std::string call =
        "SetFilePointer(" + f.path + ", " + std::to_string(distance) + ", " + std::to_string(method) + ")";
    if (base + distance < 0) {
        m.Fail(call, ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    f.position = static_cast<size_t>(base + distance);
    m.Record(call + " = " + std::to_string(f.position));
    m.lastError = ERROR_SUCCESS;
    return static_cast<DWORD>(f.position);
}
