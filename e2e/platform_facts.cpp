#include "e2e/platform_facts.h"

#include <string>

#include "e2e/hex.h"
#include "platform/platform.h"

namespace {

const DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

HANDLE Open(const char *path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A failed open as its error; an open one as "open" and the error that success leaves.
std::string Opened(HANDLE file) {
    DWORD error = GetLastError();
    if (file == INVALID_HANDLE_VALUE) return std::to_string(error);
    CloseHandle(file);
    return "open " + std::to_string(error);
}

std::string ReadAll(const char *path) {
    HANDLE file = Open(path, GENERIC_READ, ShareAll, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return "absent";
    std::string bytes;
    char buffer[64];
    for (DWORD read; ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read;) bytes.append(buffer, read);
    CloseHandle(file);
    return bytes;
}

std::string FileBytes(const char *path) {
    std::string bytes = ReadAll(path);
    return bytes == "absent" ? bytes : Hex(bytes);
}

void WriteBytes(const char *path, const std::string &bytes) {
    HANDLE file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    DWORD written;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Result(BOOL ok) { return ok ? "1" : "0 " + std::to_string(GetLastError()); }

}  // namespace

void PlatformFacts(void (*report)(const char *key, const char *value)) {
    auto say = [&](const char *key, const std::string &value) { report(key, value.c_str()); };
    const char *file = "C:\\platform-facts.txt";

    // Files through handles: a folder is no file, a missing folder differs from a missing file.
    CreateDirectoryA("C:\\facts-dir", nullptr);
    std::string folder = Opened(Open("C:\\facts-dir", GENERIC_READ, ShareAll, OPEN_EXISTING));
    say("file.folder", folder + " " + Opened(Open("C:\\facts-dir", GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS)));
    RemoveDirectoryA("C:\\facts-dir");
    std::string missing = Opened(Open("C:\\facts-none", GENERIC_READ, ShareAll, OPEN_EXISTING));
    say("file.missing", missing + " " + Opened(Open("C:\\facts-none\\f", GENERIC_WRITE, ShareAll, CREATE_ALWAYS)));
    // A file held without sharing: no other open, no deletion, rename or copy.
    WriteBytes(file, "held");
    HANDLE held = Open(file, GENERIC_READ, 0, OPEN_EXISTING);
    std::string refusals = Opened(Open(file, GENERIC_READ, ShareAll, OPEN_EXISTING));
    refusals += " " + Result(DeleteFileA(file));
    refusals += " " + Result(MoveFileA(file, "C:\\facts-moved.txt"));
    refusals += " " + Result(CopyFileA(file, "C:\\facts-copy.txt", TRUE));
    say("file.held", refusals);
    CloseHandle(held);
    // Reading and writing the wrong way round, and reading at the end: each call, then its count.
    HANDLE reader = Open(file, GENERIC_READ, ShareAll, OPEN_EXISTING);
    HANDLE writer = Open(file, GENERIC_WRITE, ShareAll, OPEN_EXISTING);
    char buffer[16];
    DWORD count = 7;
    auto counted = [&](BOOL ok) { return Result(ok) + " " + std::to_string(count); };
    std::string ways = counted(ReadFile(writer, buffer, sizeof buffer, &count, nullptr));
    ways += " " + counted(WriteFile(reader, "x", 1, &count, nullptr));
    ReadFile(reader, buffer, sizeof buffer, &count, nullptr);
    ways += " " + counted(ReadFile(reader, buffer, sizeof buffer, &count, nullptr));
    say("file.readwrite", ways);
    CloseHandle(writer);
    CloseHandle(reader);
    // Appending while someone reads: the end is found, one writer at a time, the reader sees it.
    WriteBytes(file, "first\r\n");
    reader = Open(file, GENERIC_READ, ShareAll, OPEN_EXISTING);
    writer = Open(file, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    std::string append = std::to_string(GetLastError());
    append += " " + std::to_string(SetFilePointer(writer, 0, nullptr, FILE_END));
    WriteFile(writer, "+", 1, &count, nullptr);
    append += " " + Opened(Open(file, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS));
    ReadFile(reader, buffer, sizeof buffer, &count, nullptr);
    append += " " + Hex(std::string(buffer, count));
    CloseHandle(writer);
    CloseHandle(reader);
    say("file.append", append);
    DeleteFileA(file);
    writer = Open(file, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    std::string created = std::to_string(GetLastError());
    say("file.append.new", created + " " + std::to_string(SetFilePointer(writer, 0, nullptr, FILE_END)));
    CloseHandle(writer);
    WriteBytes(file, "old");
    std::string emptied = Opened(Open(file, GENERIC_WRITE, ShareAll, CREATE_ALWAYS));
    say("file.create", emptied + " " + std::to_string(ReadAll(file).size()));
    DeleteFileA(file);

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string ini = std::string(windows) + "\\system.ini";
    WriteBytes(ini.c_str(), "[boot]\r\nshell=x\r\n\r\n[386Enh]\r\nPagingDrive=c:\r\nother=1\r\n");
    WritePrivateProfileStringA("386Enh", "PagingDrive", " ", "system.ini");
    WritePrivateProfileStringA("386Enh", "MaxPagingFileSize", " ", "system.ini");
    say("profile.blank", FileBytes(ini.c_str()));
    WriteBytes(ini.c_str(), "[boot]\r\nshell=x\r\n");
    WritePrivateProfileStringA("386Enh", "PagingDrive", "d:", "system.ini");
    WritePrivateProfileStringA("386Enh", "MaxPagingFileSize", "307200", "system.ini");
    say("profile.new", FileBytes(ini.c_str()));

    char keys[128];
    DWORD listed = GetPrivateProfileStringA("386Enh", nullptr, "", keys, sizeof keys, "system.ini");
    say("profile.keys", Hex(std::string(keys, listed + 1)));
    // A zero byte in a setting, and a setting's name on a line without "=", which is then written.
    WriteBytes(ini.c_str(), std::string("[386Enh]\r\nPagingDrive=ab\0cd\r\nMaxPagingFileSize\r\n", 48));
    char value[16];
    DWORD read = GetPrivateProfileStringA("386Enh", "PagingDrive", "", value, sizeof value, "system.ini");
    say("profile.zero", std::to_string(read) + " " + Hex(std::string(value, read + 1)));
    GetPrivateProfileStringA("386Enh", "MaxPagingFileSize", "none", value, sizeof value, "system.ini");
    listed = GetPrivateProfileStringA("386Enh", nullptr, "", keys, sizeof keys, "system.ini");
    say("profile.nameonly.read", std::string(value) + " " + Hex(std::string(keys, listed + 1)));
    WritePrivateProfileStringA("386Enh", "MaxPagingFileSize", "1", "system.ini");
    say("profile.nameonly", FileBytes(ini.c_str()));
    // A setting named twice in its section: which line is read, and which written.
    WriteBytes(ini.c_str(), "[386Enh]\r\nPagingDrive=a\r\nPagingDrive=b\r\n");
    GetPrivateProfileStringA("386Enh", "PagingDrive", "", value, sizeof value, "system.ini");
    WritePrivateProfileStringA("386Enh", "PagingDrive", "c", "system.ini");
    say("profile.twice", std::string(value) + " " + FileBytes(ini.c_str()));
    // A section named twice: whether the second is read.
    WriteBytes(ini.c_str(), "[386Enh]\r\nother=1\r\n[boot]\r\n[386Enh]\r\nPagingDrive=a\r\n");
    GetPrivateProfileStringA("386Enh", "PagingDrive", "none", value, sizeof value, "system.ini");
    say("profile.twosections", value);
    // The sections' names, also of one that holds no setting.
    WriteBytes(ini.c_str(), "[boot]\r\nshell=x\r\n[386Enh]\r\n;a remark\r\n");
    listed = GetPrivateProfileStringA(nullptr, nullptr, "", keys, sizeof keys, "system.ini");
    say("profile.sections", Hex(std::string(keys, listed + 1)));

    // Read-only and hidden files, as a person or another program may have made them.
    WriteBytes("C:\\attr-a.txt", "a");
    SetFileAttributesA("C:\\attr-a.txt", FILE_ATTRIBUTE_READONLY);
    say("readonly.attributes", std::to_string(GetFileAttributesA("C:\\attr-a.txt")));
    say("readonly.delete", Result(DeleteFileA("C:\\attr-a.txt")));
    // Each call, then the attributes of what it made.
    auto then = [](BOOL ok, const char *made) { return Result(ok) + " " + std::to_string(GetFileAttributesA(made)); };
    say("readonly.move", then(MoveFileA("C:\\attr-a.txt", "C:\\attr-b.txt"), "C:\\attr-b.txt"));
    say("readonly.copy", then(CopyFileA("C:\\attr-b.txt", "C:\\attr-c.txt", TRUE), "C:\\attr-c.txt"));
    SetFileAttributesA("C:\\attr-b.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    say("hidden.move", then(MoveFileA("C:\\attr-b.txt", "C:\\attr-a.txt"), "C:\\attr-a.txt"));
    for (const char *name : {"C:\\attr-a.txt", "C:\\attr-c.txt"}) {
        SetFileAttributesA(name, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(name);
    }

    char drives[128];
    memset(drives, 0, sizeof drives);
    DWORD length = GetLogicalDriveStringsA(sizeof drives, drives);
    std::string list;
    for (const char *d = drives; *d; d += strlen(d) + 1) list += std::string(list.empty() ? "" : " ") + d;
    say("drives.strings", list);
    say("drives.length", std::to_string(length));
    say("drives.short", std::to_string(GetLogicalDriveStringsA(4, drives)));
    say("drives.typeD", std::to_string(GetDriveTypeA("d:\\")));
    say("drives.typeE", std::to_string(GetDriveTypeA("e:\\")));
    char system[8] = "unset";
    UINT needed = GetSystemDirectoryA(system, sizeof system);
    say("sysdir.short", std::to_string(needed > 8) + " " + system);

    WriteBytes("C:\\copy-a.txt", "a");
    WriteBytes("C:\\copy-b.txt", "b");
    say("copy.existing",
        std::to_string(CopyFileA("C:\\copy-a.txt", "C:\\copy-b.txt", TRUE)) + " " + FileBytes("C:\\copy-b.txt"));
    say("copy.nodir", Result(CopyFileA("C:\\copy-a.txt", "C:\\no-such-dir\\copy.txt", TRUE)));
    say("move.existing", Result(MoveFileA("C:\\copy-a.txt", "C:\\copy-b.txt")));
    DeleteFileA("C:\\copy-a.txt");
    DeleteFileA("C:\\copy-b.txt");
    say("delete.missing", Result(DeleteFileA("C:\\copy-a.txt")));
    CreateDirectoryA("C:\\full-dir", nullptr);
    WriteBytes("C:\\full-dir\\f", "f");
    say("rmdir.full", Result(RemoveDirectoryA("C:\\full-dir")));
    DeleteFileA("C:\\full-dir\\f");
    say("rmdir.empty", Result(RemoveDirectoryA("C:\\full-dir")));

    // Names made whole: the device namespace as it is, a share's with its ".." taken out; the
    // program's own name in a buffer too small for it (the answer is then the buffer's size); a
    // current folder that is not there.
    char full[MAX_PATH];
    std::string made;
    for (const char *path : {"\\\\.\\C:\\config.sys", "\\\\server\\share\\a\\..\\b.log"})
        made +=
            std::string(made.empty() ? "" : " ") + (GetFullPathNameA(path, sizeof full, full, nullptr) ? full : "-");
    say("path.full", made);
    say("module.short", std::to_string(GetModuleFileNameA(nullptr, full, 4)));
    say("cwd.missing", Result(SetCurrentDirectoryA("C:\\facts-none")));

    // 8.3 aliases: a path of short names stays as it is spelled; one that is not there has none.
    std::string aliases;
    for (const char *path : {"C:\\windows\\system32", "C:\\windows\\facts-none.txt"}) {
        DWORD length = GetShortPathNameA(path, full, sizeof full);
        aliases += std::string(aliases.empty() ? "" : " ") + (length ? full : "0 " + std::to_string(GetLastError()));
    }
    say("path.short", aliases);
    // On NT a folder opens with backup semantics, for adding files to it.
    HANDLE windowsFolder =
        CreateFileA("C:\\windows", FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    say("folder.add", Opened(windowsFolder));

    HKEY key;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\FactsParent\\Child", &key);
    RegCloseKey(key);
    char child[16] = "";
    RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\FactsParent", &key);
    LONG first = RegEnumKeyA(key, 0, child, sizeof child);
    LONG second = RegEnumKeyA(key, 1, child + 8, sizeof child - 8);
    say("registry.enum", std::to_string(first) + " " + child + " " + std::to_string(second));
    RegCloseKey(key);
    say("registry.deleteparent", std::to_string(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\FactsParent")));
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\FactsParent\\Child");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\FactsParent");
    say("registry.deletemissing", std::to_string(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\FactsParent")));
}
