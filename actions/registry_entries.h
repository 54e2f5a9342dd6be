// The registry entries that make the card's drivers known to Windows: the ZIV kernel-driver
// service on NT 4 and 2000, the SCVXD static VxD on the Windows 95 family. No result of any
// registry call is examined: the entries are written or removed as far as the system allows.
#ifndef SETUP_ACTIONS_REGISTRY_ENTRIES_H
#define SETUP_ACTIONS_REGISTRY_ENTRIES_H

void WriteZivService();
void DeleteZivService();
void WriteScvxdKey();
void DeleteScvxdKey();

#endif
