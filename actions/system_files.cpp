#include "actions/system_files.h"

#include "actions/paths.h"
#include "actions/registry_entries.h"
#include "platform/buffered_file.h"

const char SwapFileRecordKey[] = "system\\Restore Card Swap File";

namespace {

const char LoaderLine[] = "install c:\\ltdrv\\95drv.exe\n";
// One letter short of the loader's name, so that variants of the line go too.
const char RemovalPrefix[] = "install c:\\ltdrv\\95drv.ex";
const size_t RemovalPrefixLength = 25;
const char ConfigSysForInstall[] = "c:\\config.sys";
const char ConfigSysForUninstall[] = "C:\\CONFIG.SYS";
const char WorkFile[] = "c:\\CONFIG.SSS";
const char SetAsideFile[] = "c:\\CONFIG.SSO";
const int EndMark = 0x1A;
const DWORD KeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

const char ProfileFile[] = "system.ini";
const char PagingSection[] = "386Enh";
const char *const PagingKeys[2] = {"PagingDrive", "MaxPagingFileSize"};
const char *const PagingValues[2] = {"d:", "307200"};
const char DriveD[] = "d:\\";
const ULONGLONG PagingFileKilobytes = 307200;
// The record of the swap file: whether it was moved, and under the settings' own names what
// they held before (a name without a value: the setting was absent).
const char SwapFileMovedValue[] = "SwapFileMoved";
// And whether the install made the [386Enh] section, which then goes again with the settings.
const char PagingSectionMadeValue[] = "PagingSectionMade";
// The longest setting a record takes, in characters.
const DWORD LongestSetting = 255;

// CONFIG.SYS read as DOS and the C runtime's text mode read it: CR LF is one line end, and the
// text ends at the first 0x1A. The file itself is read byte for byte, so that what follows that
// mark can still be carried over.
struct TextReader {
    CFileReader file;
    bool atEndMark;
};

int NextChar(TextReader &reader) {
    if (reader.atEndMark) return CFileReader::End;
    int c = reader.file.Get();
    if (c == EndMark) {
        reader.atEndMark = true;
        return CFileReader::End;
    }
    if (c == '\r' && reader.file.Peek() == '\n') return reader.file.Get();
    return c;
}

// Reads the next piece: at most 254 characters, ending after a line end if one comes first.
// Returns its length, 0 at the end. Zero bytes are kept like any other.
size_t ReadPiece(TextReader &reader, char (&piece)[PathBufferSize]) {
    size_t length = 0;
    while (length < PathBufferSize - 2) {
        int c = NextChar(reader);
        if (c == CFileReader::End) break;
        piece[length++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    return length;
}

// Writes a piece with CR LF line ends; nowhere without an open file. Write errors show when
// the file is closed.
void WritePiece(CFileWriter &file, const char *piece, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (piece[i] == '\n') file.Put('\r');
        file.Put(piece[i]);
    }
}

// Copies CONFIG.SYS into the work file, if there is one, leaving out every loader line when
// `removing`. Returns whether a loader line was read. DOS reads nothing after an end mark, so from there
// the bytes go over as they are, unexamined; only a lone mark that ends the file is dropped.
bool CopyLines(TextReader &config, CFileWriter &work, bool removing) {
    bool loaderSeen = false, lineStart = true, dropping = false;
    char piece[PathBufferSize];
    for (size_t length; (length = ReadPiece(config, piece)) > 0;) {
        // Only the start of a line decides; the rest of a long line goes with its start.
        if (lineStart)
            dropping = length >= RemovalPrefixLength && memcmp(piece, RemovalPrefix, RemovalPrefixLength) == 0;
        lineStart = piece[length - 1] == '\n';
        loaderSeen = loaderSeen || dropping;
        if (!(removing && dropping)) WritePiece(work, piece, length);
    }
    int c = work.IsOpen() && config.atEndMark ? config.file.Get() : CFileReader::End;
    if (c != CFileReader::End) work.Put(EndMark);
    for (; c != CFileReader::End; c = config.file.Get()) work.Put(static_cast<char>(c));
    return loaderSeen;
}

// Puts the complete work file in the place of `path`, which keeps its hidden, system and
// archive attributes. The old file goes aside first and comes back if the work file cannot
// take its name, so CONFIG.SYS is never without a complete copy. Plain renames only: the
// Windows 95 family has no MoveFileEx.
bool ReplaceWithWorkFile(const char *path, bool exists, DWORD attributes) {
    if (!exists) return MoveFileA(WorkFile, path);
    DWORD kept = attributes & KeptAttributes;
    SetFileAttributesA(WorkFile, kept ? kept : FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(SetAsideFile);  // left by a run that was cut off after its rewrite
    if (!MoveFileA(path, SetAsideFile)) return false;
    if (!MoveFileA(WorkFile, path)) {
        MoveFileA(SetAsideFile, path);
        return false;
    }
    DeleteFileA(SetAsideFile);
    return true;
}

// A run cut off between its two renames leaves the set-aside copy as the only CONFIG.SYS. It
// takes its old name back, attributes and all, before anything else is done; false when it
// cannot, and then nothing may be written in its place.
bool BringBackSetAside(const char *path) {
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
    DWORD setAside = GetFileAttributesA(SetAsideFile);
    if (setAside == INVALID_FILE_ATTRIBUTES || (setAside & FILE_ATTRIBUTE_DIRECTORY)) return true;
    return MoveFileA(SetAsideFile, path);
}

// Writes CONFIG.SYS at `path` anew through the work file: with the loader line on top when
// adding, without any loader line when removing. True when the new contents are in place;
// otherwise CONFIG.SYS is as it was and no work file is left. `loaderSeen` tells whether
// CONFIG.SYS holds a loader line; it stays as the caller set it when the file cannot be read to
// its end and showed none before it failed.
bool RewriteConfigSys(const char *path, bool adding, bool &loaderSeen) {
    if (!BringBackSetAside(path)) return false;
    DWORD attributes = GetFileAttributesA(path);
    bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    TextReader config = {{}, false};
    if (exists && !config.file.Open(path)) return false;
    // Without a work file CONFIG.SYS is still read, to learn whether it holds the line.
    CFileWriter work;
    ClearWorkFile(WorkFile);
    work.Create(WorkFile);
    if (adding) WritePiece(work, LoaderLine, sizeof LoaderLine - 1);
    bool readWhole = true, seen = false;
    if (config.file.IsOpen()) {
        seen = CopyLines(config, work, !adding);
        readWhole = !config.file.Failed();
        config.file.Close();
    }
    // The part that could not be read may hold the line.
    if (readWhole || seen) loaderSeen = seen;
    if (!work.IsOpen()) return false;
    // On the disk before it takes CONFIG.SYS's place, or a power cut could leave it empty.
    bool written = work.Commit() && readWhole;
    // A read-only CONFIG.SYS was protected on purpose: it is not rewritten.
    bool protectedFile = exists && (attributes & FILE_ATTRIBUTE_READONLY);
    if (written && !protectedFile && ReplaceWithWorkFile(path, exists, attributes)) return true;
    DeleteFileA(WorkFile);
    return false;
}

bool WritePagingSetting(const char *key, const char *value) {
    return WritePrivateProfileStringA(PagingSection, key, value, ProfileFile);
}

// The Windows 95 family keeps profile writes in a cache until asked to write them out; the
// call answers 0 by design.
void FlushProfile() { WritePrivateProfileStringA(nullptr, nullptr, nullptr, ProfileFile); }

bool SetString(HKEY key, const char *name, const char *value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(value),
                          static_cast<DWORD>(lstrlenA(value) + 1)) == ERROR_SUCCESS;
}

// A number of a record; 0 where it holds none.
DWORD RecordedNumber(HKEY key, const char *name) {
    DWORD number = 0, type = REG_NONE, size = sizeof number;
    if (!key || RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&number), &size) != ERROR_SUCCESS)
        return 0;
    return number;
}

