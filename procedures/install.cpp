// The install sequence behind "Next >>" and /install: the tool folder, then the steps of the
// detected Windows family, then the installed marker and the success message.
#include "actions/manifest.h"
#include "actions/paths.h"
#include "actions/registry_entries.h"
#include "actions/system_files.h"
#include "platform/platform.h"
#include "probe/probes.h"
#include "procedures/messages.h"
#include "procedures/report.h"
#include "procedures/run_state.h"

namespace {

const char ConfigSys[] = "c:\\config.sys";
const char PlaceStep[] = "Place";
const char WriteKeyStep[] = "Write HKLM key";
const char CheckMediumStep[] = "Check the medium against";

// Why a copy was refused, by how it compared with the manifest.
const char *const RejectionReasons[] = {MediumFileDamagedReason, MediumFileUnlistedReason, ManifestUnreadableReason};

bool FilePresent(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// How a placement ended: the message where it stops the install (none where the install goes
// on), and what became of the copy (CopySourceMissing where none was tried).
struct Placement {
    const char *failure;
    int copy;
};

// Places `source` at `destination`. A copy from the medium is held to the manifest's entry for
// its source; one from elsewhere to the entry of `heldTo`, where one is named. Fails with the
// step's message when the source cannot be read or a path does not fit its buffer; with "Setup
// cannot use", the medium file and why, when the manifest refuses the copy; with "Setup cannot
// write" and the destination when the copy left no whole file there (one that was there
// already counts as placed).
Placement Place(CSetupReport &report, const char *source, const char *destination, const char *message,
                const char *heldTo = nullptr) {
    if (!SetPath(SourcePath, source) || !SetPath(DestinationPath, destination)) {
        report.Step(PlaceStep, destination, source, StepPathTooLong);
        return {message, CopySourceMissing};
    }
    const char *mediumFile = *source == '\\' ? source : heldTo;
    int check;
    int copy = CopyIfPresent(mediumFile, &check);
    // A medium that fails part-way through a file is as good as one without it.
    if (copy == CopySourceMissing || copy == CopySourceUnreadable) {
        report.Step(PlaceStep, DestinationPath, SourcePath, StepSourceMissing);
        return {message, copy};
    }
    // A refused copy's step ends with the reason, the message names the medium file and gives it.
    if (copy == CopyRejected) {
        report.Step(PlaceStep, DestinationPath, SourcePath, RejectionReasons[check]);
        return {NamingPath(CannotUsePrefix, mediumFile, RejectionReasons[check]), copy};
    }
    bool placed = (copy == CopyDone || copy == CopyKept) && FilePresent(DestinationPath);
    report.Step(PlaceStep, DestinationPath, SourcePath, !placed ? StepRefused : copy == CopyDone ? StepDone : StepKept);
    return {placed ? nullptr : NamingPath(CannotWritePrefix, DestinationPath), copy};
}

// Places `source` at the system directory followed by `suffix`.
Placement PlaceInSystemDirectory(CSetupReport &report, const char *source, const char *suffix, const char *message,
                                 const char *heldTo = nullptr) {
    if (!LoadSystemDirectory() || !AppendToPath(SystemDirectory, suffix)) {
        report.Step(PlaceStep, suffix, source, StepPathTooLong);
        return {message, CopySourceMissing};
    }
    return Place(report, source, SystemDirectory, message, heldTo);
}

// Places `source` in the Start menu's Programs folder as `name`. The launcher is a convenience:
// where the shell cannot say which folder that is, or the copy cannot be written, it is left
// out rather than put anywhere else, and the install goes on.
const char *PlaceInProgramsFolder(CSetupReport &report, const char *source, const char *name, const char *message) {
    int folder = LoadProgramsFolder();
    if (folder == ProgramsFolderUnknown) {
        report.Step(PlaceStep, name, source, StepNoProgramsFolder);
        return nullptr;
    }
    if (folder == ProgramsFolderTooLong || !AppendToPath(ProgramsFolder, name)) {
        report.Step(PlaceStep, name, source, StepPathTooLong);
        return message;
    }
    // Only a launcher that cannot be written is left out; a damaged medium stops the install.
    Placement placed = Place(report, source, ProgramsFolder, message);
    return placed.failure == message || placed.copy == CopyRejected ? placed.failure : nullptr;
}

// The interface's own driver; the other interface's is passed over. `copiedDriver` is set to
// the driver's medium file where this run copied it.
const char *PlaceInterfaceDriver(CSetupReport &report, int hddInterface, const char *source,
                                 const char *&copiedDriver) {
    if (HddInterface != hddInterface) {
        report.Step(PlaceStep, "\\iosubsys\\95drv.vxd", source, StepNotThisInterface);
        return nullptr;
    }
    Placement placed = PlaceInSystemDirectory(report, source, "\\iosubsys\\95drv.vxd", SourceFileTreeMissing);
    if (placed.copy == CopyDone) copiedDriver = source;
    return placed.failure;
}

// Writes the entry that makes Windows load the driver; without it the driver never loads, so
// the install stops there.
const char *WriteDriverEntry(CSetupReport &report, const char *key, int (*write)()) {
    bool written = write();
    report.Step(WriteKeyStep, key, nullptr, written ? StepDone : StepRefused);
    return written ? nullptr : RegistryRefused;
}

const char *InstallWindows95Family(CSetupReport &report) {
    const char *failure;
    // The first step: when it fails, nothing else has changed.
    bool added = AddConfigSysLine();
    // ME reads CONFIG.SYS but starts no real-mode program from it; the line stays for a machine
    // that is started otherwise.
    report.Step("Add the driver-loader line to", ConfigSys, nullptr,
                !added                                   ? StepUnchanged
                : WindowsVersionCode == VersionWindowsMe ? StepDoneNotRunByMe
                                                         : StepDone);
    if (!added) return NamingPath(CannotWritePrefix, ConfigSys);
    report.Progress(3);
    if ((failure = Place(report, "\\95-98\\95drv.exe", "c:\\ltdrv\\95drv.exe", SourceFileOneMissing).failure))
        return failure;
    report.Progress(5);
    if ((failure = Place(report, "\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe", SourceFileTwoMissing).failure))
        return failure;
    report.Progress(7);
    if ((failure = PlaceInProgramsFolder(report, "\\RizoZezu.lnk", "\\RizoZezu.lnk", SourceFileTowMissing)))
        return failure;
    report.Progress(8);
    int paging = MovePagingToDriveD();
    report.Step("Move the swap file to drive D: in", "system.ini", nullptr,
                paging == PagingNotMoved         ? StepDriveDUnsuitable
                : paging == PagingSettingTooLong ? StepSettingTooLong
                : paging                         ? StepDone
                                                 : StepUnchanged);
    // A driver that was there already and kept comes from no medium file.
    const char *copiedDriver = nullptr;
    if ((failure = PlaceInterfaceDriver(report, InterfaceIde, "\\95-98\\ide\\95drv.vxd", copiedDriver))) return failure;
    if ((failure = PlaceInterfaceDriver(report, InterfaceScsi, "\\95-98\\scsi\\95drv.vxd", copiedDriver)))
        return failure;
    // The driver just placed goes into the system directory a second time, as SCSIDRV.SYS.
    char placedDriver[PathBufferSize];
    if (!LoadSystemDirectory() || !AppendToPath(SystemDirectory, "\\iosubsys\\95drv.vxd") ||
        !SetPath(placedDriver, SystemDirectory)) {
        report.Step(PlaceStep, "\\SCSIDRV.SYS", "\\iosubsys\\95drv.vxd", StepPathTooLong);
        return SourceFileOneOneMissing;
    }
    // Held to the entry of the driver it is copied from, where this run copied that from the medium.
    if ((failure = PlaceInSystemDirectory(report, placedDriver, "\\SCSIDRV.SYS", SourceFileOneOneMissing, copiedDriver)
                       .failure))
        return failure;
    if ((failure = PlaceInSystemDirectory(report, "\\FCHK1.DAT", "\\SCSIDRV.VXD", SourceFileOneTwoMissing).failure))
        return failure;
    if ((failure = WriteDriverEntry(report, ScvxdEntryKey, WriteScvxdKey))) return failure;
    report.Progress(10);
    return nullptr;
}

// NT 4 and Windows 2000 differ only in the first message and one progress position.
const char *InstallNtFamily(CSetupReport &report, const char *firstMessage, int positionBeforeService) {
    const char *failure;
    bool loaded = LoadSystemDirectory();
    report.Progress(3);
    if (!loaded || !AppendToPath(SystemDirectory, "\\drivers\\ZIV.sys")) {
        report.Step(PlaceStep, "\\drivers\\ZIV.sys", "\\NT\\ZIV.sys", StepPathTooLong);
        return firstMessage;
    }
    if ((failure = Place(report, "\\NT\\ZIV.sys", SystemDirectory, firstMessage).failure)) return failure;
    report.Progress(5);
    if ((failure = Place(report, "\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe", SourceFileTwoMissing).failure))
        return failure;
    report.Progress(7);
    if ((failure = PlaceInProgramsFolder(report, "\\Vave_R.exe", "\\RizoZezu.exe", SourceFileTreeMissing)))
        return failure;
    report.Progress(positionBeforeService);
    if ((failure = WriteDriverEntry(report, ZivServiceKey, WriteZivService))) return failure;
    report.Progress(10);
    return nullptr;
}

}  // namespace

int InstallDriverSet(CSetupReport &report) {
    if (RefuseUserWithoutRights(report)) return SetupForbidden;
    report.Progress(1);
    report.Step("Create folder", ToolFolder, nullptr, FileResult(CreateDirectoryA(ToolFolder, nullptr)));
    report.Progress(2);
    // Said once, before the first file, where the medium has no manifest.
    if (GetFileAttributesA(ManifestPath) == INVALID_FILE_ATTRIBUTES)
        report.Step(CheckMediumStep, ManifestPath, nullptr, StepAbsent);

    const char *failure;
    bool refused = false;
    bool windows95Family = false;
    switch (FamilyOf(WindowsVersionCode)) {
    case FamilyWindows95:
        windows95Family = true;
        failure = InstallWindows95Family(report);
        break;
    case FamilyNt4: failure = InstallNtFamily(report, SourceFileOneMissingNt4, 8); break;
    case FamilyWindows2000: failure = InstallNtFamily(report, SourceFileOneMissing, 9); break;
    default:
        failure = RefusalFor(WindowsVersionCode);
        refused = true;
        break;
    }
    if (failure) {
        report.Failure(failure);
        SetupFailed = -1;
        return refused ? SetupRefused : SetupStepFailed;
    }
    // An earlier failure in this run means the machine is not known to be complete.
    if (SetupFailed != 0) return SetupEndedSilently;
    HKEY marker;
    LONG created = RegCreateKeyA(HKEY_LOCAL_MACHINE, InstalledMarkerKey, &marker);
    report.Step(WriteKeyStep, InstalledMarkerKey, nullptr, created == ERROR_SUCCESS ? StepDone : StepRefused);
    if (created != ERROR_SUCCESS) {
        // Without the marker nothing of the registry part can be trusted to have been written.
        report.Failure(RegistryRefused);
        SetupFailed = -1;
        return SetupStepFailed;
    }
    if (windows95Family)
        report.Step("Record the swap file settings in HKLM key", InstalledMarkerKey, nullptr,
                    RecordPagingSettings(marker) ? StepDone : StepRefused);
    RegCloseKey(marker);
    report.Success(InstallSucceeded);
    return SetupSucceeded;
}
