// The command line on any bytes: read within the line, answered as the README's rules say (a
// model of them here), and the same for the same words in any spelling: quotes, - for /, letter
// case, blanks.
#include <cstring>
#include <memory>
#include <set>

#include "app/command_line.h"
#include "fuzz.h"
#include "procedures/run_state.h"

namespace {

struct Answer {
    int action = CommandDialog, hddInterface = InterfaceNone;
    bool noRestart = false, unattended = false, hasLog = false;
    std::string log;
    bool split = true;  // false where the line is too long to split, and the log is not compared
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Lower(std::string s) {
    for (char &c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool IsSwitch(const std::string &word) { return !word.empty() && (word[0] == '/' || word[0] == '-'); }
std::string SwitchName(const std::string &word) { return IsSwitch(word) ? Lower(word.substr(1)) : ""; }

// The words after the program's name: blanks part them, double quotes group and are dropped.
std::vector<std::string> Words(const std::string &line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i < line.size() && line[i] == '"') i = std::min(line.find('"', i + 1), line.size() - 1) + 1;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    std::vector<std::string> words;
    for (;;) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) return words;
        std::string word;
        for (bool quoted = false; i < line.size() && (quoted || !IsBlank(line[i])); ++i)
            if (line[i] == '"')
                quoted = !quoted;
            else
                word += line[i];
        words.push_back(word);
    }
}

Answer Model(const std::vector<std::string> &words) {
    Answer a;
    size_t stored = 0;
    for (const auto &word : words) stored += word.size() + 1;
    a.split = words.size() <= 16 && stored <= 1023;
    bool bad = !a.split, help = false;
    std::set<std::string> seen;
    for (size_t i = 0; i < words.size(); ++i) {
        std::string name = SwitchName(words[i]);
        bool hasNext = i + 1 < words.size() && !IsSwitch(words[i + 1]);
        std::string next = hasNext ? words[i + 1] : "";
        bad = bad || !seen.insert(name).second;
        if (name == "install" || name == "uninstall") {
            a.unattended = true;
            bad = bad || a.action != CommandDialog || help;
            a.action = name == "install" ? CommandInstall : CommandUninstall;
        }
        if (name == "install") {
            a.hddInterface = Lower(next) == "ide"    ? InterfaceIde
                             : Lower(next) == "scsi" ? InterfaceScsi
                                                     : InterfaceNone;
            bad = bad || a.hddInterface == InterfaceNone;
        } else if (name == "log") {
            bad = bad || next.empty();
            if (hasNext && !a.hasLog) a.log = next;
            a.hasLog = a.hasLog || hasNext;
        } else if (name == "?") {
            help = true;
            bad = bad || i > 0 || words.size() > 1;
        } else if (name == "norestart") {
            a.noRestart = true;
        } else if (name != "uninstall") {
            bad = true;  // no switch, or one the program does not know
        }
        if ((name == "install" || name == "log") && hasNext) ++i;
    }
    if (help) a.action = CommandHelp;
    if (bad || (!words.empty() && a.action == CommandDialog)) a.action = CommandBad;
    return a;
}

// The program's answer, from a copy of exactly the line's bytes and its zero.
Answer Parsed(const std::string &line) {
    std::unique_ptr<char[]> copy(new char[line.size() + 1]);
    std::memcpy(copy.get(), line.c_str(), line.size() + 1);
    SetupCommand command;
    ParseCommandLine(copy.get(), command);
    Answer a;
    a.action = command.action;
    a.hddInterface = command.hddInterface;
    a.noRestart = command.noRestart;
    a.unattended = command.unattended;
    a.hasLog = command.logFile != nullptr;
    if (a.hasLog) {
        FUZZ_CHECK(command.logFile >= command.text && command.logFile < command.text + sizeof command.text,
                   "the log's name is in the split text");
        a.log = command.logFile;
    }
    return a;
}

// Whether two answers agree where the command counts: the action, and for a run the rest of it;
// for a bad command whether it is unattended and which log gets the usage.
void ExpectSame(const Answer &a, const Answer &b, const char *what) {
    FUZZ_CHECK(a.action == b.action, what);
    FUZZ_CHECK(a.unattended == b.unattended, what);
    if (a.action == CommandInstall) FUZZ_CHECK(a.hddInterface == b.hddInterface, what);
    if (a.action == CommandInstall || a.action == CommandUninstall) FUZZ_CHECK(a.noRestart == b.noRestart, what);
    if (a.split && b.split) FUZZ_CHECK(a.hasLog == b.hasLog && Lower(a.log) == Lower(b.log), what);
}

// The same words spelled otherwise, as `seed` picks: quoted or not, - or / first, any letter
// case, any blanks between.
std::string Respelled(const std::vector<std::string> &words, uint32_t seed) {
    auto pick = [&seed](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    std::string line = pick(2) ? "\"E:\\Setup.exe\"" : "E:\\Setup.exe";
    for (std::string word : words) {
        if (IsSwitch(word) && pick(2)) word[0] = word[0] == '/' ? '-' : '/';
        for (char &c : word)
            if (pick(2))
                c = static_cast<char>(pick(2) ? std::toupper(static_cast<unsigned char>(c))
                                              : std::tolower(static_cast<unsigned char>(c)));
        bool blanks = word.empty() || word.find_first_of(" \t") != std::string::npos;
        if (blanks || pick(3) == 0)
            word = "\"" + word + "\"";
        else if (word.size() > 1 && pick(3) == 0)
            word.insert(1, "\"\"");
        line += pick(2) ? " " : pick(2) ? "\t" : "  \t ";
        line += word;
    }
    return line + (pick(2) ? "" : " ");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string line(reinterpret_cast<const char *>(data), strnlen(reinterpret_cast<const char *>(data), size));
    const Answer answer = Parsed(line);
    const std::vector<std::string> words = Words(line);
    ExpectSame(answer, Model(words), "the README's rules");
    uint32_t seed = 2166136261u;
    for (char c : line) seed = (seed ^ static_cast<unsigned char>(c)) * 16777619u;
    ExpectSame(answer, Parsed(Respelled(words, seed)), "the same words spelled otherwise");
    return 0;
}
