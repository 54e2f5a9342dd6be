// SYSTEM.INI on any bytes: the swap file moved to D:, its settings recorded in the marker, and
// given back. Every line that is not one of the two settings stays, in its order, under its
// section (blank lines and CR LF spacing are the profile writer's); the settings read "d:" and
// "307200" after the move and come back as they were, or absent where they were absent. A
// setting too long to record leaves the file as it was.
#include "actions/system_files.h"
#include "fuzz.h"

namespace {

const char *const Settings[] = {"PagingDrive", "MaxPagingFileSize"};
const std::string Absent = "(absent)";

std::string Trimmed(const std::string &text) {
    size_t b = text.find_first_not_of(" \t"), e = text.find_last_not_of(" \t");
    return b == std::string::npos ? "" : text.substr(b, e - b + 1);
}

bool SameLetters(std::string a, std::string b) {
    for (std::string *s : {&a, &b})
        for (char &c : *s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return a == b;
}

// The file's lines as a profile reader sees them: split at LF, a CR before it dropped, each
// ending at a zero byte, blank ones passed over; a setting's name is what stands before a line's
// "=", or the whole line. The section headers in order, and every other line but the two settings with
// the header it stands under.
struct Lines {
    std::vector<std::string> headers, others;
    bool pagingSection = false;  // whether there is a [386Enh]
};

Lines Parse(const std::string &bytes) {
    Lines lines;
    std::string header;
    bool pagingSection = false;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line.erase(std::min(line.find('\0'), line.size()));
        std::string text = Trimmed(line);
        if (text.empty()) continue;
        if (text[0] == '[') {
            header = line;
            size_t close = text.find(']');
            pagingSection = close != std::string::npos && SameLetters(text.substr(1, close - 1), "386Enh");
            lines.pagingSection = lines.pagingSection || pagingSection;
            lines.headers.push_back(line);
            continue;
        }
        std::string key = Trimmed(line.substr(0, line.find('=')));
        if (pagingSection && (SameLetters(key, Settings[0]) || SameLetters(key, Settings[1]))) continue;
        lines.others.push_back(header + "\n" + line);
    }
    return lines;
}

// A setting as the profile functions answer it, up to its first zero.
std::string Setting(const char *name) {
    std::vector<char> value(70000), other(2);
    GetPrivateProfileStringA("386Enh", name, "0", value.data(), 70000, "system.ini");
    if (std::string(value.data()) == "0" &&
        GetPrivateProfileStringA("386Enh", name, "1", other.data(), 2, "system.ini") && other[0] == '1')
        return Absent;
    return value.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    winsim::Machine &m = FreshMachine();
    m.MapDrive('D', DRIVE_FIXED);  // 1 GiB free: room for the swap file
    const std::string ini = m.windowsDirectory + "\\SYSTEM.INI";
    const std::string original(reinterpret_cast<const char *>(data), size);
    m.WriteFile(ini, original);
    const Lines before = Parse(original);
    const std::string settings[2] = {Setting(Settings[0]), Setting(Settings[1])};

    int moved = MovePagingToDriveD();
    if (moved == PagingSettingTooLong) {
        FUZZ_CHECK(settings[0].size() > 255 || settings[1].size() > 255, "only a setting over 255 is too long");
        FUZZ_CHECK(m.ReadFile(ini) == original, "a setting too long to record leaves SYSTEM.INI alone");
        FUZZ_CHECK(!m.HasKey(HKEY_LOCAL_MACHINE, SwapFileRecordKey), "and no record");
        return 0;
    }
    FUZZ_CHECK(moved == 1, "the swap file moves to a large enough D:");
    FUZZ_CHECK(Setting(Settings[0]) == "d:" && Setting(Settings[1]) == "307200", "the settings point at D:");
    Lines after = Parse(m.ReadFile(ini));
    FUZZ_CHECK(after.others == before.others, "the move keeps every other line, in order, in its section");
    std::vector<std::string> headers = before.headers;
    if (!before.pagingSection) headers.push_back("[386Enh]");
    FUZZ_CHECK(after.headers == headers, "the move keeps the sections");

    HKEY marker;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, "system\\Restore Card", &marker);
    FUZZ_CHECK(RecordPagingSettings(marker) == 1, "the marker takes the record");
    FUZZ_CHECK(RestorePagingSettings(marker) == PagingRestored, "the uninstall gives the settings back");
    RegCloseKey(marker);
    FUZZ_CHECK(Setting(Settings[0]) == settings[0] && Setting(Settings[1]) == settings[1],
               "the settings come back as they were");
    after = Parse(m.ReadFile(ini));
    FUZZ_CHECK(after.others == before.others, "the uninstall keeps every other line, in order, in its section");
    FUZZ_CHECK(after.headers == before.headers, "the uninstall keeps the sections, and takes one it made");
    FUZZ_CHECK(m.OpenFileHandles() == 0 && m.OpenKeyHandles() == 0, "nothing left open");
    return 0;
}
