#include "actions/system_files.h"

#include "actions/paths.h"
#include "platform/platform.h"

namespace {

const char LoaderLine[] = "install c:\\ltdrv\\95drv.exe\n";
// One letter short of the loader's name, so that variants of the line go too.
const char RemovalPrefix[] = "install c:\\ltdrv\\95drv.ex";
const size_t RemovalPrefixLength = 25;
const char ConfigSysForInstall[] = "c:\\config.sys";
const char ConfigSysForUninstall[] = "C:\\CONFIG.SYS";
const char WorkFile[] = "c:\\CONFIG.SSS";

const char ProfileFile[] = "system.ini";
const char PagingSection[] = "386Enh";
const char PagingDriveKey[] = "PagingDrive";
const char MaxPagingKey[] = "MaxPagingFileSize";
const char DriveD[] = "d:\\";
const ULONGLONG PagingFileKilobytes = 307200;

// Reads the next piece of a text stream: at most 254 characters, ending after a line end if
// one comes first. Returns its length, 0 at the end. Zero bytes are kept like any other.
size_t ReadPiece(FILE *file, char (&piece)[PathBufferSize]) {
    size_t length = 0;
    while (length < PathBufferSize - 2) {
        int c = getc(file);
        if (c == EOF) break;
        piece[length++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    return length;
}

bool WritePiece(FILE *file, const char *piece, size_t length) {
    return fwrite(piece, 1, length, file) == length;
}

// Puts the completed work file in the place of `target`. The old file goes only once the new
// contents are complete; if the exchange itself fails, the new contents stay in the work file.
void ReplaceWithWorkFile(const char *target) {
    if (!DeleteFileA(target) && GetFileAttributesA(target) != INVALID_FILE_ATTRIBUTES) {
        DeleteFileA(WorkFile);
        return;
    }
    if (MoveFileA(WorkFile, target)) return;
    if (CopyFileA(WorkFile, target, FALSE)) DeleteFileA(WorkFile);
}

// Closes both streams; then either puts the work file in place of `target` or, if anything
// failed, drops it and leaves `target` as it was.
void FinishRewrite(FILE *source, FILE *work, bool written, const char *target) {
    bool readWhole = !ferror(source);
    fclose(source);
    bool closed = fclose(work) == 0;
    if (written && readWhole && closed)
        ReplaceWithWorkFile(target);
    else
        DeleteFileA(WorkFile);
}

// Opens CONFIG.SYS at `path` in `mode` and the work file for writing; false, with nothing left
// open, when either cannot be had.
bool OpenRewrite(const char *path, const char *mode, FILE *&config, FILE *&work) {
    config = _fsopen(path, mode, _SH_DENYNO);
    if (!config) return false;
    work = _fsopen(WorkFile, "w", _SH_DENYNO);
    if (work) return true;
    fclose(config);
    return false;
}

void WritePagingSetting(const char *key, const char *value) {
    WritePrivateProfileStringA(PagingSection, key, value, ProfileFile);
}

}  // namespace

void AddConfigSysLine() {
    // "a+" creates a missing CONFIG.SYS, and reads from its start.
    FILE *config, *work;
    if (!OpenRewrite(ConfigSysForInstall, "a+", config, work)) return;
    bool written = fputs(LoaderLine, work) >= 0;
    char piece[PathBufferSize];
    for (size_t length; written && (length = ReadPiece(config, piece)) > 0;)
        written = WritePiece(work, piece, length);
    FinishRewrite(config, work, written, ConfigSysForInstall);
}

void RemoveConfigSysLine() {
    SetPath(SourcePath, ConfigSysForUninstall);
    SetPath(DestinationPath, WorkFile);
    FILE *config, *work;
    if (!OpenRewrite(SourcePath, "r", config, work)) return;
    bool written = true, lineStart = true, dropping = false;
    char piece[PathBufferSize];
    for (size_t length; written && (length = ReadPiece(config, piece)) > 0;) {
        // Only the start of a line decides; the rest of a long line goes with its start.
        if (lineStart)
            dropping = length >= RemovalPrefixLength &&
                       memcmp(piece, RemovalPrefix, RemovalPrefixLength) == 0;
        lineStart = piece[length - 1] == '\n';
        if (!dropping) written = WritePiece(work, piece, length);
    }
    FinishRewrite(config, work, written, SourcePath);
}

void MovePagingToDriveD() {
    // Room for all 26 drive strings and the closing zero.
    char drives[26 * 4 + 1];
    memset(drives, 0, sizeof drives);
    DWORD length = GetLogicalDriveStringsA(sizeof drives, drives);
    if (length == 0 || length >= sizeof drives) return;
    bool found = false;
    for (const char *drive = drives; *drive; drive += strlen(drive) + 1)
        if ((drive[0] == 'd' || drive[0] == 'D') && drive[1] == ':') found = true;
    if (!found || GetDriveTypeA(DriveD) != DRIVE_FIXED) return;
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(DriveD, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return;
    ULONGLONG freeKilobytes = static_cast<ULONGLONG>(bytesPerSector) * sectorsPerCluster * freeClusters >> 10;
    if (freeKilobytes <= PagingFileKilobytes) return;
    WritePagingSetting(PagingDriveKey, "d:");
    WritePagingSetting(MaxPagingKey, "307200");
}

void ClearPagingSettings() {
    WritePagingSetting(PagingDriveKey, " ");
    WritePagingSetting(MaxPagingKey, " ");
}
