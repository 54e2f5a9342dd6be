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

// Why a copy was refused, by the check's answer.
const char *const RejectionReasons[] = {MediumFileDamagedReason, MediumFileUnlistedReason, ManifestUnreadableReason};

bool FilePresent(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Places `source` at `destination`. A copy from the medium is held to the manifest's entry for
// its source; one from elsewhere (SCSIDRV.SYS, from the driver just placed) to the entry of the
// medium file placed before it, where this run placed it. Returns the step's message when the source cannot be read or
// a path does not fit its buffer; "Setup cannot use", the medium file and why, when the manifest refuses the copy;
// "Setup cannot write" and the destination when the copy left no whole file there (one that was there already counts as
// placed); otherwise nothing.
const char *Place(CSetupReport &report, const char *source, const char *destination, const char *message) {
    if (!SetPath(SourcePath, source) || !SetPath(DestinationPath, destination)) {
        report.Step(PlaceStep, destination, source, StepPathTooLong);
        return message;
    }
    // A driver that was there already and kept comes from no medium file: its copy is held to none.
    static bool placedFromMedium;
    bool fromMedium = *source == '\\';
    if (fromMedium) CheckedMediumFile = source;
    MediumFileCheck = MediumFileIntact;
    int copy = CopyIfPresent(fromMedium || placedFromMedium ? CheckAgainstManifest : nullptr);
    if (fromMedium) placedFromMedium = copy == CopyDone;
    // A medium that fails part-way through a file is as good as one without it.
    if (copy == CopySourceMissing || copy == CopySourceUnreadable) {
        report.Step(PlaceStep, DestinationPath, SourcePath, StepSourceMissing);
        return message;
    }
    bool placed = (copy == CopyDone || copy == CopyKept) && FilePresent(DestinationPath);
    // A refused copy's step ends with the reason, the message names the medium file and gives it.
    report.Step(PlaceStep, DestinationPath, SourcePath,
                copy == CopyRejected ? RejectionReasons[MediumFileCheck] + 2
                : !placed            ? StepRefused
                : copy == CopyDone   ? StepDone
                                     : StepKept);
    if (copy == CopyRejected) return NamingPath(CannotUsePrefix, CheckedMediumFile, RejectionReasons[MediumFileCheck]);
    return placed ? nullptr : NamingPath(CannotWritePrefix, DestinationPath);
}

// Places `source` at the system directory followed by `suffix`.
const char *PlaceInSystemDirectory(CSetupReport &report, const char *source, const char *suffix, const char *message) {
    if (!LoadSystemDirectory() || !AppendToPath(SystemDirectory, suffix)) {
        report.Step(PlaceStep, suffix, source, StepPathTooLong);
        return message;
    }
    return Place(report, source, SystemDirectory, message);
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
    const char *failure = Place(report, source, ProgramsFolder, message);
    return failure == message || MediumFileCheck < MediumFileIntact ? failure : nullptr;
}

// The interface's own driver; the other interface's is passed over.
const char *PlaceInterfaceDriver(CSetupReport &report, int hddInterface, const char *source) {
    if (HddInterface == hddInterface)
        return PlaceInSystemDirectory(report, source, "\\iosubsys\\95drv.vxd", SourceFileTreeMissing);
    report.Step(PlaceStep, "\\iosubsys\\95drv.vxd", source, StepNotThisInterface);
    return nullptr;
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
    if ((failure = Place(report, "\\95-98\\95drv.exe", "c:\\ltdrv\\95drv.exe", SourceFileOneMissing))) return failure;
    report.Progress(5);
    if ((failure = Place(report, "\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe", SourceFileTwoMissing))) return failure;
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
    if ((failure = PlaceInterfaceDriver(report, InterfaceIde, "\\95-98\\ide\\95drv.vxd"))) return failure;
    if ((failure = PlaceInterfaceDriver(report, InterfaceScsi, "\\95-98\\scsi\\95drv.vxd"))) return failure;
    // The driver just placed goes into the system directory a second time, as SCSIDRV.SYS.
    char placedDriver[PathBufferSize];
    if (!LoadSystemDirectory() || !AppendToPath(SystemDirectory, "\\iosubsys\\95drv.vxd") ||
        !SetPath(placedDriver, SystemDirectory)) {
        report.Step(PlaceStep, "\\SCSIDRV.SYS", "\\iosubsys\\95drv.vxd", StepPathTooLong);
        return SourceFileOneOneMissing;
    }
    // Held to the entry of the driver it is copied from, the medium file placed just before.
    if ((failure = PlaceInSystemDirectory(report, placedDriver, "\\SCSIDRV.SYS", SourceFileOneOneMissing)))
        return failure;
    if ((failure = PlaceInSystemDirectory(report, "\\FCHK1.DAT", "\\SCSIDRV.VXD", SourceFileOneTwoMissing)))
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
    if ((failure = Place(report, "\\NT\\ZIV.sys", SystemDirectory, firstMessage))) return failure;
    report.Progress(5);
    if ((failure = Place(report, "\\Vave_R.exe", "c:\\ltdrv\\Vave_R.exe", SourceFileTwoMissing))) return failure;
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
