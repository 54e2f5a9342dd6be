// The shell's Programs folder, and what the program took from the shell and must give back.
#ifndef SETUP_WINSIM_SHELL_H
#define SETUP_WINSIM_SHELL_H

#include <string>

namespace winsim {

// How the shell's Programs folder lookup fails, if it does.
enum class ShellFailure { None, Allocator, Location, Path };

class Shell {
public:
    std::string programsFolder;
    ShellFailure shellFailure = ShellFailure::None;
    int allocatorReferences = 0;
    int itemListsOutstanding = 0;
};

}  // namespace winsim

#endif
