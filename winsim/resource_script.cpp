#include "winsim/resource_script.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "winsim/host.h"

namespace winsim {
namespace {

// The system constants that the program's resource script uses, with the values of the Windows
// headers.
const std::map<std::string, long> &SystemConstants() {
    static const std::map<std::string, long> constants = {
        {"WS_POPUP", WS_POPUP},
        {"WS_VISIBLE", WS_VISIBLE},
        {"WS_CAPTION", WS_CAPTION},
        {"WS_BORDER", WS_BORDER},
        {"WS_SYSMENU", WS_SYSMENU},
        {"WS_GROUP", WS_GROUP},
        {"WS_TABSTOP", WS_TABSTOP},
        {"WS_EX_APPWINDOW", WS_EX_APPWINDOW},
        {"DS_MODALFRAME", DS_MODALFRAME},
        {"DS_SETFONT", DS_SETFONT},
        {"BS_PUSHBUTTON", BS_PUSHBUTTON},
        {"BS_AUTORADIOBUTTON", BS_AUTORADIOBUTTON},
        {"SS_LEFT", SS_LEFT},
        {"SS_ICON", SS_ICON},
        {"ES_LEFT", ES_LEFT},
        {"ES_CENTER", ES_CENTER},
        {"ES_AUTOHSCROLL", ES_AUTOHSCROLL},
        {"ES_READONLY", ES_READONLY},
        {"LANG_ENGLISH", LANG_ENGLISH},
        {"SUBLANG_ENGLISH_US", SUBLANG_ENGLISH_US},
        {"VS_VERSION_INFO", VS_VERSION_INFO},
    };
    return constants;
}

[[noreturn]] void Fail(const std::string &path, const std::string &why) {
    std::fprintf(stderr, "winsim: cannot read resource script %s: %s\n", path.c_str(), why.c_str());
    std::abort();
}

std::string ReadFile(const std::string &path) {
    if (!HostExists(path)) Fail(path, "file not found");
    return ReadHostFile(path);
}

std::string Trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t\r");
    size_t e = s.find_last_not_of(" \t\r");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

struct Token {
    enum Kind { Name, Number, String, Punct, End } kind;
    std::string text;
    long number = 0;
};

class Parser {
public:
    Parser(const std::string &path, ResourceScript &script) : m_path(path), m_script(script) {
        Tokenize(ReadFile(path));
    }

    void Run() {
        while (Peek().kind != Token::End) Statement();
    }

private:
    void Tokenize(const std::string &src) {
        std::istringstream lines(src);
        std::string line;
        while (std::getline(lines, line)) {
            std::string t = Trim(line);
            if (t.rfind("#include", 0) == 0) {
                size_t q = t.find('"');
                if (q != std::string::npos) Include(t.substr(q + 1, t.find('"', q + 1) - q - 1));
                continue;
            }
            if (t.rfind("#define", 0) == 0) {
                Define(t);
                continue;
            }
            if (!t.empty() && t[0] == '#') continue;
            Scan(line);
        }
        m_tokens.push_back({Token::End, "", 0});
    }

    void Include(const std::string &name) {
        size_t slash = m_path.find_last_of('/');
        std::string dir = slash == std::string::npos ? "" : m_path.substr(0, slash + 1);
        std::istringstream lines(ReadFile(dir + name));
        std::string line;
        while (std::getline(lines, line)) {
            std::string t = Trim(line);
            if (t.rfind("#define", 0) == 0) Define(t);
        }
    }

    void Define(const std::string &line) {
        std::istringstream in(line.substr(7));
        std::string name, value;
        in >> name;
        std::getline(in, value);
        value = Trim(value);
        size_t comment = value.find("//");
        if (comment != std::string::npos) value = Trim(value.substr(0, comment));
        std::string digits;
        for (char c : value)
            if (c != '(' && c != ')') digits += c;
        if (digits.empty()) return;
        char *end = nullptr;
        long v = std::strtol(digits.c_str(), &end, 0);
        if (*end == '\0') m_script.defines[name] = v;
    }

