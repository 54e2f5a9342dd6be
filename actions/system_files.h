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

// Points the swap file at a large enough drive D:. Before SYSTEM.INI is first changed, what its
// two settings held is recorded in SwapFileRecordKey; a record that an earlier attempt made is
// kept. PagingNotMoved when D: is no fixed disk with room for the swap file, PagingSettingTooLong
// when a setting is longer than a record holds (255 characters); otherwise 1 when both settings
// were written, 0 when not (never without a record).
enum { PagingNotMoved = -1, PagingSettingTooLong = -2 };
int MovePagingToDriveD();
// Where that record waits, under HKEY_LOCAL_MACHINE, until the installed marker takes it over.
extern const char SwapFileRecordKey[];
// Blanks both settings: what an uninstall does for an install that left no record.
void ClearPagingSettings();
// Writes into the installed marker whether the swap file was moved, and what it replaced, from
// the early record, which then goes; 1 when the marker holds the record.
int RecordPagingSettings(HKEY marker);
// Gives SYSTEM.INI back what the record says it held: the marker's, or the early one where it
// never reached the marker. Without a record (an earlier release's marker, or none at hand)
// both settings are blanked as that release did. Answers which of these it did.
enum { PagingRestored, PagingBlanked, PagingLeftAlone };
int RestorePagingSettings(HKEY marker);

#endif
