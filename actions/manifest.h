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

// Compares the file at `path` with the entry of `mediumFile` (as "\NT\ZIV.sys") in the manifest
// at the root of the current drive: the first line that names it, in any letter case; a line
// that is no entry names none.
int CheckAgainstManifest(LPCSTR path, LPCSTR mediumFile);

#endif
