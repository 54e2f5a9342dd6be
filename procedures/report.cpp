#include "procedures/report.h"

#include "platform/platform.h"
#include "probe/probes.h"
#include "procedures/messages.h"
#include "procedures/run_state.h"

const char StepDone[] = "done";
const char StepDoneNotRunByMe[] = "done, but Windows ME does not run it at start-up";
const char StepKept[] = "already there and kept";
const char StepAbsent[] = "not there";
const char StepRefused[] = "refused by the system";
const char StepSourceMissing[] = "failed, the source cannot be read";
const char StepPathTooLong[] = "not done, the path is too long";
const char StepNoProgramsFolder[] = "skipped, the system does not say where the Programs folder is";
const char StepNotThisInterface[] = "skipped, not for this interface";
const char StepDriveDUnsuitable[] = "skipped, drive D: is no fixed disk with more than 300 MB free";
const char StepSettingTooLong[] = "skipped, a setting is too long to record";
const char StepFolderNotEmpty[] = "kept, it is not empty";
const char StepUnchanged[] = "not done, the file is left as it was";
const char StepBlankedWithoutRecord[] = "blanked, the marker has no record";
const char StepSwapFileNotMoved[] = "skipped, the swap file was not moved";
const char StepMarkerKept[] = "kept, a file or key stays";

const char *FileResult(int succeeded) {
    if (succeeded) return StepDone;
    switch (GetLastError()) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return StepKept;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return StepAbsent;
    case ERROR_DIR_NOT_EMPTY: return StepFolderNotEmpty;
    default: return StepRefused;
    }
}

bool RefuseUserWithoutRights(CSetupReport &report) {
    // The Windows 95 family has no rights to lack.
    int family = FamilyOf(WindowsVersionCode);
    if ((family != FamilyNt4 && family != FamilyWindows2000) || MayChangeDrivers()) return false;
    report.Failure(AdministratorRightsNeeded);
    SetupFailed = -1;
    return true;
}
