// CONFIG.SYS on any bytes: the install puts the loader line on top and keeps every other byte
// (line ends made CR LF, everything from the first 0x1A on as it was, a lone 0x1A that ends the
// file dropped); the uninstall then takes exactly the lines that begin with the loader's name,
// a long line whole. A read-only CONFIG.SYS stays as it was. No work file or set-aside copy stays.
// The first byte sets the file's attributes (hidden, system, read-only, or no file at all).
#include "actions/system_files.h"
#include "fuzz.h"

namespace {

const std::string Loader = "install c:\\ltdrv\\95drv.exe\r\n";
const std::string LoaderName = "install c:\\ltdrv\\95drv.ex";

// The text DOS reads, with CR LF line ends, and what stands from its end mark on.
struct Config {
    std::string text, tail;
};

Config Model(const std::string &bytes) {
    size_t mark = bytes.find('\x1A');
    std::string text = bytes.substr(0, mark), tail = mark == std::string::npos ? "" : bytes.substr(mark);
    Config config;
    for (size_t i = 0; i < text.size(); ++i)
        config.text += text[i] == '\n' && (i == 0 || text[i - 1] != '\r') ? "\r\n" : std::string(1, text[i]);
    config.tail = tail == "\x1A" ? "" : tail;
    return config;
}

std::string WithoutLoaderLines(const std::string &text) {
    std::string kept;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string line = text.substr(start, end - start);
        if (line.compare(0, LoaderName.size(), LoaderName) != 0) kept += line;
        start = end;
    }
    return kept;
}

void CheckNothingLeftBeside(winsim::Machine &m) {
    FUZZ_CHECK(!m.FileExists("C:\\CONFIG.SSS"), "no work file left");
    FUZZ_CHECK(!m.FileExists("C:\\CONFIG.SSO"), "no set-aside copy left");
    FUZZ_CHECK(m.OpenFileHandles() == 0, "no file left open");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    winsim::Machine &m = FreshMachine();
    const bool absent = data[0] & 8, readOnly = !absent && (data[0] & 4);
    const std::string original = absent ? "" : std::string(reinterpret_cast<const char *>(data) + 1, size - 1);
    const DWORD kept = data[0] & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (!absent) {
        m.WriteFile("C:\\CONFIG.SYS", original);
        if (kept) SetFileAttributesA("C:\\CONFIG.SYS", kept);
        if (readOnly) m.SetReadOnly("C:\\CONFIG.SYS");
    }
    const DWORD attributes = m.Attributes("C:\\CONFIG.SYS");
    const Config config = Model(original);

    int added = AddConfigSysLine();
    CheckNothingLeftBeside(m);
    if (readOnly) {
        FUZZ_CHECK(added == 0 && m.ReadFile("C:\\CONFIG.SYS") == original, "a read-only CONFIG.SYS stays as it was");
        bool holdsLoader = WithoutLoaderLines(config.text) != config.text;
        FUZZ_CHECK(RemoveConfigSysLine() == !holdsLoader, "the uninstall says whether a loader line is left");
        FUZZ_CHECK(m.ReadFile("C:\\CONFIG.SYS") == original, "a read-only CONFIG.SYS stays as it was");
        CheckNothingLeftBeside(m);
        return 0;
    }
    FUZZ_CHECK(added == 1, "the install adds the line");
    FUZZ_CHECK(m.ReadFile("C:\\CONFIG.SYS") == Loader + config.text + config.tail,
               "the loader line on top, every other byte kept");
    if (!absent) FUZZ_CHECK(m.Attributes("C:\\CONFIG.SYS") == attributes, "the attributes kept");

    FUZZ_CHECK(RemoveConfigSysLine() == 1, "the uninstall takes the line out");
    FUZZ_CHECK(m.ReadFile("C:\\CONFIG.SYS") == WithoutLoaderLines(config.text) + config.tail,
               "exactly the loader lines taken out");
    CheckNothingLeftBeside(m);
    return 0;
}
