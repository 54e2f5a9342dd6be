#include "app/setup_dlg.h"

// The install sequence comes with the setup actions; until then "Next >>" does nothing.
void CSetupDlg::RunInstall() {}
