// The install sequence behind "Next >>": the tool folder, then the steps of the detected
// Windows family, then the installed marker, the success message and the restart.
#include "actions/paths.h"
#include "actions/registry_entries.h"
#include "actions/restart.h"
#include "actions/system_files.h"
#include "app/run_state.h"
#include "app/setup_dlg.h"
#include "platform/platform.h"
#include "probe/probes.h"
#include "procedures/messages.h"

namespace {

const char ToolFolder[] = "c:\\ltdrv";
const char ConfigSys[] = "c:\\config.sys";

bool FilePresent(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Places `source` at `destination`. Returns the step's message when the source cannot be read
// or a path does not fit its buffer; "Setup cannot write" and the destination when the copy
// left no file there (one that was there already counts as placed); otherwise nothing.
const char *Place(const char *source, const char *destination, const char *message) {
    if (!SetPath(SourcePath, source) || !SetPath(DestinationPath, destination)) return message;
    if (!CopyIfPresent()) return message;
    return FilePresent(DestinationPath) ? nullptr : NamingPath(CannotWritePrefix, DestinationPath);
}

// Places `source` at the system directory followed by `suffix`.
const char *PlaceInSystemDirectory(const char *source, const char *suffix, const char *message) {
    if (!LoadSystemDirectory() || !AppendToPath(SystemDirectory, suffix)) return message;
    return Place(source, SystemDirectory, message);
}

// Places `source` in the Start menu's Programs folder as `name`. The launcher is a convenience:
// where the shell cannot say which folder that is, or the copy cannot be written, it is left
// out rather than put anywhere else, and the install goes on.
const char *PlaceInProgramsFolder(const char *source, const char *name, const char *message) {
    int folder = LoadProgramsFolder();
    if (folder == ProgramsFolderUnknown) return nullptr;
    if (folder == ProgramsFolderTooLong || !AppendToPath(ProgramsFolder, name)) return message;
    const char *failure = Place(source, ProgramsFolder, message);
    return failure == message ? message : nullptr;
}

const char *InstallWindows95Family(CProgressCtrl &progress) {
    const char *failure;
    // The first step: when it fails, nothing else has changed.
    if (!AddConfigSysLine()) return NamingPath(CannotWritePrefix, ConfigSys);
    progress.SetPos(3);
    if ((failure = Place("\\95-98\\95drv.exe", "c:\\ltdrv\\95drv.exe", SourceFileOneMissing))) return failure;
    progress.SetPos(5);
    if ((failure = Place("\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe", SourceFileTwoMissing))) return failure;
    progress.SetPos(7);
    if ((failure = PlaceInProgramsFolder("\\RizoZezu.lnk", "\\RizoZezu.lnk", SourceFileTowMissing)))
        return failure;
    progress.SetPos(8);
    MovePagingToDriveD();
    if (HddInterface == InterfaceIde &&
        (failure = PlaceInSystemDirectory("\\95-98\\ide\\95drv.vxd", "\\iosubsys\\95drv.vxd",
                                          SourceFileTreeMissing)))
        return failure;
    if (HddInterface == InterfaceScsi &&
        (failure = PlaceInSystemDirectory("\\95-98\\scsi\\95drv.vxd", "\\iosubsys\\95drv.vxd",
                                          SourceFileTreeMissing)))
        return failure;
    // The driver just placed goes into the system directory a second time, as SCSIDRV.SYS.
    char placedDriver[PathBufferSize];
    if (!LoadSystemDirectory() || !AppendToPath(SystemDirectory, "\\iosubsys\\95drv.vxd") ||
        !SetPath(placedDriver, SystemDirectory))
        return SourceFileOneOneMissing;
    if ((failure = PlaceInSystemDirectory(placedDriver, "\\SCSIDRV.SYS", SourceFileOneOneMissing)))
        return failure;
    if ((failure = PlaceInSystemDirectory("\\FCHK1.DAT", "\\SCSIDRV.VXD", SourceFileOneTwoMissing)))
        return failure;
    WriteScvxdKey();
    progress.SetPos(10);
    return nullptr;
}

// NT 4 and Windows 2000 differ only in the first message and one progress position.
const char *InstallNtFamily(CProgressCtrl &progress, const char *firstMessage, int positionBeforeService) {
    const char *failure;
    bool loaded = LoadSystemDirectory();
    progress.SetPos(3);
    if (!loaded || !AppendToPath(SystemDirectory, "\\drivers\\ZIV.sys")) return firstMessage;
    if ((failure = Place("\\NT\\ZIV.sys", SystemDirectory, firstMessage))) return failure;
    progress.SetPos(5);
    if ((failure = Place("\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe", SourceFileTwoMissing))) return failure;
    progress.SetPos(7);
    if ((failure = PlaceInProgramsFolder("\\Vave_R.exe", "\\RizoZezu.exe", SourceFileTreeMissing)))
        return failure;
    progress.SetPos(positionBeforeService);
    WriteZivService();
    progress.SetPos(10);
    return nullptr;
}

}  // namespace

void CSetupDlg::RunInstall() {
    GetDlgItem(IDC_IDE)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_SCSI)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_PROGRESS)->ShowWindow(SW_SHOW);
    m_progress.SetPos(1);
    CreateDirectoryA(ToolFolder, nullptr);
    m_progress.SetPos(2);

    const char *failure;
    switch (WindowsVersionCode) {
    case VersionWindows95:
    case VersionWindows98:
    case VersionWindowsMe: failure = InstallWindows95Family(m_progress); break;
    case VersionNt4:
    case VersionNt4Workstation: failure = InstallNtFamily(m_progress, SourceFileOneMissingNt4, 8); break;
    case VersionWindows2000:
    case VersionWindows2000Professional:
        failure = InstallNtFamily(m_progress, SourceFileOneMissing, 9);
        break;
    default: failure = RefusalFor(WindowsVersionCode); break;
    }
    if (failure) {
        ShowError(*this, failure);
        SetupFailed = -1;
    }
    // An earlier failure in this run means the machine is not known to be complete.
    if (SetupFailed != 0) return;
    HKEY marker;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, InstalledMarkerKey, &marker) != ERROR_SUCCESS) {
        // Without the marker nothing of the registry part can be trusted to have been written.
        ShowError(*this, RegistryRefused);
        SetupFailed = -1;
        return;
    }
    if (WindowsVersionCode == VersionWindows95 || WindowsVersionCode == VersionWindows98 ||
        WindowsVersionCode == VersionWindowsMe)
        RecordPagingSettings(marker);
    RegCloseKey(marker);
    MessageBox(InstallSucceeded, SuccessCaption, MB_OK | MB_ICONQUESTION);
    RestartSystem();
}
