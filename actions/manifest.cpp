#include "actions/manifest.h"

#include <stdarg.h>

#include "actions/paths.h"
#include "platform/buffered_file.h"

namespace {

// An entry's numbers, as `make medium` writes them.
const char NumbersFormat[] = "%u %08X";

void Format(LPSTR buffer, LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    wvsprintfA(buffer, format, args);
    va_end(args);
}

}  // namespace

int CheckAgainstManifest(LPCSTR path, LPCSTR mediumFile) {
    if (GetFileAttributesA(ManifestPath) == INVALID_FILE_ATTRIBUTES) return MediumFileUnchecked;
    // The copy's numbers as its entry would give them, then the entry itself. Compared as text,
    // the manifest needs no parsing: a line that is not an entry names no file.
    CFileReader file;
    DWORD size = 0, crc = 0xFFFFFFFF;
    file.Open(path);  // one that cannot be opened reads as empty, and is told by IsOpen below
    for (int c; (c = file.Get()) != CFileReader::End; ++size) crc = Crc32Byte(crc, (BYTE)c);
    if (!file.IsOpen() || file.Failed()) return MediumFileDamaged;
    char numbers[24];
    Format(numbers, NumbersFormat, size, ~crc);
    if (!file.Open(ManifestPath)) return ManifestUnreadable;
    char line[PathBufferSize + sizeof numbers];
    for (int c = 0; c != CFileReader::End;) {
        DWORD length = 0;
        // CR and LF both end a line: an empty one names nothing.
        while ((c = file.Get()) != CFileReader::End && c != '\n' && c != '\r')
            if (length < sizeof line - 1) line[length++] = (char)c;
        line[length] = '\0';
        for (char *space = line; *space; ++space)
            if (*space == ' ') {
                *space = '\0';
                // The numbers are the rest of the line: a zero byte in it does not end them.
                if (lstrcmpiA(line, mediumFile) == 0)
                    return lstrcmpiA(space + 1, numbers) == 0 && space + 1 + lstrlenA(numbers) == line + length
                               ? MediumFileIntact
                               : MediumFileDamaged;
                break;
            }
    }
    return file.Failed() ? ManifestUnreadable : MediumFileUnlisted;
}
