// The switches of an unattended run, and the exit codes it ends with: those of Windows
// Installer, which deployment tools already understand.
#ifndef SETUP_APP_COMMAND_LINE_H
#define SETUP_APP_COMMAND_LINE_H

enum { CommandDialog, CommandInstall, CommandUninstall, CommandHelp, CommandBad };

enum {
    ExitDone = 0,  // restart requested
    ExitBadArguments = 87,
    ExitStepFailed = 1603,
    ExitNotInstalled = 1605,      // /uninstall without the installed marker
    ExitForbidden = 1625,         // on NT, a user who may not change drivers
    ExitRefused = 1633,           // a Windows the procedures refuse
    ExitAlreadyInstalled = 1638,  // /install with the installed marker
    ExitRestartNeeded = 3010,     // done, with /norestart
};

struct SetupCommand {
    int action;
    int hddInterface;  // /install's interface word
    bool noRestart;
    bool unattended;      // /install or /uninstall was named, even where the command is bad
    const char *logFile;  // in `text`, or null
    char text[1024];      // the arguments, split in place
    // logFile made whole from the folder the caller stood in; empty where it cannot be.
    char fullLog[260];
};

// Reads what follows the program's name in `commandLine`. Switches start with / or -, in any
// letter case, each at most once; anything else makes the command CommandBad.
void ParseCommandLine(const char *commandLine, SetupCommand &command);

// What the program shows for /? and for arguments it does not take.
extern const char Usage[];

#endif
