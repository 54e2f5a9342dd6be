// The check of a placed file against the medium's manifest (actions/manifest_format.h): the
// bytes checked are those of the copy about to take its final name.
#ifndef SETUP_ACTIONS_MANIFEST_H
#define SETUP_ACTIONS_MANIFEST_H

#include "actions/manifest_format.h"
#include "platform/platform.h"

// How a copy compares with the manifest's entry for its medium file. Unchecked: the medium has
// no manifest, as one assembled by hand. Unreadable: it has one that cannot be opened or read to
// the entry.
enum { MediumFileIntact, MediumFileUnchecked, MediumFileDamaged, MediumFileUnlisted, ManifestUnreadable };

// Compares the file at `path` with the entry of `mediumFile` (as "\NT\ZIV.sys") in the manifest
// at the root of the current drive; the first line that names the file counts, in any letter
// case, and a line that is no entry names none.
int CheckMediumFile(LPCSTR mediumFile, LPCSTR path);

#endif