// Whether `key` says that the swap file was moved; such a record holds the machine's own
// settings.
bool HoldsMovedRecord(HKEY key) { return RecordedNumber(key, SwapFileMovedValue) != 0; }

// Whether SYSTEM.INI has a [386Enh] section, with settings or without (a remark alone, say). A
// list of sections too long to read through counts as having it.
bool HasPagingSection() {
    char names[1024];
    DWORD length = GetPrivateProfileStringA(nullptr, nullptr, "", names, sizeof names, ProfileFile);
    if (length >= sizeof names - 2) return true;
    for (const char *name = names; *name; name += lstrlenA(name) + 1)
        if (lstrcmpiA(name, PagingSection) == 0) return true;
    return false;
}

// The record made before the settings were first changed, if there is one to be opened.
HKEY OpenEarlyRecord() {
    HKEY key;
    return RegOpenKeyA(HKEY_LOCAL_MACHINE, SwapFileRecordKey, &key) == ERROR_SUCCESS ? key : nullptr;
}

// Only an absent setting answers with whichever default it is given.
bool IsSettingPresent(const char *name) {
    char value[2];
    return !(GetPrivateProfileStringA(PagingSection, name, "1", value, sizeof value, ProfileFile) && value[0] == '1' &&
             GetPrivateProfileStringA(PagingSection, name, "0", value, sizeof value, ProfileFile) && value[0] == '0');
}

