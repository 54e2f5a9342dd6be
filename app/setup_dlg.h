#ifndef SETUP_APP_SETUP_DLG_H
#define SETUP_APP_SETUP_DLG_H

#include "app/resource.h"
#include "framework/afxwin.h"

// The program's one window. Its views are sets of visible controls of one template.
class CSetupDlg : public CDialog {
public:
    explicit CSetupDlg(CWnd *pParent = nullptr);
    ~CSetupDlg() override;

    enum { IDD = IDD_SETUP_DIALOG };

    // The install and uninstall procedures.
    void RunInstall();
    void RunUninstall();

protected:
    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnExit();
    void OnInstall();
    void OnIde();
    void OnScsi();

    CProgressCtrl m_progress;
    HICON m_hIcon;

    DECLARE_MESSAGE_MAP()
};

#endif
