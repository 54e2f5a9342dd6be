#include "medium/layout.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "actions/manifest_format.h"
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

// A layout path as Setup names it: from the medium's root, with backslashes.
std::string SetupName(const MediumFile &file) {
    std::string name = std::string("\\") + file.path;
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

struct Measure {
    unsigned long size;
    unsigned int crc;
};

Measure MeasureFile(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    unsigned int crc = 0xFFFFFFFFu;
    for (char c : bytes) crc = Crc32Byte(crc, static_cast<unsigned char>(c));
    return {static_cast<unsigned long>(bytes.size()), ~crc};
}

std::string Numbers(const Measure &m) {
    char text[32];
    std::snprintf(text, sizeof text, "%lu %08X", m.size, m.crc);
    return text;
}

std::string Described(const Measure &m) {
    char text[48];
    std::snprintf(text, sizeof text, "%lu bytes, CRC-32 %08X", m.size, m.crc);
    return text;
}

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
    std::string wanted = SetupName(p.file);
    switch (p.kind) {
    case MediumProblem::CaseDiffers:
        return wanted + ": named \"" + p.found + "\"; it goes on the medium under the program's name";
    case MediumProblem::Misplaced:
        return wanted + ": found at \"" + p.found + "\" instead; " + p.file.neededBy + " would stop with \"" +
               p.file.message + "\"";
    default: return wanted + ": missing; " + p.file.neededBy + " would stop with \"" + p.file.message + "\"";
    }
}

void WriteManifest(const std::string &medium) {
    std::ofstream out(fs::path(medium) / (ManifestPath + 1), std::ios::binary);
    for (const MediumFile &file : MediumLayout())
        out << SetupName(file) << ' ' << Numbers(MeasureFile(fs::path(medium) / file.path)) << "\r\n";
}

std::vector<std::string> CheckManifest(const std::string &folder) {
    const std::string manifestName = ManifestPath;
    std::ifstream in(fs::path(folder) / (ManifestPath + 1), std::ios::binary);
    if (!in) return {};
    // Read as Setup reads it: CR and LF end lines, and a line names the file whose path stands
    // before its first space; the first line that names a file counts. Setup passes over every
    // other line, and so does this check.
    std::vector<std::pair<std::string, std::string>> entries;  // the path in lower case, the numbers
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), line;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = std::min(text.find_first_of("\r\n", start), text.size());
        line = text.substr(start, end - start);
        size_t space = line.find(' ');
        if (space != std::string::npos) entries.push_back({Lower(line.substr(0, space)), line.substr(space + 1)});
    }
    std::vector<std::string> problems;
    for (const MediumFile &file : MediumLayout()) {
        fs::path path = fs::path(folder) / file.path;
        if (!fs::is_regular_file(path)) continue;  // the layout's check names it
        std::string name = SetupName(file);
        const std::string *listed = nullptr;
        for (const auto &entry : entries)
            if (!listed && entry.first == Lower(name)) listed = &entry.second;  // the first counts, as in Setup
        Measure actual = MeasureFile(path);
        if (!listed)
            problems.push_back(name + ": not listed in " + manifestName + "; Setup would refuse it");
        else if (Lower(*listed) != Lower(Numbers(actual)))  // compared as Setup compares them: as text
            problems.push_back(name + ": " + Described(actual) + ", but " + manifestName + " lists \"" + *listed +
                               "\"; Setup would refuse it as damaged");
    }
    return problems;
}
