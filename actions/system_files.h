// The edits of the Windows 95 family's start-up files: the driver-loader line at the top of
// CONFIG.SYS, and the swap file's place in SYSTEM.INI. CONFIG.SYS is never left without a
// complete copy: it holds either its old or its new contents in full.
#ifndef SETUP_ACTIONS_SYSTEM_FILES_H
#define SETUP_ACTIONS_SYSTEM_FILES_H

#include "platform/platform.h"

// 1 when CONFIG.SYS begins with the loader line; 0 when it was left as it was.
int AddConfigSysLine();
// 1 when CONFIG.SYS holds no loader line afterwards (or there is none); 0 when one is left.
int RemoveConfigSysLine();

// Points the swap file at a large enough drive D:, keeping what the two SYSTEM.INI settings
// held before, so that the marker can record it. PagingNotMoved when D: is no fixed disk with
// room for the swap file; otherwise 1 when both settings were written, 0 when not.
enum { PagingNotMoved = -1 };
int MovePagingToDriveD();
// Blanks both settings: what an uninstall does for an install that left no record.
void ClearPagingSettings();
// Writes into the installed marker whether the swap file was moved, and what it replaced; 1
// when the record is there.
int RecordPagingSettings(HKEY marker);
// Gives SYSTEM.INI back what the marker's record says it held; without a record (an earlier
// release's marker, or none at hand) both settings are blanked as that release did. Answers
// which of these it did.
enum { PagingRestored, PagingBlanked, PagingLeftAlone };
int RestorePagingSettings(HKEY marker);

#endif
