#ifndef SETUP_APP_SETUP_APP_H
#define SETUP_APP_SETUP_APP_H

#include "app/command_line.h"
#include "framework/afxwin.h"

class CSetupApp : public CWinApp {
public:
    CSetupApp();
    ~CSetupApp() override;
    BOOL InitInstance() override;
    int ExitInstance() override { return m_nExitCode; }

    // The install or uninstall of `command` without any window, or the refusal of a wrong one;
    // returns the exit code.
    int RunUnattended(const SetupCommand &command);

    DECLARE_MESSAGE_MAP()

private:
    int m_nExitCode = ExitDone;
};

extern CSetupApp theApp;

#endif
