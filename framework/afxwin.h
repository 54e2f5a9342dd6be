// The least of an application framework that the program is written on: one global
// application object whose InitInstance the entry calls, modal dialogs with data exchange and
// a message map, thin window wrappers, a progress control, a paint context and a fixed string.
// Written over Win32 calls only.
#ifndef SETUP_FRAMEWORK_AFXWIN_H
#define SETUP_FRAMEWORK_AFXWIN_H

#include "platform/platform.h"

#define ID_HELP 0xE146

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();
typedef HCURSOR (CCmdTarget::*AFX_PMSG_CURSOR)();

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // 0 ends the table
    UINT nCode;     // notification code for WM_COMMAND
    UINT nID;       // control or command id for WM_COMMAND
    AFX_PMSG pfn;
    AFX_PMSG_CURSOR pfnCursor;  // for handlers that answer with a cursor
};

struct AFX_MSGMAP {
    const AFX_MSGMAP *(*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY *lpEntries;
};

#define DECLARE_MESSAGE_MAP()                     \
protected:                                        \
    static const AFX_MSGMAP *GetThisMessageMap(); \
    const AFX_MSGMAP *GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP *theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP *theClass::GetThisMessageMap() {                                 \
        typedef theClass ThisClass;                                                   \
        typedef baseClass TheBaseClass;                                               \
        static_assert(sizeof(ThisClass) > 0, "the map's class is complete");          \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                          \
    { 0, 0, 0, nullptr, nullptr }                                                  \
    }                                                                              \
    ;                                                                              \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, &entries[0]}; \
    return &map;                                                                   \
    }

#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, (id), static_cast<AFX_PMSG>(memberFxn), nullptr},
#define ON_BN_CLICKED(id, memberFxn) {WM_COMMAND, BN_CLICKED, (id), static_cast<AFX_PMSG>(memberFxn), nullptr},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, static_cast<AFX_PMSG>(&ThisClass::OnPaint), nullptr},
#define ON_WM_QUERYDRAGICON() \
    {WM_QUERYDRAGICON, 0, 0, nullptr, static_cast<AFX_PMSG_CURSOR>(&ThisClass::OnQueryDragIcon)},

// Base of everything that takes messages or commands.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the handler for a command; FALSE when no map entry takes it.
    BOOL OnCmdMsg(UINT nID, UINT nCode);

protected:
    static const AFX_MSGMAP *GetThisMessageMap();
    virtual const AFX_MSGMAP *GetMessageMap() const;
    static const AFX_MSGMAP_ENTRY *FindEntry(const AFX_MSGMAP *map, UINT message, UINT code, UINT id);
};

// A fixed-size string: enough for the program's labels, never allocating.
class CString {
public:
    CString() { m_text[0] = '\0'; }
    CString(LPCSTR text) { *this = text; }  // NOLINT: converts like the framework's
    CString &operator=(LPCSTR text);
    operator LPCSTR() const { return m_text; }
    int GetLength() const { return lstrlenA(m_text); }

private:
    char m_text[128];
};

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd *pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CWnd *m_pDlgWnd;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    HWND m_hWnd = nullptr;

    // A wrapper for a window that the program does not own; valid until the next few calls.
    static CWnd *FromHandle(HWND hWnd);

    CWnd *GetDlgItem(int nID) const;
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    void SetWindowText(LPCSTR text) { ::SetWindowTextA(m_hWnd, text); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK) {
        return ::MessageBoxA(m_hWnd, text, caption, type);
    }
    void CenterWindow();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

protected:
    virtual void DoDataExchange(CDataExchange *) {}
    // Leaves the current message to the system's default processing.
    void Default() { m_bDefault = TRUE; }
    // Runs the message map; TRUE (with *pResult) when a handler took the message.
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult);
    BOOL m_bDefault = FALSE;
};

class CProgressCtrl : public CWnd {
public:
    void SetRange(short nLower, short nUpper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper)); }
    int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, nPos, 0)); }
};

class CPaintDC {
public:
    explicit CPaintDC(CWnd *pWnd) : m_pWnd(pWnd) { m_hDC = ::BeginPaint(pWnd->m_hWnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_pWnd->m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC &) = delete;
    CPaintDC &operator=(const CPaintDC &) = delete;
    BOOL DrawIcon(int x, int y, HICON hIcon) { return ::DrawIcon(m_hDC, x, y, hIcon); }
    HDC GetSafeHdc() const { return m_hDC; }
    HDC m_hDC;

private:
    CWnd *m_pWnd;
    PAINTSTRUCT m_ps;
};

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl);

class CDialog : public CWnd {
public:
    CDialog(UINT nIDTemplate, CWnd *pParentWnd = nullptr) : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd) {}
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

protected:
    virtual void OnOK();
    virtual void OnCancel();
    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
    UINT m_nIDHelp;
    CWnd *m_pParentWnd;
};

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp &) = delete;
    CWinApp &operator=(const CWinApp &) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    HICON LoadIcon(UINT nIDResource) const;
    void OnHelp() {}

    HINSTANCE m_hInstance = nullptr;
    CWnd *m_pMainWnd = nullptr;
    LPCSTR m_pszAppName;
};

CWinApp *AfxGetApp();

// The program entry: runs the application object; returns the process's exit code.
int AfxWinMain(HINSTANCE hInstance);

#endif
