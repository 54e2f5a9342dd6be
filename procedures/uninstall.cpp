// The uninstall sequence behind "Uninstall": everything the install placed for the detected
// Windows family goes, then the installed marker, the success message and the restart.
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
const char ConfigSys[] = "C:\\CONFIG.SYS";

// The first file or key of the program's that is still there after its deletion; empty while
// there is none.
char Leftover[PathBufferSize];

void NoteLeftover(const char *path) {
    if (path && !Leftover[0]) SetPath(Leftover, path);
}

// Deletes a file and notes it if it is still there. A file that was absent is no failure.
void Remove(const char *path) {
    DeleteFileA(path);
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) NoteLeftover(path);
}

// Removes the system directory's `suffix`; passed over when that path cannot be formed whole.
void RemoveInSystemDirectory(const char *suffix) {
    if (LoadSystemDirectory() && AppendToPath(SystemDirectory, suffix)) Remove(SystemDirectory);
}

// Removes the Programs folder's `name`; passed over when the shell cannot say which folder that
// is, so that nothing of that name elsewhere (the medium's own launcher) is touched.
void RemoveInProgramsFolder(const char *name) {
    if (LoadProgramsFolder() == ProgramsFolderFound && AppendToPath(ProgramsFolder, name))
        Remove(ProgramsFolder);
}

// Gives SYSTEM.INI back the swap-file settings that the marker recorded at the install.
void RestoreSwapFileSettings() {
    HKEY marker;
    bool opened = RegOpenKeyA(HKEY_LOCAL_MACHINE, InstalledMarkerKey, &marker) == ERROR_SUCCESS;
    RestorePagingSettings(opened ? marker : nullptr);
    if (opened) RegCloseKey(marker);
}

// Everything after the loader line of CONFIG.SYS.
void UninstallWindows95Family() {
    Remove("c:\\ltdrv\\95drv.exe");
    Remove("c:\\ltdrv\\Vave_R.exe");
    RemoveInProgramsFolder("\\RizoZezu.lnk");
    // The same driver name whichever interface it was installed for.
    RemoveInSystemDirectory("\\iosubsys\\95drv.vxd");
    RemoveInSystemDirectory("\\SCSIDRV.VXD");
    RemoveInSystemDirectory("\\SCSIDRV.SYS");
    RestoreSwapFileSettings();
    NoteLeftover(DeleteScvxdKey());
}

void UninstallNtFamily() {
    RemoveInSystemDirectory("\\drivers\\ZIV.sys");
    RemoveInProgramsFolder("\\RizoZezu.exe");
    NoteLeftover(DeleteZivService());
    Remove("c:\\ltdrv\\vave_r.exe");
}

}  // namespace

void CSetupDlg::RunUninstall() {
    Leftover[0] = '\0';
    switch (WindowsVersionCode) {
    case VersionWindows95:
    case VersionWindows98:
    case VersionWindowsMe:
        if (!RemoveConfigSysLine()) {
            // Nothing else is touched: the machine stays installed, and a later run can finish.
            ShowError(*this, NamingPath(CannotWritePrefix, ConfigSys));
            SetupFailed = -1;
            return;
        }
        UninstallWindows95Family();
        break;
    case VersionNt4:
    case VersionNt4Workstation:
        UninstallNtFamily();
        // In use while Windows runs: tried, never reported.
        DeleteFileA("d:\\pagefile.sys");
        break;
    case VersionWindows2000:
    case VersionWindows2000Professional: UninstallNtFamily(); break;
    default:
        ShowError(*this, RefusalFor(WindowsVersionCode));
        SetupFailed = -1;
        break;
    }
    // Only an emptied folder goes; anything else put there keeps it.
    RemoveDirectoryA(ToolFolder);
    if (SetupFailed != 0) return;
    // The marker goes only with everything else, so that the next start offers Uninstall again.
    if (!Leftover[0]) NoteLeftover(DeleteOwnKey(InstalledMarkerKey));
    if (Leftover[0]) {
        ShowError(*this, NamingPath(CannotRemovePrefix, Leftover));
        SetupFailed = -1;
        return;
    }
    MessageBox(UninstallSucceeded, SuccessCaption, MB_OK | MB_ICONQUESTION);
    RestartSystem();
}
