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

// Deletes the system directory's `suffix`; passed over when that path cannot be formed whole.
void DeleteInSystemDirectory(const char *suffix) {
    if (LoadSystemDirectory() && AppendToPath(SystemDirectory, suffix)) DeleteFileA(SystemDirectory);
}

// Deletes the Programs folder's `name`; passed over when the shell cannot say which folder that
// is, so that nothing of that name elsewhere (the medium's own launcher) is touched.
void DeleteInProgramsFolder(const char *name) {
    if (LoadProgramsFolder() == ProgramsFolderFound && AppendToPath(ProgramsFolder, name))
        DeleteFileA(ProgramsFolder);
}

void UninstallWindows95Family() {
    RemoveConfigSysLine();
    DeleteFileA("c:\\ltdrv\\95drv.exe");
    DeleteFileA("c:\\ltdrv\\Vave_R.exe");
    DeleteInProgramsFolder("\\RizoZezu.lnk");
    // The same driver name whichever interface it was installed for.
    DeleteInSystemDirectory("\\iosubsys\\95drv.vxd");
    DeleteInSystemDirectory("\\SCSIDRV.VXD");
    DeleteInSystemDirectory("\\SCSIDRV.SYS");
    ClearPagingSettings();
    DeleteScvxdKey();
}

void UninstallNtFamily() {
    DeleteInSystemDirectory("\\drivers\\ZIV.sys");
    DeleteInProgramsFolder("\\RizoZezu.exe");
    DeleteZivService();
    DeleteFileA("c:\\ltdrv\\vave_r.exe");
}

}  // namespace

void CSetupDlg::RunUninstall() {
    switch (WindowsVersionCode) {
    case VersionWindows95:
    case VersionWindows98:
    case VersionWindowsMe: UninstallWindows95Family(); break;
    case VersionNt4:
    case VersionNt4Workstation:
        UninstallNtFamily();
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
    LONG deleted = RegDeleteKeyA(HKEY_LOCAL_MACHINE, InstalledMarkerKey);
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) {
        // The marker stays, so the machine would still count as installed: no success to tell.
        ShowError(*this, RegistryRefused);
        SetupFailed = -1;
        return;
    }
    MessageBox(UninstallSucceeded, SuccessCaption, MB_OK | MB_ICONQUESTION);
    RestartSystem();
}
