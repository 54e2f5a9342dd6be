// The installation medium as Setup.exe reads it: which file must stand at which path, who
// needs it, and what the program says when it is not there. The medium check holds a drivers
// folder to it before a medium is built.
#ifndef SETUP_MEDIUM_LAYOUT_H
#define SETUP_MEDIUM_LAYOUT_H

#include <string>
#include <vector>

struct MediumFile {
    const char *path;      // from the medium's root, as the program asks for it
    const char *neededBy;  // the Windows families and interfaces that read it
    std::string message;   // what the install then shows
};

const std::vector<MediumFile> &MediumLayout();

struct MediumProblem {
    enum Kind { Missing, Misplaced, CaseDiffers } kind;
    MediumFile file;
    std::string found;  // where the file was found instead (relative, with '/')
    bool refused() const { return kind != CaseDiffers; }
};

// Checks a drivers folder against the layout.
std::vector<MediumProblem> CheckMedium(const std::string &folder);

// Copies the layout's files from a checked drivers folder into `target`, each under the name
// the program asks for.
void AssembleMedium(const std::string &folder, const std::string &target);

// One line for the user about a problem.
std::string Describe(const MediumProblem &problem);

// Writes the manifest (actions/manifest_format.h) of the layout's files in an assembled medium.
void WriteManifest(const std::string &medium);

// Holds the layout's files in `folder` to its manifest, where it has one: a line for each
// disagreement, naming the file; none when they agree or there is no manifest.
std::vector<std::string> CheckManifest(const std::string &folder);

#endif
