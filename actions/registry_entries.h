// The registry entries that make the card's drivers known to Windows: the ZIV kernel-driver
// service on NT 4 and 2000, the SCVXD static VxD on the Windows 95 family. A write answers 1
// when its entry was written whole, 0 otherwise; a deletion says whether the key is gone.
#ifndef SETUP_ACTIONS_REGISTRY_ENTRIES_H
#define SETUP_ACTIONS_REGISTRY_ENTRIES_H

#include "platform/platform.h"

// The two entries' keys under HKEY_LOCAL_MACHINE.
extern const char ZivServiceKey[];
extern const char ScvxdEntryKey[];

// A REG_DWORD value; true when it was written.
bool SetDword(HKEY key, const char *name, DWORD value);

int WriteZivService();
int WriteScvxdKey();

// Each deletes its key whole, subkeys first (NT refuses a key that has any). The answer is
// null when the key is gone, otherwise the key's path under HKEY_LOCAL_MACHINE.
const char *DeleteZivService();
const char *DeleteScvxdKey();
// The same for a key of the program's own under HKEY_LOCAL_MACHINE, such as the marker.
const char *DeleteOwnKey(const char *path);

#endif
