#include "app/setup_dlg.h"

// The uninstall sequence comes with the setup actions; until then "Uninstall" does nothing.
void CSetupDlg::RunUninstall() {}
