#include "procedures/messages.h"

#include "actions/paths.h"
#include "platform/platform.h"
#include "probe/probes.h"

const char *NamingPath(const char *prefix, const char *path) {
    // Room for the longer prefix and any path that fits a path buffer.
    static char text[sizeof CannotRemovePrefix + PathBufferSize];
    // Copied, not formatted: the C runtime's formatting would double the program's size.
    size_t length = lstrlenA(prefix), pathLength = lstrlenA(path);
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
