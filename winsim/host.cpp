#include "winsim/host.h"

#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace winsim {

bool NoCaseLess::operator()(const std::string &a, const std::string &b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int ca = std::tolower(static_cast<unsigned char>(a[i]));
        int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
}

bool SameNoCase(const std::string &a, const std::string &b) {
    NoCaseLess less;
    return !less(a, b) && !less(b, a);
}

std::string ReadHostFile(const std::string &host) {
    std::ifstream in(host, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool HostExists(const std::string &host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0;
}

bool HostIsDirectory(const std::string &host) {
    struct stat st;
    return !host.empty() && stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string HostParent(const std::string &host) { return std::filesystem::path(host).parent_path().string(); }

}  // namespace winsim
