// A simulated machine with the installation medium in drive E:, the program started from it,
// and helpers to run the dialog through an install or uninstall and read what it did.
#ifndef SETUP_TESTS_SETUP_MACHINE_H
#define SETUP_TESTS_SETUP_MACHINE_H

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "actions/manifest_format.h"
#include "app/resource.h"
#include "program_run.h"
#include "winsim/machine.h"

const char *const MarkerKey = "system\\Restore Card";
const char *const ZivKey = "SYSTEM\\CurrentControlSet\\Services\\ZIV";
const char *const ScvxdKey = "System\\CurrentControlSet\\Services\\VxD\\SCVXD";

// The sample medium as the repository ships it, copied onto drive E:.
inline void InsertMedium(winsim::Machine &m) {
    m.MapDrive('E', DRIVE_CDROM);
    for (const auto &entry : std::filesystem::recursive_directory_iterator(MEDIUM_SAMPLE)) {
        if (!entry.is_regular_file()) continue;
        std::string relative = std::filesystem::relative(entry.path(), MEDIUM_SAMPLE).string();
        for (char &c : relative)
            if (c == '/') c = '\\';
        m.WriteFile("E:\\" + relative, winsim::ReadHostFile(entry.path().string()));
    }
    m.currentDirectory = "E:\\";
}

inline std::string MediumBytes(winsim::Machine &m, const std::string &path) { return m.ReadFile("E:" + path); }

// The manifest that `make medium` would write for the medium's files as they are now.
inline void WriteManifest(winsim::Machine &m) {
    std::string manifest;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(m.HostPath("E:\\"))) {
        if (!entry.is_regular_file()) continue;
        std::string path = "\\" + std::filesystem::relative(entry.path(), m.HostPath("E:\\")).string(), bytes;
        for (char &c : path)
            if (c == '/') c = '\\';
        if (path == ManifestPath) continue;
        bytes = MediumBytes(m, path);
        unsigned int crc = 0xFFFFFFFF;
        for (char c : bytes) crc = Crc32Byte(crc, static_cast<unsigned char>(c));
        char numbers[32];
        std::snprintf(numbers, sizeof numbers, " %zu %08X\r\n", bytes.size(), ~crc);
        manifest += path + numbers;
    }
    m.WriteFile(std::string("E:") + ManifestPath, manifest);
}

// How the call record begins for `message` sent to `window`: a control's id, or "dialog".
inline std::string SentTo(const std::string &window, UINT message) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", message);
    return "SendMessageA(" + window + ", 0x" + hex + ", ";
}
inline std::string SentTo(int id, UINT message) { return SentTo(std::to_string(id), message); }

// The progress positions the program set, in order.
inline std::vector<int> ProgressPositions(const winsim::Machine &m) {
    std::vector<int> positions;
    const std::string setPosition = SentTo(IDC_PROGRESS, PBM_SETPOS);
    for (const auto &call : m.CallsStartingWith(setPosition))
        positions.push_back(std::stoi(call.substr(setPosition.size())));
    return positions;
}

// Walks Install, the interface (IDC_IDE, IDC_SCSI, or 0 for none) and "Next >>" `clicks` times.
inline void Install(winsim::Machine &m, int interfaceButton, int clicks = 1) {
    RunProgram(m, [&](winsim::User &u) {
        u.Click(IDC_INSTALL);
        if (interfaceButton) u.Click(interfaceButton);
        for (int i = 0; i < clicks; ++i) {
            if (interfaceButton)
                u.Click(IDC_NEXT);
            else
                u.SendCommand(IDC_NEXT);  // the button a person could not reach
        }
        u.Click(IDC_EXIT);
    });
}

// The Windows versions both procedures refuse, with the box each gets.
struct RefusedVersion {
    void (*set)(winsim::Machine &);
    const char *box;
};
const RefusedVersion RefusedVersions[] = {
    {[](winsim::Machine &m) { m.version.basicFails = true; }, "Error: Unknow Windows Version"},
    {[](winsim::Machine &m) { m.SetWindowsNt4(VER_NT_SERVER); }, "Error: The Version not support Windows NT Server"},
    {[](winsim::Machine &m) { m.SetWindows2000(VER_NT_SERVER); }, "Error: The Version not support Windows 2000 Server"},
    {[](winsim::Machine &m) {
         m.SetWindows2000();
         m.version.minor = 2;  // XP x64
     },
     "Error: Unknow Windows Version"},
};

inline std::vector<std::string> BoxTexts(const winsim::Machine &m) {
    std::vector<std::string> texts;
    for (const auto &box : m.messageBoxes) texts.push_back(box.caption + ": " + box.text);
    return texts;
}

#endif
