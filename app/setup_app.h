#ifndef SETUP_APP_SETUP_APP_H
#define SETUP_APP_SETUP_APP_H

#include "framework/afxwin.h"

class CSetupApp : public CWinApp {
public:
    CSetupApp();
    ~CSetupApp() override;
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CSetupApp theApp;

#endif
