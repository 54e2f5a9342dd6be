// Resource and control ids of Setup.exe. The dialog template and the program's code both use
// these names, so every id is written once.
#ifndef SETUP_APP_RESOURCE_H
#define SETUP_APP_RESOURCE_H

// Resources (100-199)
#define IDD_SETUP_DIALOG 102
#define IDR_MAINFRAME 128

// Dialog controls (1000-1099)
#define IDC_EXIT 1000
#define IDC_INSTALL 1001
#define IDC_UNINSTALL 1002
#define IDC_IDE 1004
#define IDC_SCSI 1005
#define IDC_PROGRESS 1006
#define IDC_NEXT 1008
#define IDC_VERSION_CAPTION 1010
#define IDC_VERSION_LABEL 1011
#define IDC_PROMPT 1012

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#endif
