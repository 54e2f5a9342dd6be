// The simulated machine must answer as Wine does: the facts that the end-to-end runs expect
// from Wine are expected here from the simulation.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "e2e/platform_facts.h"
#include "winsim/machine.h"

namespace {

std::string Trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// The facts that hold on every version, and those under the version's own [section].
std::map<std::string, std::string> ExpectedFacts(const std::string &version) {
    std::ifstream in(PLATFORM_FACTS);
    std::map<std::string, std::string> facts;
    std::string section;
    for (std::string line; std::getline(in, line);) {
        line = Trim(line);
        size_t eq = line.find('=');
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[')
            section = Trim(line.substr(1, line.find(']') - 1));
        else if (eq != std::string::npos && (section.empty() || section == version))
            facts[Trim(line.substr(0, eq))] = Trim(line.substr(eq + 1));
    }
    return facts;
}

std::map<std::string, std::string> g_seen;

// A machine laid out as the end-to-end runs lay out Wine's.
void LayOutAsWine(winsim::Machine &m) {
    m.MapDrive('D', DRIVE_FIXED);
    m.MapDrive('E', DRIVE_CDROM);
    m.MapDrive('Z', DRIVE_FIXED);
    m.windowsDirectory = "C:\\windows";
    m.systemDirectory = "C:\\windows\\system32";
    m.lowercaseDriveStrings = false;
    m.MakeDirectory(m.systemDirectory);
}

void Check(const char *version, void (*setVersion)(winsim::Machine &)) {
    auto expected = ExpectedFacts(version);
    ASSERT_GT(expected.size(), 10u) << "no platform facts for " << version;
    winsim::Machine m;
    setVersion(m);
    LayOutAsWine(m);
    g_seen.clear();
    PlatformFacts([](const char *key, const char *value) { g_seen[key] = value; });
    for (const auto &fact : expected) EXPECT_EQ(g_seen[fact.first], fact.second) << fact.first;
}

TEST(PlatformFacts, TheSimulationAnswersAsWineDoesOnWindows98) {
    Check("win98", [](winsim::Machine &m) { m.SetWindows98(); });
}

TEST(PlatformFacts, TheSimulationAnswersAsWineDoesOnNt4) {
    Check("nt40", [](winsim::Machine &m) { m.SetWindowsNt4(); });
}

}  // namespace
