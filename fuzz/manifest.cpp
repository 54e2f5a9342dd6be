// The manifest on any bytes, over the sample medium: Setup never takes a copy that disagrees with
// its entry and never refuses one that agrees, and `medium_check` refuses exactly the media
// Setup refuses. A file's entry is the first line (CR or LF ends it) whose path, up to the
// line's first space, is the file's in any letter case; it agrees when the rest of the line is
// the file's size in decimal and its CRC-32 in eight hexadecimal digits, each written as `make
// medium` writes it (the letters in either case), and separated by one space.
#include <cstring>

#include "../tests/setup_machine.h"
#include "actions/manifest.h"
#include "fuzz.h"
#include "medium/layout.h"

namespace {

std::string Lower(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// What the entry for `name` says, or "" when no line names it.
std::string Entry(const std::string &manifest, const std::string &name) {
    for (size_t start = 0; start < manifest.size();) {
        size_t end = std::min(manifest.find_first_of("\r\n", start), manifest.size());
        std::string line = manifest.substr(start, end - start);
        start = end + 1;
        size_t space = line.find(' ');
        if (space != std::string::npos && Lower(line.substr(0, space)) == Lower(name)) return line.substr(space + 1);
    }
    return "";
}

bool Agrees(const std::string &numbers, const std::string &bytes) {
    unsigned int crc = 0xFFFFFFFF;
    for (char c : bytes) crc = Crc32Byte(crc, static_cast<unsigned char>(c));
    char written[32];
    std::snprintf(written, sizeof written, "%zu %08X", bytes.size(), ~crc);
    return Lower(numbers) == Lower(written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    winsim::Machine &m = FreshMachine();
    InsertMedium(m);
    const std::string manifest(reinterpret_cast<const char *>(data), size);
    m.WriteFile(std::string("E:") + ManifestPath, manifest);
    bool refused = false;
    for (const MediumFile &file : MediumLayout()) {
        std::string name = std::string("\\") + file.path;
        for (char &c : name)
            if (c == '/') c = '\\';
        bool taken = CheckAgainstManifest(("E:" + name).c_str(), name.c_str()) >= MediumFileIntact;
        bool agrees = Agrees(Entry(manifest, name), MediumBytes(m, name));
        FUZZ_CHECK(!taken || agrees, "never a copy taken that disagrees with its entry");
        FUZZ_CHECK(taken || !agrees, "never a copy refused that agrees with its entry");
        refused = refused || !taken;
    }
    FUZZ_CHECK(refused == !CheckManifest(m.HostPath("E:\\")).empty(), "medium_check refuses what Setup refuses");
    FUZZ_CHECK(m.OpenFileHandles() == 0, "nothing left open");
    return 0;
}
