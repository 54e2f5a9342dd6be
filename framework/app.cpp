#include "framework/afxwin.h"

namespace {
CWinApp *g_app = nullptr;
}

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName) { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const { return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(nIDResource)); }

CWinApp *AfxGetApp() { return g_app; }

int AfxWinMain(HINSTANCE hInstance) {
    CWinApp *app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = hInstance;
    // Controls of the common-controls library, such as the progress bar, exist only once
    // registered; a dialog that holds one cannot be created before.
    ::InitCommonControls();
    // InitInstance runs the whole program: this framework carries no main-window message loop
    // to run after it, since the programs built on it are dialogs.
    app->InitInstance();
    return app->ExitInstance();
}