// Writes into `key` what the two settings hold now: each under its own name, or no value where
// the setting is absent; the moved flag last, as it is what makes the record count. A setting
// longer than LongestSetting is not recorded cut short: PagingSettingTooLong.
int RecordCurrentSettings(HKEY key) {
    bool written = true;
    for (const char *name : PagingKeys) {
        // One byte more than the longest setting and its zero: a value that fills it was cut.
        char value[LongestSetting + 2];
        if (GetPrivateProfileStringA(PagingSection, name, "0", value, sizeof value, ProfileFile) > LongestSetting)
            return PagingSettingTooLong;
        if (value[0] == '0' && !value[1] && !IsSettingPresent(name))
            RegDeleteValueA(key, name);
        else
            written &= SetString(key, name, value);
    }
    written &= SetDword(key, PagingSectionMadeValue, !HasPagingSection());
    return written && SetDword(key, SwapFileMovedValue, 1);
}

// Reads the setting `name` of a record into `value`; false when the record holds none.
bool ReadRecordedSetting(HKEY record, const char *name, char (&value)[LongestSetting + 2]) {
    // Room for the longest setting with its zero; stored strings need not carry one.
    DWORD type = REG_NONE, length = sizeof value - 1;
    bool present =
        RegQueryValueExA(record, name, nullptr, &type, reinterpret_cast<BYTE *>(value), &length) == ERROR_SUCCESS &&
        type == REG_SZ;
    value[present ? length : 0] = '\0';
    return present;
}

// Copies a record of a moved swap file from `from` into `to`.
bool CopyRecord(HKEY from, HKEY to) {
    bool written = true;
    for (const char *name : PagingKeys) {
        char value[LongestSetting + 2];
        if (ReadRecordedSetting(from, name, value))
            written &= SetString(to, name, value);
        else
            RegDeleteValueA(to, name);
    }
    written &= SetDword(to, PagingSectionMadeValue, RecordedNumber(from, PagingSectionMadeValue));
    return written && SetDword(to, SwapFileMovedValue, 1);
}

int RestoreFromRecord(HKEY marker) {
    DWORD moved = 0, type = REG_NONE, size = sizeof moved;
    if (!marker || RegQueryValueExA(marker, SwapFileMovedValue, nullptr, &type, reinterpret_cast<BYTE *>(&moved),
                                    &size) != ERROR_SUCCESS) {
        ClearPagingSettings();
        return PagingBlanked;
    }
    if (!moved) return PagingLeftAlone;
    bool anyPresent = false;
    for (const char *key : PagingKeys) {
        char value[LongestSetting + 2];
        bool present = ReadRecordedSetting(marker, key, value);
        // A setting that was absent is taken out again, each line that names it: the one read
        // first may have stood before another. A file edited by hand names it a few times at
        // most; the bound ends it where a delete leaves the setting readable all the same.
        if (present)
            WritePagingSetting(key, value);
        else
            for (int lines = 0; lines < 16 && WritePagingSetting(key, nullptr) && IsSettingPresent(key); ++lines) {
            }
        anyPresent = anyPresent || present;
    }
    // A section that the install had to create goes again once it is empty; one that was there,
    // if only with remarks, stays.
    char names[4];
    if (!anyPresent && RecordedNumber(marker, PagingSectionMadeValue) &&
        GetPrivateProfileStringA(PagingSection, nullptr, "", names, sizeof names, ProfileFile) == 0)
        WritePagingSetting(nullptr, nullptr);
    FlushProfile();
    return PagingRestored;
}

}  // namespace

