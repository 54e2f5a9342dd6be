#include "app/command_line.h"

#include "platform/platform.h"
#include "procedures/run_state.h"

// CR LF line ends, as both a message box and the log want them.
const char Usage[] =
    "Setup.exe /install IDE|SCSI [/norestart] [/log FILE]\r\n"
    "Setup.exe /uninstall [/norestart] [/log FILE]\r\n\r\n"
    "/install: installs the card's drivers without asking; IDE or SCSI is the hard-disk interface.\r\n"
    "/uninstall: removes them.\r\n"
    "/norestart: Windows is not restarted at the end.\r\n"
    "/log FILE: a record of the run is added to FILE.\r\n\r\n"
    "Without switches Setup opens its dialog.";

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsSwitch(const char *word) { return word[0] == '/' || word[0] == '-'; }

// Splits `line` into words as Windows programs do: blanks separate them, double quotes group
// and are dropped. Returns the number of words kept whole; `complete` says whether that is all.
int SplitWords(const char *line, char (&text)[1024], const char *(&words)[16], bool &complete) {
    int count = 0;
    size_t out = 0;
    complete = false;
    for (;;) {
        while (IsBlank(*line)) ++line;
        if (!*line) {
            complete = true;
            return count;
        }
        if (count == 16) return count;
        const char *word = text + out;
        for (bool quoted = false; *line && (quoted || !IsBlank(*line)); ++line) {
            if (*line == '"') {
                quoted = !quoted;
            } else {
                if (out + 1 >= sizeof text) return count;
                text[out++] = *line;
            }
        }
        if (out + 1 >= sizeof text) return count;
        text[out++] = '\0';
        words[count++] = word;
    }
}

// Whether a word of `line` is /install or /uninstall, for a line too long to split: such a
// command is unattended too.
bool NamesAction(const char *line) {
    for (;;) {
        while (IsBlank(*line)) ++line;
        if (!*line) return false;
        // Long enough for either switch and one letter more.
        char word[12];
        size_t length = 0;
        for (bool quoted = false; *line && (quoted || !IsBlank(*line)); ++line) {
            if (*line == '"')
                quoted = !quoted;
            else if (length < sizeof word - 1)
                word[length++] = *line;
        }
        word[length] = '\0';
        if (IsSwitch(word) && (lstrcmpiA(word + 1, "install") == 0 || lstrcmpiA(word + 1, "uninstall") == 0))
            return true;
    }
}

int InterfaceNamed(const char *word) {
    if (lstrcmpiA(word, "IDE") == 0) return InterfaceIde;
    if (lstrcmpiA(word, "SCSI") == 0) return InterfaceScsi;
    return InterfaceNone;
}

}  // namespace

void ParseCommandLine(const char *commandLine, SetupCommand &command) {
    command.action = CommandDialog;
    command.hddInterface = InterfaceNone;
    command.noRestart = false;
    command.logFile = nullptr;
    command.unattended = false;
    command.fullLog[0] = '\0';
    // The program's own name comes first, quoted when it holds blanks.
    const char *p = commandLine ? commandLine : "";
    while (IsBlank(*p)) ++p;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {
        }
        if (*p) ++p;
    }
    while (*p && !IsBlank(*p)) ++p;

    const char *words[16];
    bool complete;
    int count = SplitWords(p, command.text, words, complete);
    bool bad = !complete;
    if (bad) command.unattended = NamesAction(p);
    // Every word is read even after a wrong one, so that a run meant to be unattended is known
    // as one and its log can still be found.
    for (int i = 0; i < count; ++i) {
        const char *word = words[i];
        const char *next = i + 1 < count && !IsSwitch(words[i + 1]) ? words[i + 1] : nullptr;
        const char *name = word + 1;
        if (!IsSwitch(word)) {
            bad = true;
        } else if (lstrcmpiA(name, "install") == 0) {
            bad = bad || command.action != CommandDialog || !next || !InterfaceNamed(next);
            command.action = CommandInstall;
            command.hddInterface = next ? InterfaceNamed(next) : InterfaceNone;
            command.unattended = true;
            if (next) ++i;
        } else if (lstrcmpiA(name, "uninstall") == 0) {
            bad = bad || command.action != CommandDialog;
            command.action = CommandUninstall;
            command.unattended = true;
        } else if (lstrcmpiA(name, "?") == 0) {
            bad = bad || command.action != CommandDialog;
            command.action = CommandHelp;
        } else if (lstrcmpiA(name, "norestart") == 0) {
            bad = bad || command.noRestart;
            command.noRestart = true;
        } else if (lstrcmpiA(name, "log") == 0) {
            bad = bad || command.logFile || !next || !*next;
            if (!command.logFile) command.logFile = next;
            if (next) ++i;
        } else {
            bad = true;
        }
    }
    // /norestart and /log go with an install or uninstall, and /? stands alone.
    bool onlyOptions = count > 0 && command.action == CommandDialog;
    bool helpWithMore = command.action == CommandHelp && count > 1;
    if (bad || onlyOptions || helpWithMore) command.action = CommandBad;
}
