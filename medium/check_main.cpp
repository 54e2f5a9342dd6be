// medium_check DRIVERS [TARGET]: says whether a drivers folder makes a medium that installs
// everywhere and, for each file that is not where the program reads it or disagrees with the
// folder's manifest, what would fail; exit 1 refuses it. Given a TARGET folder, puts the
// accepted files there under the program's names, with their manifest.
#include <cstdio>
#include <cstring>

#include "medium/layout.h"

int main(int argc, char **argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: medium_check DRIVERS-FOLDER [TARGET-FOLDER]\n");
        return 2;
    }
    bool refused = false;
    for (const MediumProblem &p : CheckMedium(argv[1])) {
        std::printf("%s %s\n", p.refused() ? "error:" : "note: ", Describe(p).c_str());
        refused = refused || p.refused();
    }
    for (const std::string &problem : CheckManifest(argv[1])) {
        std::printf("error: %s\n", problem.c_str());
        refused = true;
    }
    if (refused) {
        std::printf("medium refused: %s would not install on every Windows\n", argv[1]);
        return 1;
    }
    std::printf("medium check: every file is where Setup.exe reads it\n");
    if (argc == 3) {
        AssembleMedium(argv[1], argv[2]);
        WriteManifest(argv[2]);
    }
    return 0;
}