int AddConfigSysLine() {
    bool loaderSeen = false;
    return RewriteConfigSys(ConfigSysForInstall, true, loaderSeen);
}

int RemoveConfigSysLine() {
    SetPath(SourcePath, ConfigSysForUninstall);
    SetPath(DestinationPath, WorkFile);
    if (!BringBackSetAside(SourcePath)) return 0;
    DWORD attributes = GetFileAttributesA(SourcePath);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 1;
    // A file that cannot be read may still hold the line.
    bool loaderSeen = true;
    return RewriteConfigSys(SourcePath, false, loaderSeen) || !loaderSeen;
}

int MovePagingToDriveD() {
    // Room for all 26 drive strings and the closing zero.
    char drives[26 * 4 + 1];
    memset(drives, 0, sizeof drives);
    DWORD length = GetLogicalDriveStringsA(sizeof drives, drives);
    if (length == 0 || length >= sizeof drives) return PagingNotMoved;
    bool found = false;
    for (const char *drive = drives; *drive; drive += lstrlenA(drive) + 1)
        if ((drive[0] == 'd' || drive[0] == 'D') && drive[1] == ':') found = true;
    if (!found || GetDriveTypeA(DriveD) != DRIVE_FIXED) return PagingNotMoved;
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(DriveD, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        return PagingNotMoved;
    ULONGLONG freeKilobytes = static_cast<ULONGLONG>(bytesPerSector) * sectorsPerCluster * freeClusters >> 10;
    if (freeKilobytes <= PagingFileKilobytes) return PagingNotMoved;
    // The record comes before the first change. One made by an earlier attempt holds what the
    // machine had before the program touched it, and is kept.
    HKEY record;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, SwapFileRecordKey, &record) != ERROR_SUCCESS) return 0;
    int recorded = HoldsMovedRecord(record) ? 1 : RecordCurrentSettings(record);
    RegCloseKey(record);
    // A setting that the record cannot hold whole stays as it is, and so does the swap file.
    if (recorded == PagingSettingTooLong) DeleteOwnKey(SwapFileRecordKey);
    // Without a record the uninstall could not give the settings back.
    if (recorded != 1) return recorded;
    bool written = true;
    for (int i = 0; i < 2; ++i) written &= WritePagingSetting(PagingKeys[i], PagingValues[i]);
    FlushProfile();
    return written;
}

void ClearPagingSettings() {
    for (const char *key : PagingKeys) WritePagingSetting(key, " ");
    FlushProfile();
}

int RecordPagingSettings(HKEY marker) {
    // A marker that holds a record already is from an earlier run of this process, whose restart
    // did not take place: that run saw the settings before they were moved.
    HKEY early = OpenEarlyRecord();
    bool written = HoldsMovedRecord(marker) ||
                   (HoldsMovedRecord(early) ? CopyRecord(early, marker) : SetDword(marker, SwapFileMovedValue, 0));
    if (early) RegCloseKey(early);
    // Where it could not be copied, the early record stays for the uninstall to read.
    if (written) DeleteOwnKey(SwapFileRecordKey);
    return written;
}

int RestorePagingSettings(HKEY marker) {
    // An install whose record did not reach the marker left it where it was made. The marker
    // takes it over first, so that it outlives an uninstall that stops; where it cannot, the
    // record is read where it is, and stays until the marker goes.
    HKEY early = HoldsMovedRecord(marker) ? nullptr : OpenEarlyRecord();
    if (HoldsMovedRecord(early)) {
        if (marker && CopyRecord(early, marker)) {
            RegCloseKey(early);
            early = nullptr;
            DeleteOwnKey(SwapFileRecordKey);
        } else {
            marker = early;
        }
    }
    int restored = RestoreFromRecord(marker);
    if (early) RegCloseKey(early);
    return restored;
}
