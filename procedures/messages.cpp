#include "procedures/messages.h"

#include "actions/paths.h"
#include "framework/afxwin.h"
#include "platform/platform.h"
#include "probe/probes.h"

const char ErrorCaption[] = "Error";
const char SuccessCaption[] = "Warning";
const char UnknownVersionRefused[] = "Unknow Windows Version";
const char NtServerRefused[] = "The Version not support Windows NT Server";
const char Windows2000ServerRefused[] = "The Version not support Windows 2000 Server";
const char SourceFileOneMissing[] = "Soure File One not found";
const char SourceFileOneMissingNt4[] = "Soure File one not found";
const char SourceFileTwoMissing[] = "Soure File Two not found";
const char SourceFileTowMissing[] = "Soure File Tow not found";
const char SourceFileTreeMissing[] = "Soure File Tree not found";
const char SourceFileOneOneMissing[] = "Soure File One-1 not found";
const char SourceFileOneTwoMissing[] = "Soure File One-2 not found";
const char RegistryRefused[] = "Setup cannot write the registry";
const char CannotWritePrefix[] = "Setup cannot write ";
const char CannotRemovePrefix[] = "Setup cannot remove ";
const char InstallSucceeded[] = "Install OK !! System will be restart .......";
const char UninstallSucceeded[] = "Uninstall OK !! System will be restart .......";

const char *NamingPath(const char *prefix, const char *path) {
    // Room for the longer prefix and any path that fits a path buffer.
    static char text[sizeof CannotRemovePrefix + PathBufferSize];
    // Copied, not formatted: the C runtime's formatting would double the program's size.
    size_t length = strlen(prefix), pathLength = strlen(path);
    if (pathLength > sizeof text - 1 - length) pathLength = sizeof text - 1 - length;
    memcpy(text, prefix, length);
    memcpy(text + length, path, pathLength);
    text[length + pathLength] = '\0';
    return text;
}

const char *RefusalFor(int versionCode) {
    switch (versionCode) {
    case VersionNt4Server: return NtServerRefused;
    case VersionWindows2000Server: return Windows2000ServerRefused;
    default: return UnknownVersionRefused;
    }
}

void ShowError(CWnd &owner, const char *text) { owner.MessageBox(text, ErrorCaption, MB_OK | MB_ICONHAND); }
