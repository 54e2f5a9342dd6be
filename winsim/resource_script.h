// Reads the program's resource script (app/setup.rc with app/resource.h), so the simulated
// machine builds its dialog from the very template that the Windows builds compile.
#ifndef SETUP_WINSIM_RESOURCE_SCRIPT_H
#define SETUP_WINSIM_RESOURCE_SCRIPT_H

#include <map>
#include <string>
#include <vector>

#include "winsim/win32.h"

namespace winsim {

struct ControlTemplate {
    std::string text;      // empty when the text is a resource ordinal
    int textOrdinal = -1;  // the icon of an SS_ICON static, for example
    int id = 0;
    std::string className;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    int id = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string caption;
    int fontSize = 0;
    std::string fontName;
    int fontWeight = 0, fontItalic = 0, fontCharset = 0;
    std::vector<ControlTemplate> controls;
};

struct ResourceScript {
    std::map<int, DialogTemplate> dialogs;
    std::map<int, std::string> icons;  // id -> file
    std::map<std::string, long> defines;
};

// Parses the script; a script it cannot read is a fault in the build, so it aborts with a message.
ResourceScript ParseResourceScript(const std::string &path);

// The program's own resources, read once.
const ResourceScript &ProgramResources();

}  // namespace winsim

#endif
