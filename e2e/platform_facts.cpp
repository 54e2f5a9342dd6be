#include "e2e/platform_facts.h"

#include <string>

#include "e2e/hex.h"
#include "platform/platform.h"

namespace {

std::string ReadAll(const char *path, const char *mode) {
    std::string bytes;
    FILE *f = _fsopen(path, mode, _SH_DENYNO);
    if (!f) return "absent";
    for (int c; (c = getc(f)) != EOF;) bytes += static_cast<char>(c);
    fclose(f);
    return bytes;
}

std::string FileBytes(const char *path) {
    std::string bytes = ReadAll(path, "rb");
    return bytes == "absent" ? bytes : Hex(bytes);
}

void WriteBytes(const char *path, const std::string &bytes) {
    if (FILE *f = _fsopen(path, "wb", _SH_DENYNO)) {
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
}

std::string Result(BOOL ok) { return ok ? "1" : "0 " + std::to_string(GetLastError()); }

}  // namespace

void PlatformFacts(void (*report)(const char *key, const char *value)) {
    auto say = [&](const char *key, const std::string &value) { report(key, value.c_str()); };
    const char *file = "C:\\platform-facts.txt";
    WriteBytes(file, "A\r\nB\nC\rD\032E\r\n");
    say("crt.textread", Hex(ReadAll(file, "r")));
    if (FILE *f = _fsopen(file, "w", _SH_DENYNO)) {
        fputs("x\ny\rz\n", f);
        fclose(f);
    }
    say("crt.textwrite", FileBytes(file));
    WriteBytes(file, "first\r\n");
    say("crt.appendplus.read", Hex(ReadAll(file, "a+")));
    DeleteFileA(file);
    say("crt.appendplus.creates", Hex(ReadAll("C:\\no-such-file.sys", "a+")));
    DeleteFileA("C:\\no-such-file.sys");

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
