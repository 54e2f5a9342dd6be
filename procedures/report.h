// How the install and uninstall sequences tell what they do. The dialog shows it with its
// progress bar and message boxes; an unattended run writes it to its log. Either way the
// sequence is the same one.
#ifndef SETUP_PROCEDURES_REPORT_H
#define SETUP_PROCEDURES_REPORT_H

class CSetupReport {
public:
    virtual void Progress(int position) = 0;
    // One step: what was done, to which path or key (`from`, where there is one, is the
    // medium file), and how it ended.
    virtual void Step(const char *what, const char *target, const char *from, const char *result) = 0;
    // The texts of the dialog's boxes: a failure or refusal, and the success.
    virtual void Failure(const char *text) = 0;
    virtual void Success(const char *text) = 0;

protected:
    ~CSetupReport() = default;
};

// How a sequence ended. After a success the caller restarts the machine, unless told not to.
// SetupForbidden: this user may not change drivers, and nothing was changed.
enum { SetupSucceeded, SetupStepFailed, SetupRefused, SetupEndedSilently, SetupForbidden };

// The sequences themselves, for the Windows family in WindowsVersionCode.
int InstallDriverSet(CSetupReport &report);
int UninstallDriverSet(CSetupReport &report);

// On the NT family, refuses a user who may not change drivers before anything is changed: the
// failure is told and the run marked failed. Whether it refused.
bool RefuseUserWithoutRights(CSetupReport &report);

// How a step ended, as the log words it.
extern const char StepDone[];
extern const char StepDoneNotRunByMe[];
extern const char StepKept[];
extern const char StepAbsent[];
extern const char StepRefused[];
extern const char StepSourceMissing[];
extern const char StepPathTooLong[];
extern const char StepNoProgramsFolder[];
extern const char StepNotThisInterface[];
extern const char StepDriveDUnsuitable[];
extern const char StepSettingTooLong[];
extern const char StepFolderNotEmpty[];
extern const char StepUnchanged[];
extern const char StepBlankedWithoutRecord[];
extern const char StepSwapFileNotMoved[];
extern const char StepMarkerKept[];

// The result of a file or folder call just made (`succeeded`), from the system's last error.
const char *FileResult(int succeeded);

#endif
