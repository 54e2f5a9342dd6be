#include "medium/layout.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "procedures/messages.h"

namespace fs = std::filesystem;

const std::vector<MediumFile> &MediumLayout() {
    static const std::vector<MediumFile> layout = {
        {"95-98/95drv.exe", "Windows 95, 98 and ME", SourceFileOneMissing},
        {"Vave_R.exe", "every Windows", SourceFileTwoMissing},
        {"RizoZezu.lnk", "Windows 95, 98 and ME", SourceFileTowMissing},
        {"95-98/ide/95drv.vxd", "Windows 95, 98 and ME with an IDE disk", SourceFileTreeMissing},
        {"95-98/scsi/95drv.vxd", "Windows 95, 98 and ME with a SCSI disk", SourceFileTreeMissing},
        {"FCHK1.DAT", "Windows 95, 98 and ME", SourceFileOneTwoMissing},
        {"NT/ZIV.sys", "Windows NT 4 and 2000",
         std::string(SourceFileOneMissingNt4) + " (NT 4), " + SourceFileOneMissing + " (2000)"},
    };
    return layout;
}

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string Relative(const fs::path &p, const std::string &folder) { return fs::relative(p, folder).generic_string(); }

}  // namespace

std::vector<MediumProblem> CheckMedium(const std::string &folder) {
    std::vector<fs::path> present;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        if (it->is_regular_file()) present.push_back(it->path());
    std::sort(present.begin(), present.end());
    auto isLayoutPath = [](const std::string &relative) {
        for (const MediumFile &f : MediumLayout())
            if (Lower(relative) == Lower(f.path)) return true;
        return false;
    };
    std::vector<MediumProblem> problems;
    for (const MediumFile &file : MediumLayout()) {
        std::string wanted = file.path;
        if (fs::is_regular_file(fs::path(folder) / wanted)) continue;
        std::string name = Lower(fs::path(wanted).filename().string());
        const fs::path *sameLetters = nullptr, *sameName = nullptr;
        for (const auto &p : present) {
            std::string relative = Relative(p, folder);
            if (Lower(relative) == Lower(wanted))
                sameLetters = &p;
            else if (!sameName && !isLayoutPath(relative) && Lower(p.filename().string()) == name)
                sameName = &p;  // a file of that name that no other path of the layout claims
        }
        if (sameLetters)
            problems.push_back({MediumProblem::CaseDiffers, file, Relative(*sameLetters, folder)});
        else if (sameName)
            problems.push_back({MediumProblem::Misplaced, file, Relative(*sameName, folder)});
        else
            problems.push_back({MediumProblem::Missing, file, ""});
    }
    return problems;
}

void AssembleMedium(const std::string &folder, const std::string &target) {
    for (const MediumFile &file : MediumLayout()) {
        fs::path source = fs::path(folder) / file.path;
        for (const MediumProblem &p : CheckMedium(folder))
            if (p.kind == MediumProblem::CaseDiffers && std::string(p.file.path) == file.path)
                source = fs::path(folder) / p.found;
        fs::path destination = fs::path(target) / file.path;
        fs::create_directories(destination.parent_path());
        fs::copy_file(source, destination, fs::copy_options::overwrite_existing);
    }
}

std::string Describe(const MediumProblem &p) {
    std::string wanted = std::string("\\") + p.file.path;
    std::replace(wanted.begin(), wanted.end(), '/', '\\');
    switch (p.kind) {
    case MediumProblem::CaseDiffers:
        return wanted + ": named \"" + p.found + "\"; it goes on the medium under the program's name";
    case MediumProblem::Misplaced:
        return wanted + ": found at \"" + p.found + "\" instead; " + p.file.neededBy + " would stop with \"" +
               p.file.message + "\"";
    default: return wanted + ": missing; " + p.file.neededBy + " would stop with \"" + p.file.message + "\"";
    }
}
