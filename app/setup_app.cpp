#include "app/setup_app.h"

#include "app/setup_dlg.h"

BEGIN_MESSAGE_MAP(CSetupApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CSetupApp theApp;

CSetupApp::CSetupApp() = default;

CSetupApp::~CSetupApp() = default;

BOOL CSetupApp::InitInstance() {
    SetupCommand command;
    ParseCommandLine(GetCommandLineA(), command);
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
