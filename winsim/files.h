// Files, folders and drives: drive letters mapped to host folders, paths resolved as Windows
// resolves them, file attributes, who has each file open, and the failures a test asks for. The
// handles through which a file is read and written are file_handles.h's.
#ifndef SETUP_WINSIM_FILES_H
#define SETUP_WINSIM_FILES_H

#include <map>
#include <set>
#include <string>

#include "winsim/host.h"
#include "winsim/win32.h"

namespace winsim {

// A drive letter mapped to a host folder, with what the system reports about it.
struct Drive {
    std::string host;
    UINT type = DRIVE_FIXED;
    DWORD sectorsPerCluster = 8;
    DWORD bytesPerSector = 512;
    DWORD freeClusters = 262144;  // 1 GiB free
    DWORD totalClusters = 524288;
    bool freeSpaceFails = false;
    long long writeBudget = -1;  // bytes that can still be written; -1 for no limit
};

// Of a drive, or none (a path on no drive): whether it refuses writes, and spending its space
// (false when the bytes do not fit).
bool WriteProtected(const Drive *d);
bool Spend(Drive *d, size_t bytes);

class FileSystem {
public:
    FileSystem();  // a fresh host folder with drive C:
    // On `hostRoot`, emptied first and left in place at the end: a machine made many times over.
    explicit FileSystem(const std::string &hostRoot);
    ~FileSystem();
    const std::string &HostRoot() const { return m_hostRoot; }

    // Windows paths are resolved as Windows resolves them: letters without regard to case, "\\x"
    // on the current drive, "x:" prefixes, relative names in the current folder.
    std::map<char, Drive> drives;  // by upper-case letter
    std::string currentDirectory = "C:\\";
    std::string windowsDirectory;
    std::string systemDirectory;
    bool lowercaseDriveStrings = false;  // Windows 95 lists "c:\\", NT and Wine "C:\\"
    // Wine reports every file with the archive bit; Windows keeps it as it was set.
    bool archiveAsWindows = false;
    Drive &MapDrive(char letter, UINT type);
    std::string FullPath(const std::string &windowsPath);  // "X:\\..." as Windows spells it; empty if none
    std::string HostPath(const std::string &windowsPath);  // empty if the drive is unknown
    Drive *DriveOf(const std::string &windowsPath);
    void WriteFile(const std::string &windowsPath, const std::string &bytes);
    std::string ReadFile(const std::string &windowsPath);
    bool FileExists(const std::string &windowsPath);
    bool DirectoryExists(const std::string &windowsPath);
    void MakeDirectory(const std::string &windowsPath);  // with its parents
    DWORD Attributes(const std::string &windowsPath);    // as GetFileAttributesA answers
    // The path in the 8.3 aliases of its long names, as GetShortPathNameA answers; empty for a
    // file or folder that is not there. Files are found by their aliases too.
    std::string ShortPath(const std::string &windowsPath);

    // Folders that this user may only read: no file is made, written, renamed or deleted in them,
    // and they cannot be opened to add one.
    void ProtectFolder(const std::string &windowsPath) { m_protectedFolders.insert(HostPath(windowsPath)); }
    bool IsProtectedFolder(const std::string &host) const { return m_protectedFolders.count(host) != 0; }
    bool InProtectedFolder(const std::string &host) const { return IsProtectedFolder(HostParent(host)); }

    // Read-only files, and files that another program holds open, by Windows path; the checks
    // by host path.
    void SetReadOnly(const std::string &windowsPath) { m_readOnly.insert(HostPath(windowsPath)); }
    void Lock(const std::string &windowsPath) { m_locked.insert(HostPath(windowsPath)); }
    bool IsReadOnly(const std::string &host) const { return m_readOnly.count(host) != 0; }
    bool IsLocked(const std::string &host) const { return m_locked.count(host) != 0; }

    // Calls that fail with access denied for a given path, whatever else holds: CopyFileA or
    // MoveFileA to that destination, MoveFileA of that file, DeleteFileA of that file.
    void FailCopyTo(const std::string &windowsPath) { m_failingCopies.insert(HostPath(windowsPath)); }
    void FailMoveOf(const std::string &windowsPath) { m_failingMoves.insert(HostPath(windowsPath)); }
    void FailDeleteOf(const std::string &windowsPath) { m_failingDeletes.insert(HostPath(windowsPath)); }
    // A damaged spot in a file: a ReadFile whose bytes would include `offset` fails and reads none.
    void FailReadAt(const std::string &windowsPath, size_t offset) { m_failingReads[HostPath(windowsPath)] = offset; }
    bool DamagedWithin(const std::string &host, size_t from, size_t count) const;

    // Who has each file open, by host path, with the access and sharing each opening asked for.
    void Opened(const std::string &host, DWORD access, DWORD share) { m_openings.insert({host, {access, share}}); }
    void Closed(const std::string &host, DWORD access, DWORD share);
    // Whether an opening keeps `host` from being opened with `access` and `share`. Deleting or
    // renaming needs sharing that the program never grants.
    bool Held(const std::string &host, DWORD access, DWORD share) const;
    bool Held(const std::string &host) const { return m_openings.count(host) != 0; }

    // What each file written since it was last flushed held then, by host path: what a power
    // cut that loses the cache leaves of it. Noted before the first such write.
    void NoteUnflushed(const std::string &host, const std::string &heldBefore) {
        m_unflushed.emplace(host, heldBefore);
    }
    void NoteUnflushed(const std::string &host) { NoteUnflushed(host, ReadHostFile(host)); }
    void Flushed(const std::string &host) { m_unflushed.erase(host); }
    // The power back: unflushed bytes lost (when `lose`).
    void AfterPowerCut(bool lose);

private:
    // The calls that keep this bookkeeping (the parentheses keep clang from reading "BOOL::").
    friend BOOL WINAPI(::SetFileAttributesA)(LPCSTR, DWORD);
    friend BOOL WINAPI(::CopyFileA)(LPCSTR, LPCSTR, BOOL);
    friend BOOL WINAPI(::MoveFileA)(LPCSTR, LPCSTR);
    friend BOOL WINAPI(::DeleteFileA)(LPCSTR);

    struct Opening {
        DWORD access, share;
    };

    std::string m_hostRoot;
    bool m_ownsHostRoot = true;
    std::set<std::string> m_locked, m_readOnly, m_protectedFolders;
    std::map<std::string, DWORD> m_attributes;  // hidden and system bits by host path
    std::set<std::string> m_failingCopies, m_failingMoves, m_failingDeletes;
    std::map<std::string, size_t> m_failingReads;
    std::map<std::string, std::string> m_unflushed;
    std::multimap<std::string, Opening> m_openings;
};

}  // namespace winsim

#endif
