// The check of a placed file against the medium's manifest (actions/manifest_format.h): the
// bytes checked are those of the copy about to take its final name.
#ifndef SETUP_ACTIONS_MANIFEST_H
#define SETUP_ACTIONS_MANIFEST_H

#include "actions/manifest_format.h"
#include "platform/platform.h"

// How a copy compares with the manifest's entry for its medium file: below MediumFileIntact it
// may not be used. Unreadable: the medium has a manifest that cannot be opened or read to the
// entry. Unchecked: it has none, as one assembled by hand.
enum { MediumFileDamaged, MediumFileUnlisted, ManifestUnreadable, MediumFileIntact, MediumFileUnchecked };

// The medium file (as "\NT\ZIV.sys") whose entry the next check holds a copy to, and how the
// last check ended.
extern LPCSTR CheckedMediumFile;
extern int MediumFileCheck;

// A copy check for CopyIfPresent: compares the file at `path` with CheckedMediumFile's entry in
// the manifest at the root of the current drive (the first line that names it, in any letter
// case; a line that is no entry names none). TRUE where the copy may be used.
BOOL CheckAgainstManifest(LPCSTR path);

#endif
