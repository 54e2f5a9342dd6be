// The uninstall sequence behind "Uninstall" and /uninstall: everything the install placed for
// the detected Windows family goes, then the installed marker and the success message.
#include "actions/paths.h"
#include "actions/registry_entries.h"
#include "actions/system_files.h"
#include "platform/platform.h"
#include "probe/probes.h"
#include "procedures/messages.h"
#include "procedures/report.h"
#include "procedures/run_state.h"

namespace {

const char ConfigSys[] = "C:\\CONFIG.SYS";
const char DeleteStep[] = "Delete";
const char DeleteKeyStep[] = "Delete with subkeys HKLM key";

// The first file or key of the program's that is still there after its deletion; empty while
// there is none.
char Leftover[PathBufferSize];

void NoteLeftover(const char *path) {
    if (path && !Leftover[0]) SetPath(Leftover, path);
}

// Deletes a file and notes it if it is still there. A file that was absent is no failure.
void Remove(CSetupReport &report, const char *path) {
    bool deleted = DeleteFileA(path);
    bool left = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    if (left) NoteLeftover(path);
    report.Step(DeleteStep, path, nullptr, left ? StepRefused : deleted ? StepDone : StepAbsent);
}

// Removes the system directory's `suffix`; passed over when that path cannot be formed whole.
void RemoveInSystemDirectory(CSetupReport &report, const char *suffix) {
    if (LoadSystemDirectory() && AppendToPath(SystemDirectory, suffix))
        Remove(report, SystemDirectory);
    else
        report.Step(DeleteStep, suffix, nullptr, StepPathTooLong);
}

// Removes the Programs folder's `name`; passed over when the shell cannot say which folder that
// is, so that nothing of that name elsewhere (the medium's own launcher) is touched.
void RemoveInProgramsFolder(CSetupReport &report, const char *name) {
    int folder = LoadProgramsFolder();
    if (folder == ProgramsFolderFound && AppendToPath(ProgramsFolder, name))
        Remove(report, ProgramsFolder);
    else
        report.Step(DeleteStep, name, nullptr,
                    folder == ProgramsFolderUnknown ? StepNoProgramsFolder : StepPathTooLong);
}

// Takes away the work copy that an install cut off while copying may have left in `folder`;
// said only where there was one.
void RemoveWorkCopy(CSetupReport &report, char (&folder)[PathBufferSize], bool formed) {
    if (formed && AppendToPath(folder, WorkCopyName) && GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES)
        Remove(report, folder);
}

// The work copies of the folders the install copies into on every Windows: the tool folder
// and the Programs folder; and of `folder` in the system directory.
void RemoveWorkCopies(CSetupReport &report) {
    RemoveWorkCopy(report, DestinationPath, SetPath(DestinationPath, ToolFolder));
    RemoveWorkCopy(report, ProgramsFolder, LoadProgramsFolder() == ProgramsFolderFound);
}
void RemoveWorkCopyInSystemDirectory(CSetupReport &report, const char *folder) {
    RemoveWorkCopy(report, SystemDirectory, LoadSystemDirectory() && AppendToPath(SystemDirectory, folder));
}

// Deletes one of the program's own keys with its subkeys, and notes it if it stays.
void RemoveKey(CSetupReport &report, const char *path, const char *left) {
    NoteLeftover(left);
    report.Step(DeleteKeyStep, path, nullptr, left ? StepRefused : StepDone);
}

// Gives SYSTEM.INI back the swap-file settings that the marker recorded at the install.
void RestoreSwapFileSettings(CSetupReport &report) {
    HKEY marker;
    bool opened = RegOpenKeyA(HKEY_LOCAL_MACHINE, InstalledMarkerKey, &marker) == ERROR_SUCCESS;
    int restored = RestorePagingSettings(opened ? marker : nullptr);
    if (opened) RegCloseKey(marker);
    report.Step("Restore the swap file settings in", "system.ini", nullptr,
                restored == PagingRestored  ? StepDone
                : restored == PagingBlanked ? StepBlankedWithoutRecord
                                            : StepSwapFileNotMoved);
}

// The swap file's record stays where it was made only when the install could not hand it to
// the marker; it is the program's, so it goes.
void RemoveEarlyRecord(CSetupReport &report) {
    HKEY record;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, SwapFileRecordKey, &record) != ERROR_SUCCESS) return;
    RegCloseKey(record);
    RemoveKey(report, SwapFileRecordKey, DeleteOwnKey(SwapFileRecordKey));
}

