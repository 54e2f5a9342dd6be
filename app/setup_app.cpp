#include "app/setup_app.h"

#include "app/setup_dlg.h"

BEGIN_MESSAGE_MAP(CSetupApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CSetupApp theApp;

namespace {

// The medium is where Setup.exe is: the root of its drive ("E:\\") or share ("\\\\server\\share\\")
// becomes the current folder, so that the medium's files are found there whatever folder the
// caller stood in. Where that cannot be, the folder stays as it was.
void EnterMedium() {
    char path[MAX_PATH];
    if (GetModuleFileNameA(nullptr, path, sizeof path) - 1 >= sizeof path - 1) return;
    // The root ends at the first backslash of "X:\\", the fourth of "\\\\server\\share\\". Read a
    // character at a time: the second byte of a double-byte character can be a backslash's.
    int backslashes = path[0] == '\\' ? 4 : 1;
    for (char *p = path; *p; p = CharNextA(p)) {
        if (*p == '\\' && --backslashes == 0) {
            p[1] = '\0';
            SetCurrentDirectoryA(path);
            return;
        }
    }
}

}  // namespace

CSetupApp::CSetupApp() = default;

CSetupApp::~CSetupApp() = default;

BOOL CSetupApp::InitInstance() {
    SetupCommand command;
    ParseCommandLine(GetCommandLineA(), command);
    // A log named from the caller's folder stays there: it is made whole before the medium
    // becomes the current folder.
    if (command.logFile) {
        DWORD length = GetFullPathNameA(command.logFile, sizeof command.fullLog, command.fullLog, nullptr);
        if (length >= sizeof command.fullLog) command.fullLog[0] = '\0';
    }
    EnterMedium();
    m_nExitCode = ExitDone;
    // A command meant to run unattended never waits for a person, even when it is wrong.
    if (command.unattended) {
        m_nExitCode = RunUnattended(command);
        return FALSE;
    }
    if (command.action != CommandDialog) {
        bool help = command.action == CommandHelp;
        ::MessageBoxA(nullptr, Usage, "Setup", MB_OK | (help ? MB_ICONASTERISK : MB_ICONHAND));
        if (!help) m_nExitCode = ExitBadArguments;
        return FALSE;
    }
    CSetupDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The window is gone, but if it never came up nobody else lets go of the stack object.
    if (m_pMainWnd == &dlg) m_pMainWnd = nullptr;
    // FALSE ends the program: there is nothing to run once the dialog has closed.
    return FALSE;
}
