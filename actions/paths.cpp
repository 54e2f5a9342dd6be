#include "actions/paths.h"

#include "actions/manifest.h"
#include "platform/buffered_file.h"

const char ToolFolder[] = "c:\\ltdrv";
const char WorkCopyName[] = "\\~RCSETUP.TMP";

char SourcePath[PathBufferSize];
char DestinationPath[PathBufferSize];
char SystemDirectory[PathBufferSize];
char ProgramsFolder[PathBufferSize];

int SetPath(char (&buffer)[PathBufferSize], const char *path) {
    size_t length = lstrlenA(path);
    if (length >= PathBufferSize) {
        buffer[0] = '\0';
        return 0;
    }
    memcpy(buffer, path, length + 1);
    return 1;
}

int AppendToPath(char (&buffer)[PathBufferSize], const char *suffix) {
    size_t length = lstrlenA(buffer);
    size_t extra = lstrlenA(suffix);
    if (length == 0 || length + extra >= PathBufferSize) return 0;
    memcpy(buffer + length, suffix, extra + 1);
    return 1;
}

char *LastBackslash(char *path) {
    char *last = nullptr;
    for (char *c = path; *c; c = CharNextA(c))
        if (*c == '\\') last = c;
    return last;
}

int LoadSystemDirectory() {
    // The answer counts the terminating zero only when the path does not fit.
    UINT length = GetSystemDirectoryA(SystemDirectory, PathBufferSize);
    if (length == 0 || length >= PathBufferSize) {
        SystemDirectory[0] = '\0';
        return 0;
    }
    return 1;
}

int LoadProgramsFolder() {
    // Whatever the buffer held before is no answer now: a failed lookup leaves it empty.
    ProgramsFolder[0] = '\0';
    LPMALLOC allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator))) return ProgramsFolderUnknown;
    int answer = ProgramsFolderUnknown;
    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &items))) {
        char path[MAX_PATH];  // the shell may write this much, more than the buffer holds
        if (SHGetPathFromIDListA(items, path))
            answer = SetPath(ProgramsFolder, path) ? ProgramsFolderFound : ProgramsFolderTooLong;
        allocator->Free(items);
    }
    allocator->Release();
    return answer;
}

void ClearWorkFile(const char *path) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path);
}

int CopyIfPresent(LPCSTR mediumFile, int *check) {
    if (check) *check = MediumFileIntact;
    CFileReader source;
    if (!source.Open(SourcePath)) return CopySourceMissing;
    if (GetFileAttributesA(DestinationPath) != INVALID_FILE_ATTRIBUTES) return CopyKept;
    // The work copy stands beside the destination, so that the rename never crosses a drive.
    char workCopy[PathBufferSize];
    SetPath(workCopy, DestinationPath);
    char *folderEnd = LastBackslash(workCopy);
    if (!folderEnd) return CopyRefused;
    *folderEnd = '\0';
    if (!AppendToPath(workCopy, WorkCopyName)) return CopyRefused;
    ClearWorkFile(workCopy);
    CFileWriter copy;
    if (!copy.Create(workCopy)) return CopyRefused;
    for (int c; (c = source.Get()) != CFileReader::End;) copy.Put(static_cast<char>(c));
    bool written = copy.Commit();
    int result = source.Failed() ? CopySourceUnreadable : written ? CopyDone : CopyRefused;
    // Until the copy takes its name, it is the copy itself that is held to the entry.
    if (result == CopyDone && mediumFile) {
        int compared = CheckAgainstManifest(workCopy, mediumFile);
        if (check) *check = compared;
        if (compared < MediumFileIntact) result = CopyRejected;
    }
    if (result == CopyDone && !MoveFileA(workCopy, DestinationPath)) result = CopyRefused;
    if (result != CopyDone) DeleteFileA(workCopy);
    return result;
}
