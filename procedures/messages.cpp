#include "procedures/messages.h"

#include "actions/paths.h"
#include "platform/platform.h"
#include "probe/probes.h"

const char *NamingPath(const char *prefix, const char *path, const char *reason) {
    // Room for the longer prefix, any path that fits a path buffer, and ": " with the reason.
    enum { ReasonRoom = 64 };
    static char text[sizeof CannotRemovePrefix + PathBufferSize + ReasonRoom];
    // Copied, not formatted: the C runtime's formatting would double the program's size.
    size_t length = lstrlenA(prefix), pathLength = lstrlenA(path);
    if (pathLength > PathBufferSize - 1) pathLength = PathBufferSize - 1;
    memcpy(text, prefix, length);
    memcpy(text + length, path, pathLength);
    char *end = text + length + pathLength;
    *end = '\0';
    if (reason) {
        memcpy(end, ": ", 2);
        lstrcpynA(end + 2, reason, ReasonRoom - 2);
    }
    return text;
}

const char *RefusalFor(int versionCode) {
    switch (versionCode) {
    case VersionNt4Server: return NtServerRefused;
    case VersionWindows2000Server: return Windows2000ServerRefused;
    default: return UnknownVersionRefused;
    }
}
