#include "app/setup_dlg.h"

#include "actions/restart.h"
#include "probe/probes.h"
#include "procedures/messages.h"
#include "procedures/report.h"
#include "procedures/run_state.h"

BEGIN_MESSAGE_MAP(CSetupDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_EXIT, &CSetupDlg::OnExit)
ON_BN_CLICKED(IDC_INSTALL, &CSetupDlg::OnInstall)
ON_BN_CLICKED(IDC_IDE, &CSetupDlg::OnIde)
ON_BN_CLICKED(IDC_SCSI, &CSetupDlg::OnScsi)
ON_BN_CLICKED(IDC_NEXT, &CSetupDlg::RunInstall)
ON_BN_CLICKED(IDC_UNINSTALL, &CSetupDlg::RunUninstall)
END_MESSAGE_MAP()

namespace {
const char VersionCaption[] = "Windows Version :";
const char InterfacePrompt[] = "Please select your HDD interface :";

// The dialog's way of telling a sequence: its progress bar, and boxes owned by the dialog.
class CDialogReport : public CSetupReport {
public:
    CDialogReport(CWnd &owner, CProgressCtrl &progress) : m_owner(owner), m_progress(progress) {}
    void Progress(int position) override { m_progress.SetPos(position); }
    void Step(const char *, const char *, const char *, const char *) override {}
    void Failure(const char *text) override { m_owner.MessageBox(text, ErrorCaption, MB_OK | MB_ICONHAND); }
    void Success(const char *text) override { m_owner.MessageBox(text, SuccessCaption, MB_OK | MB_ICONQUESTION); }

private:
    CWnd &m_owner;
    CProgressCtrl &m_progress;
};
}  // namespace

CSetupDlg::CSetupDlg(CWnd *pParent) : CDialog(IDD, pParent) { m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME); }

CSetupDlg::~CSetupDlg() = default;

void CSetupDlg::DoDataExchange(CDataExchange *pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
}

BOOL CSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    GetDlgItem(IDC_IDE)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_SCSI)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_NEXT)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_PROGRESS)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_PROMPT)->ShowWindow(SW_HIDE);

    if (IsInstalled() == 1)
        GetDlgItem(IDC_INSTALL)->ShowWindow(SW_HIDE);
    else
        GetDlgItem(IDC_UNINSTALL)->ShowWindow(SW_HIDE);

    WindowsVersionCode = DetectWindowsVersion();
    CString label = LookupVersionLabel(WindowsVersionCode);
    GetDlgItem(IDC_VERSION_CAPTION)->SetWindowText(VersionCaption);
    GetDlgItem(IDC_VERSION_LABEL)->SetWindowText(label);

    m_progress.SetRange(0, 10);
    m_progress.SetPos(0);
    return TRUE;
}

void CSetupDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    int cxIcon = GetSystemMetrics(SM_CXICON);
    int cyIcon = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CSetupDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CSetupDlg::OnExit() { EndDialog(IDC_EXIT); }

void CSetupDlg::OnInstall() {
    GetDlgItem(IDC_VERSION_CAPTION)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_VERSION_LABEL)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_INSTALL)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_IDE)->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_SCSI)->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_PROMPT)->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_PROMPT)->SetWindowText(InterfacePrompt);
}

void CSetupDlg::OnIde() {
    HddInterface = InterfaceIde;
    GetDlgItem(IDC_NEXT)->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_PROMPT)->ShowWindow(SW_HIDE);
}

void CSetupDlg::OnScsi() {
    HddInterface = InterfaceScsi;
    GetDlgItem(IDC_NEXT)->ShowWindow(SW_SHOW);
    GetDlgItem(IDC_PROMPT)->ShowWindow(SW_HIDE);
}

void CSetupDlg::RunInstall() {
    GetDlgItem(IDC_IDE)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_SCSI)->ShowWindow(SW_HIDE);
    GetDlgItem(IDC_PROGRESS)->ShowWindow(SW_SHOW);
    CDialogReport report(*this, m_progress);
    if (InstallDriverSet(report) == SetupSucceeded) RestartSystem();
}

void CSetupDlg::RunUninstall() {
    CDialogReport report(*this, m_progress);
    if (UninstallDriverSet(report) == SetupSucceeded) RestartSystem();
}
