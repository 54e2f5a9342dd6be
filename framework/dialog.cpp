#include "framework/afxwin.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    HINSTANCE instance = AfxGetApp() ? AfxGetApp()->m_hInstance : nullptr;
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(m_nIDHelp), parent, &CDialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        CDialog *dialog = reinterpret_cast<CDialog *>(lParam);
        ::SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
        dialog->m_hWnd = hDlg;
        BOOL focusDefault = dialog->OnInitDialog();
        // A template placed at the origin without a centring style opens centred.
        RECT rect;
        LONG style = static_cast<LONG>(::GetWindowLongPtrA(hDlg, GWL_STYLE));
        if (!(style & DS_CENTER) && ::GetWindowRect(hDlg, &rect)) {
            HWND parent = dialog->m_pParentWnd ? dialog->m_pParentWnd->m_hWnd : nullptr;
            RECT origin = {0, 0, 0, 0};
            if (parent) ::GetWindowRect(parent, &origin);
            if (rect.left == origin.left && rect.top == origin.top) dialog->CenterWindow();
        }
        return focusDefault;
    }
    CDialog *dialog = reinterpret_cast<CDialog *>(::GetWindowLongPtrA(hDlg, DWLP_USER));
    if (!dialog) return FALSE;
    if (message == WM_NCDESTROY) {
        // The object outlives its window; it must stop being the application's main window.
        CWinApp *app = AfxGetApp();
        if (app && app->m_pMainWnd == dialog) app->m_pMainWnd = nullptr;
        dialog->m_hWnd = nullptr;
        ::SetWindowLongPtrA(hDlg, DWLP_USER, 0);
        return FALSE;
    }
    LRESULT result = 0;
    if (!dialog->OnWndMsg(message, wParam, lParam, &result)) return FALSE;
    // A few messages take the procedure's return value itself as their answer.
    if (message == WM_QUERYDRAGICON) return result;
    return TRUE;
}
