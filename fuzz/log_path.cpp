// The log path on any bytes, through a whole unattended install on Windows 98 in winsim: with
// `/log PATH` the run ends as the same install without a log does (its exit code, every file and
// key the same, the log its only new file), or it is refused with 87 and nothing changed.
#include <cstring>

#include "../tests/setup_machine.h"
#include "app/command_line.h"
#include "app/setup_app.h"
#include "fuzz.h"

namespace {

// The machine an install meets: the medium with its manifest in E:, a D: with room for the
// swap file, and the start-up files of a Windows 98.
winsim::Machine &Prepared() {
    winsim::Machine &m = FreshMachine();
    InsertMedium(m);
    WriteManifest(m);
    m.MapDrive('D', DRIVE_FIXED);
    m.Key(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\VxD");
    m.WriteFile("C:\\CONFIG.SYS", "DEVICE=C:\\WINDOWS\\HIMEM.SYS\r\n");
    m.WriteFile(m.windowsDirectory + "\\SYSTEM.INI", "[386Enh]\r\nPagingDrive=C:\r\n");
    m.MakeDirectory("C:\\DEPLOY");
    return m;
}

// Setup started as a deployment tool starts it, from a folder of its own.
int Run(winsim::Machine &m, const std::string &arguments) {
    FUZZ_CHECK(AfxGetApp() == &theApp, "the program is linked in");
    m.commandLine = "\"E:\\Setup.exe\" /install IDE /norestart" + arguments;
    m.currentDirectory = "C:\\DEPLOY";
    return RunProgram(m, [](winsim::User &) { FUZZ_CHECK(false, "no window opens"); });
}

using Contents = std::map<std::string, std::string>;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // What a machine holds before and after an install without a log: the same for every input.
    static Contents before, installed;
    static int installedCode = -1;
    if (installedCode < 0) {
        winsim::Machine &m = Prepared();
        before = m.Contents();
        installedCode = Run(m, "");
        installed = m.Contents();
    }
    // A command line carries no zero, and a word in quotes no quote.
    std::string path;
    for (size_t i = 0; i < size; ++i)
        if (data[i] && data[i] != '"') path += static_cast<char>(data[i]);
    winsim::Machine &m = Prepared();
    int code = Run(m, " /log \"" + path + "\"");
    Contents after = m.Contents();
    if (code == ExitBadArguments) {
        FUZZ_CHECK(after == before, "a refused log changes nothing");
        return 0;
    }
    FUZZ_CHECK(code == installedCode, "the exit code of the install without a log");
    int added = 0;
    for (const auto &entry : after) {
        auto same = installed.find(entry.first);
        if (same == installed.end()) {
            FUZZ_CHECK(entry.first.compare(0, 4, "HKLM") != 0, "no new key");
            ++added;
        } else
            FUZZ_CHECK(same->second == entry.second, "every file and key as without a log");
    }
    FUZZ_CHECK(after.size() - added == installed.size(), "nothing gone that the install without a log leaves");
    FUZZ_CHECK(added <= 1, "the log is the only new file");
    return 0;
}
