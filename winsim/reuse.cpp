// A machine used over and over, as a fuzz target runs one input after another: reset in place,
// and compared by all it holds.
#include <filesystem>
#include <functional>
#include <new>

#include "winsim/machine.h"

namespace fs = std::filesystem;

namespace winsim {

void Machine::Reset() {
    // Made anew in place, so that every part starts as a new machine's does, also parts added
    // later; the host folder is kept and emptied.
    std::string root = HostRoot();
    this->~Machine();
    new (this) Machine(root);
}

std::map<std::string, std::string> Machine::Contents() {
    std::map<std::string, std::string> contents;
    for (const auto &drive : drives) {
        std::string root = drive.second.host;
        for (const auto &entry : fs::recursive_directory_iterator(root)) {
            std::string path = std::string(1, drive.first) + ":" + entry.path().string().substr(root.size());
            for (char &c : path)
                if (c == '/') c = '\\';
            std::string attributes = std::to_string(Attributes(path));
            contents[path] = entry.is_directory() ? attributes : attributes + " " + ReadHostFile(entry.path().string());
        }
    }
    std::function<void(const RegKey &, const std::string &)> walk = [&](const RegKey &key, const std::string &path) {
        contents["HKLM" + path] = "key";
        for (const auto &value : key.values)
            contents["HKLM" + path + ":" + value.first] =
                std::to_string(value.second.type) + " " +
                std::string(value.second.data.begin(), value.second.data.end());
        for (const auto &sub : key.subkeys) walk(*sub.second, path + "\\" + sub.first);
    };
    walk(*FindKey(HKEY_LOCAL_MACHINE, ""), "");
    return contents;
}

}  // namespace winsim
