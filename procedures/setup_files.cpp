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

bool SameFile(const char *fullPath, const char *path) {
    char other[PathBufferSize];
    DWORD length = GetFullPathNameA(path, sizeof other, other, nullptr);
    return length > 0 && length < sizeof other && lstrcmpiA(fullPath, other) == 0;
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