bool RemoveLoaderLines(CSetupReport &report) {
    bool removed = RemoveConfigSysLine();
    report.Step("Remove the driver-loader lines from", ConfigSys, nullptr, removed ? StepDone : StepUnchanged);
    return removed;
}

// Everything after the loader line of CONFIG.SYS.
void UninstallWindows95Family(CSetupReport &report) {
    Remove(report, "c:\\ltdrv\\95drv.exe");
    Remove(report, "c:\\ltdrv\\Vave_R.exe");
    RemoveInProgramsFolder(report, "\\RizoZezu.lnk");
    // The same driver name whichever interface it was installed for.
    RemoveInSystemDirectory(report, "\\iosubsys\\95drv.vxd");
    RemoveInSystemDirectory(report, "\\SCSIDRV.VXD");
    RemoveInSystemDirectory(report, "\\SCSIDRV.SYS");
    RemoveWorkCopies(report);
    RemoveWorkCopyInSystemDirectory(report, "");
    RemoveWorkCopyInSystemDirectory(report, "\\iosubsys");
    RestoreSwapFileSettings(report);
    RemoveKey(report, ScvxdEntryKey, DeleteScvxdKey());
}

void UninstallNtFamily(CSetupReport &report) {
    RemoveInSystemDirectory(report, "\\drivers\\ZIV.sys");
    RemoveInProgramsFolder(report, "\\RizoZezu.exe");
    RemoveKey(report, ZivServiceKey, DeleteZivService());
    Remove(report, "c:\\ltdrv\\vave_r.exe");
    RemoveWorkCopies(report);
    RemoveWorkCopyInSystemDirectory(report, "\\drivers");
}

}  // namespace

int UninstallDriverSet(CSetupReport &report) {
    Leftover[0] = '\0';
    if (RefuseUserWithoutRights(report)) return SetupForbidden;
    bool refused = false;
    switch (FamilyOf(WindowsVersionCode)) {
    case FamilyWindows95:
        if (!RemoveLoaderLines(report)) {
            // Nothing else is touched: the machine stays installed, and a later run can finish.
            report.Failure(NamingPath(CannotWritePrefix, ConfigSys));
            SetupFailed = -1;
            return SetupStepFailed;
        }
        UninstallWindows95Family(report);
        break;
    case FamilyNt4:
        UninstallNtFamily(report);
        // In use while Windows runs: tried and logged, never held against the uninstall.
        report.Step(DeleteStep, "d:\\pagefile.sys", nullptr, FileResult(DeleteFileA("d:\\pagefile.sys")));
        break;
    case FamilyWindows2000: UninstallNtFamily(report); break;
    default:
        report.Failure(RefusalFor(WindowsVersionCode));
        SetupFailed = -1;
        refused = true;
        break;
    }
    // Only an emptied folder goes; anything else put there keeps it.
    report.Step("Remove folder", ToolFolder, nullptr, FileResult(RemoveDirectoryA(ToolFolder)));
    if (SetupFailed != 0) return refused ? SetupRefused : SetupEndedSilently;
    // The marker goes only with everything else, so that the next start offers Uninstall again.
    if (Leftover[0])
        report.Step(DeleteKeyStep, InstalledMarkerKey, nullptr, StepMarkerKept);
    else
        RemoveKey(report, InstalledMarkerKey, DeleteOwnKey(InstalledMarkerKey));
    // The swap file's record goes only with the marker: an uninstall that stopped still needs it.
    if (!Leftover[0]) RemoveEarlyRecord(report);
    if (Leftover[0]) {
        report.Failure(NamingPath(CannotRemovePrefix, Leftover));
        SetupFailed = -1;
        return SetupStepFailed;
    }
    report.Success(UninstallSucceeded);
    return SetupSucceeded;
}
