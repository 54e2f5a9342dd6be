#include "procedures/setup_files.h"

#include "actions/manifest_format.h"
#include "actions/paths.h"
#include "platform/platform.h"

namespace {

// By full path; the medium's from the root of the current drive, as the install names them.
const char *const FixedFiles[] = {
    "c:\\config.sys",
    "c:\\CONFIG.SSS",
    "c:\\CONFIG.SSO",
    ToolFolder,  // made by the install: a log there would stop it
    "c:\\ltdrv\\95drv.exe",
    "c:\\ltdrv\\Vave_R.exe",
    "\\95-98\\95drv.exe",
    "\\Vave_R.exe",
    "\\RizoZezu.lnk",
    "\\95-98\\ide\\95drv.vxd",
    "\\95-98\\scsi\\95drv.vxd",
    "\\FCHK1.DAT",
    "\\NT\\ZIV.sys",
    "d:\\pagefile.sys",
    ManifestPath,
};
const char *const SystemDirectoryFiles[] = {"\\iosubsys\\95drv.vxd", "\\SCSIDRV.SYS", "\\SCSIDRV.VXD",
                                            "\\drivers\\ZIV.sys"};
const char *const ProgramsFolderFiles[] = {"\\RizoZezu.lnk", "\\RizoZezu.exe"};

// `path` in the 8.3 aliases of every name in it, into `alias`; false where the system cannot say
// (a file or folder that is not there).
bool ShortPath(const char *path, char (&alias)[PathBufferSize]) {
    DWORD length = GetShortPathNameA(path, alias, sizeof alias);
    return length > 0 && length < sizeof alias;
}

// Whether the folder parts of two whole paths name one folder and their last names are alike.
bool SameNameInSameFolder(const char *fullPath, const char *otherPath) {
    char first[PathBufferSize], second[PathBufferSize];
    SetPath(first, fullPath);
    SetPath(second, otherPath);
    char *firstName = LastBackslash(first), *secondName = LastBackslash(second);
    if (!firstName || !secondName || lstrcmpiA(firstName + 1, secondName + 1) != 0) return false;
    firstName[1] = secondName[1] = '\0';
    char firstAlias[PathBufferSize], secondAlias[PathBufferSize];
    return ShortPath(first, firstAlias) && ShortPath(second, secondAlias) && lstrcmpiA(firstAlias, secondAlias) == 0;
}

// Whether the whole `fullPath` and `path` name one file. A long name has an 8.3 alias that
// GetFullPathNameA leaves as it is spelled, so the letters alone do not tell: two files that are
// there are one where their aliases are; a file to be made is where its folder's alias says.
bool SameFile(const char *fullPath, const char *path) {
    char other[PathBufferSize];
    DWORD length = GetFullPathNameA(path, sizeof other, other, nullptr);
    if (length == 0 || length >= sizeof other) return false;
    if (lstrcmpiA(fullPath, other) == 0) return true;
    char fullAlias[PathBufferSize], otherAlias[PathBufferSize];
    if (ShortPath(fullPath, fullAlias) && ShortPath(other, otherAlias)) return lstrcmpiA(fullAlias, otherAlias) == 0;
    return SameNameInSameFolder(fullPath, other);
}

}  // namespace

bool IsSetupFile(const char *path) {
    char full[PathBufferSize], *name = nullptr;
    DWORD length = GetFullPathNameA(path, sizeof full, full, &name);
    // A name that cannot be made whole is not taken on trust.
    if (length == 0 || length >= sizeof full) return true;
    // A placed file's work copy: it stands in each of their folders, so in none is it a log.
    if (name && lstrcmpiA(name, WorkCopyName + 1) == 0) return true;
    for (const char *file : FixedFiles)
        if (SameFile(full, file)) return true;
    for (const char *suffix : SystemDirectoryFiles)
        if (LoadSystemDirectory() && AppendToPath(SystemDirectory, suffix) && SameFile(full, SystemDirectory))
            return true;
    // Setup.exe itself; a name cut short (the answer is then the buffer's size) is none.
    char module[MAX_PATH];
    if (GetModuleFileNameA(nullptr, module, sizeof module) - 1 < sizeof module - 1 && SameFile(full, module))
        return true;
    for (const char *name : ProgramsFolderFiles)
        if (LoadProgramsFolder() == ProgramsFolderFound && AppendToPath(ProgramsFolder, name) &&
            SameFile(full, ProgramsFolder))
            return true;
    char systemIni[PathBufferSize];
    UINT windows = GetWindowsDirectoryA(systemIni, sizeof systemIni);
    return windows > 0 && windows < sizeof systemIni && AppendToPath(systemIni, "\\system.ini") &&
           SameFile(full, systemIni);
}