    void Scan(const std::string &line) {
        size_t i = 0;
        while (i < line.size()) {
            char c = line[i];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
            } else if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') {
                return;
            } else if (c == '"') {
                std::string s;
                ++i;
                while (i < line.size() && line[i] != '"') {
                    if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '0') {
                        i += 2;  // an explicit terminator inside a version string
                        continue;
                    }
                    s += line[i++];
                }
                ++i;
                m_tokens.push_back({Token::String, s, 0});
            } else if (std::isdigit(static_cast<unsigned char>(c))) {
                char *end = nullptr;
                long v = std::strtol(line.c_str() + i, &end, 0);
                size_t n = static_cast<size_t>(end - (line.c_str() + i));
                m_tokens.push_back({Token::Number, line.substr(i, n), v});
                i += n;
                while (i < line.size() && (line[i] == 'L' || line[i] == 'l')) ++i;
            } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
                size_t b = i;
                while (i < line.size() && (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '_')) ++i;
                m_tokens.push_back({Token::Name, line.substr(b, i - b), 0});
            } else {
                m_tokens.push_back({Token::Punct, std::string(1, c), 0});
                ++i;
            }
        }
    }

    const Token &Peek() const { return m_tokens[m_pos]; }
    Token Next() { return m_tokens[m_pos < m_tokens.size() - 1 ? m_pos++ : m_pos]; }
    bool IsName(const char *name) const { return Peek().kind == Token::Name && Peek().text == name; }
    void Expect(const char *punct) {
        Token t = Next();
        if (t.kind != Token::Punct || t.text != punct)
            Fail(m_path, std::string("expected '") + punct + "' before '" + t.text + "'");
    }
    void SkipComma() {
        if (Peek().kind == Token::Punct && Peek().text == ",") Next();
    }

    long Term() {
        Token t = Next();
        if (t.kind == Token::Number) return t.number;
        if (t.kind == Token::Punct && t.text == "-") return -Term();
        if (t.kind == Token::Punct && t.text == "(") {
            long v = Expression();
            Expect(")");
            return v;
        }
        if (t.kind == Token::Name) {
            auto d = m_script.defines.find(t.text);
            if (d != m_script.defines.end()) return d->second;
            auto c = SystemConstants().find(t.text);
            if (c != SystemConstants().end()) return c->second;
        }
        Fail(m_path, "unknown value '" + t.text + "'");
    }

    long Expression() {
        long v = Term();
        while (Peek().kind == Token::Punct && Peek().text == "|") {
            Next();
            v |= Term();
        }
        return v;
    }

    void SkipBlock() {
        int depth = 0;
        while (Peek().kind != Token::End) {
            Token t = Next();
            if (t.kind == Token::Name && t.text == "BEGIN") ++depth;
            if (t.kind == Token::Name && t.text == "END" && --depth == 0) return;
        }
    }

    void Statement() {
        if (IsName("LANGUAGE")) {
            Next();
            Expression();
            SkipComma();
            Expression();
            return;
        }
        long id = Expression();
        Token kind = Next();
        if (kind.text == "ICON") {
            m_script.icons[static_cast<int>(id)] = Next().text;
        } else if (kind.text == "DIALOGEX") {
            Dialog(static_cast<int>(id));
        } else if (kind.text == "VERSIONINFO") {
            SkipBlock();
        } else {
            Fail(m_path, "unsupported statement '" + kind.text + "'");
        }
    }

    void Dialog(int id) {
        DialogTemplate d;
        d.id = id;
        d.x = static_cast<int>(Expression());
        SkipComma();
        d.y = static_cast<int>(Expression());
        SkipComma();
        d.cx = static_cast<int>(Expression());
        SkipComma();
        d.cy = static_cast<int>(Expression());
        while (!IsName("BEGIN")) {
            Token option = Next();
            if (option.text == "STYLE") {
                d.style = static_cast<DWORD>(Expression());
            } else if (option.text == "EXSTYLE") {
                d.exStyle = static_cast<DWORD>(Expression());
            } else if (option.text == "CAPTION") {
                d.caption = Next().text;
            } else if (option.text == "FONT") {
                d.fontSize = static_cast<int>(Expression());
                SkipComma();
                d.fontName = Next().text;
                SkipComma();
                d.fontWeight = static_cast<int>(Expression());
                SkipComma();
                d.fontItalic = static_cast<int>(Expression());
                SkipComma();
                d.fontCharset = static_cast<int>(Expression());
            } else {
                Fail(m_path, "unsupported dialog option '" + option.text + "'");
            }
        }
        Next();
        while (!IsName("END")) {
            Token statement = Next();
            if (statement.text != "CONTROL") Fail(m_path, "unsupported control '" + statement.text + "'");
            ControlTemplate c;
            if (Peek().kind == Token::String)
                c.text = Next().text;
            else
                c.textOrdinal = static_cast<int>(Expression());
            SkipComma();
            c.id = static_cast<int>(Expression());
            SkipComma();
            c.className = Next().text;
            SkipComma();
            // A CONTROL statement is always a visible child, as the resource compiler makes it.
            c.style = static_cast<DWORD>(Expression()) | WS_CHILD | WS_VISIBLE;
            SkipComma();
            c.x = static_cast<int>(Expression());
            SkipComma();
            c.y = static_cast<int>(Expression());
            SkipComma();
            c.cx = static_cast<int>(Expression());
            SkipComma();
            c.cy = static_cast<int>(Expression());
            if (Peek().kind == Token::Punct && Peek().text == ",") {
                Next();
                c.exStyle = static_cast<DWORD>(Expression());
            }
            d.controls.push_back(c);
        }
        Next();
        m_script.dialogs[id] = d;
    }

    std::string m_path;
    ResourceScript &m_script;
    std::vector<Token> m_tokens;
    size_t m_pos = 0;
};

}  // namespace

ResourceScript ParseResourceScript(const std::string &path) {
    ResourceScript script;
    Parser(path, script).Run();
    return script;
}

const ResourceScript &ProgramResources() {
    static const ResourceScript script = ParseResourceScript(WINSIM_RESOURCE_SCRIPT);
    return script;
}

}  // namespace winsim
