// The edits of the Windows 95 family's start-up files: the driver-loader line at the top of
// CONFIG.SYS, and the swap file's place in SYSTEM.INI. None reports anything; each leaves the
// file as it was when it cannot do its work whole.
#ifndef SETUP_ACTIONS_SYSTEM_FILES_H
#define SETUP_ACTIONS_SYSTEM_FILES_H

void AddConfigSysLine();
void RemoveConfigSysLine();
void MovePagingToDriveD();
void ClearPagingSettings();

#endif
