// What every part of the simulated machine needs from the host: names compared as Windows
// compares them, and host files and folders.
#ifndef SETUP_WINSIM_HOST_H
#define SETUP_WINSIM_HOST_H

#include <string>

namespace winsim {

// Orders names without regard to letter case.
struct NoCaseLess {
    bool operator()(const std::string &a, const std::string &b) const;
};
bool SameNoCase(const std::string &a, const std::string &b);

// The bytes of a host file; empty when it cannot be read.
std::string ReadHostFile(const std::string &host);
bool HostExists(const std::string &host);
bool HostIsDirectory(const std::string &host);
std::string HostParent(const std::string &host);

}  // namespace winsim

#endif
