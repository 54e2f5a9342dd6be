// What the program asks of the running system before it offers anything: which Windows it is,
// and whether the driver set is installed.
#ifndef SETUP_PROBE_PROBES_H
#define SETUP_PROBE_PROBES_H

// Version codes: a family (0 undetermined, 1-3 Windows 95 platform, 10 NT 4, 20 Windows 2000)
// plus an edition offset on NT (1 workstation, 2 server).
enum {
    VersionUnknown = 0,
    VersionWindows95 = 1,
    VersionWindows98 = 2,
    VersionWindowsMe = 3,
    VersionNt4 = 10,
    VersionNt4Workstation = 11,
    VersionNt4Server = 12,
    VersionWindows2000 = 20,
    VersionWindows2000Professional = 21,
    VersionWindows2000Server = 22,
};

// The families whose own steps the procedures take. A version the program refuses (one it
// cannot determine, or a server) belongs to none.
enum { FamilyNone = 0, FamilyWindows95 = 1, FamilyNt4 = 2, FamilyWindows2000 = 3 };
int FamilyOf(int versionCode);

// The registry key whose presence says the driver set is installed.
extern const char InstalledMarkerKey[];

int DetectWindowsVersion();
int IsInstalled();

// On NT: whether this user may do what the driver set's install and uninstall do there, write the
// driver's service entry and files in the system folder's drivers folder (1), or is refused that
// access (0). Each is asked of the system as access, so that nothing is made to find out.
int MayChangeDrivers();

struct VersionLabel {
    int code;
    const char *label;
};
extern const VersionLabel VersionLabels[];
extern const int VersionLabelCount;

// The label shown for a version code; empty for a code without one.
const char *LookupVersionLabel(int code);

#endif
