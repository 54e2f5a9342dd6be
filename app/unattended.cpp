// The unattended install and uninstall: the same sequences as the dialog's, told to a log
// instead of a person, and no window at all.
#include <stdarg.h>

#include "actions/restart.h"
#include "app/setup_app.h"
#include "platform/buffered_file.h"
#include "probe/probes.h"
#include "procedures/messages.h"
#include "procedures/report.h"
#include "procedures/run_state.h"
#include "procedures/setup_files.h"

namespace {

// Appends to the log file, a line at a time with CR LF ends. A log that cannot be opened or
// written is done without: the run goes on as it would.
class CLogReport : public CSetupReport {
public:
    explicit CLogReport(const char *path) {
        if (path) m_file.Append(path);
    }
    CLogReport(const CLogReport &) = delete;
    CLogReport &operator=(const CLogReport &) = delete;

    // A line of at most 1024 characters, the most the system's formatting gives.
    void Line(const char *format, ...) {
        char line[1024];
        va_list args;
        va_start(args, format);
        wvsprintfA(line, format, args);
        va_end(args);
        Text(line);
        Text("\r\n");
        // Written through at once: a restart may follow.
        m_file.Flush();
    }
    // Text of any length, as it is.
    void Text(const char *text) { m_file.Write(text); }
    void Progress(int) override {}
    void Step(const char *what, const char *target, const char *from, const char *result) override {
        if (from)
            Line("%s %s from %s: %s", what, target, from, result);
        else
            Line("%s %s: %s", what, target, result);
    }
    void Failure(const char *text) override { Line("%s: %s", ErrorCaption, text); }
    void Success(const char *text) override { Line("%s: %s", SuccessCaption, text); }

private:
    CFileWriter m_file;
};

// Whether the made-whole `path` names a file of the log's own: not the device namespace, not a
// device (which answers to its name in every folder, with any extension), no stream of another
// file, and none of the files the run reads, writes, places or deletes.
bool IsFileOfItsOwn(const char *path) {
    if (!*path || (path[0] == '\\' && path[1] == '\\' && (path[2] == '.' || path[2] == '?'))) return false;
    const char *name = path;
    // A character at a time: the second byte of a double-byte character can be a backslash's.
    for (const char *p = path; *p; p = CharNextA(p)) {
        if (*p == ':' && p != path + 1) return false;
        if (*p == '\\') name = p + 1;
    }
    // The name before its extension, blanks left out, a digit 1-9 after three letters as '#'.
    char base[8];
    int length = 0;
    for (const char *p = name; *p && *p != '.' && length < 7; ++p)
        if (*p != ' ') base[length++] = *p;
    if (length == 4 && base[3] >= '1' && base[3] <= '9') base[3] = '#';
    base[length] = '\0';
    for (const char *device = "CON\0PRN\0AUX\0NUL\0COM#\0LPT#\0"; *device; device += lstrlenA(device) + 1)
        if (lstrcmpiA(base, device) == 0) return false;
    return !IsSetupFile(path);
}

// The restart after a success, unless /norestart; the exit code says whether one is still needed.
int Restart(CLogReport &log, bool noRestart) {
    if (noRestart) {
        log.Line("Restart: not requested (/norestart)");
        return ExitRestartNeeded;
    }
    bool requested = RestartSystem();
    log.Line(requested ? "Restart: requested" : "Restart: refused by the system");
    return requested ? ExitDone : ExitRestartNeeded;
}

}  // namespace

int CSetupApp::RunUnattended(const SetupCommand &command) {
    // A log that would be written into a device or a file the run reads or changes is no log:
    // such a command is refused before anything is written anywhere.
    const char *path = command.logFile ? command.fullLog : nullptr;
    bool logRefused = path && !IsFileOfItsOwn(path);
    CLogReport log(logRefused ? nullptr : path);
    SYSTEMTIME now;
    GetLocalTime(&now);
    log.Line("Setup started %04u-%02u-%02u %02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
             now.wSecond);
    log.Text("Command line: ");
    log.Text(GetCommandLineA());
    log.Line("");
    // Nobody is there to read a box: the usage goes to the log.
    if (command.action == CommandBad || logRefused) {
        log.Line("Nothing done: the arguments are not understood");
        log.Text(Usage);
        log.Line("");
        log.Line("Exit code: %d", ExitBadArguments);
        log.Line("");
        return ExitBadArguments;
    }
    WindowsVersionCode = DetectWindowsVersion();
    log.Line("Windows: %d %s", WindowsVersionCode, LookupVersionLabel(WindowsVersionCode));
    // On the NT family the interface word is taken and has no effect: that sequence never asks.
    HddInterface = command.hddInterface;
    bool installed = IsInstalled() == 1;
    log.Line("Installed marker: %s", installed ? "present" : "absent");

    int exitCode;
    if (command.action == CommandInstall && installed) {
        log.Line("Nothing done: the driver set is installed already");
        exitCode = ExitAlreadyInstalled;
    } else if (command.action == CommandUninstall && !installed) {
        log.Line("Nothing done: the driver set is not installed");
        exitCode = ExitNotInstalled;
    } else {
        int outcome = command.action == CommandInstall ? InstallDriverSet(log) : UninstallDriverSet(log);
        if (outcome == SetupSucceeded)
            exitCode = Restart(log, command.noRestart);
        else
            exitCode = outcome == SetupRefused     ? ExitRefused
                       : outcome == SetupForbidden ? ExitForbidden
                                                   : ExitStepFailed;
    }
    log.Line("Exit code: %d", exitCode);
    log.Line("");
    return exitCode;
}
