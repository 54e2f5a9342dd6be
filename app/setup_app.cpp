#include "app/setup_app.h"

#include "app/setup_dlg.h"

BEGIN_MESSAGE_MAP(CSetupApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CSetupApp theApp;

CSetupApp::CSetupApp() = default;

CSetupApp::~CSetupApp() = default;

BOOL CSetupApp::InitInstance() {
    CSetupDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The window is gone, but if it never came up nobody else lets go of the stack object.
    if (m_pMainWnd == &dlg) m_pMainWnd = nullptr;
    // FALSE ends the program: there is nothing to run once the dialog has closed.
    return FALSE;
}
