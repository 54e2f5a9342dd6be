// The simulated machine must answer as Wine does: the same facts that the end-to-end table
// expects from Wine are expected here from the simulation.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "e2e/platform_facts.h"
#include "winsim/machine.h"

namespace {

std::string Trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t"), e = s.find_last_not_of(" \t");
    return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// The facts that the end-to-end table expects of the named row.
std::map<std::string, std::string> ExpectedFacts(const std::string &row) {
    std::ifstream in(SCENARIO_TABLE);
    std::string line, joined;
    bool inRow = false;
    while (std::getline(in, line)) {
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
            if (inRow) joined += " " + Trim(line);
            continue;
        }
        if (inRow) break;
        if (line.compare(0, row.size() + 1, row + " ") == 0) {
            inRow = true;
            joined = line;
        }
    }
    std::vector<std::string> fields;
    std::stringstream fieldStream(joined);
    for (std::string f; std::getline(fieldStream, f, '|');) fields.push_back(f);
    std::map<std::string, std::string> facts;
    if (fields.size() != 5) return facts;
    std::stringstream factStream(fields[4]);
    for (std::string f; std::getline(factStream, f, ';');) {
        size_t eq = f.find('=');
        if (eq == std::string::npos) continue;
        std::string key = Trim(f.substr(0, eq));
        if (key != "exit") facts[key] = Trim(f.substr(eq + 1));
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

void Check(const char *row, void (*setVersion)(winsim::Machine &)) {
    auto expected = ExpectedFacts(row);
    ASSERT_GT(expected.size(), 10u) << "the table has no facts for " << row;
    winsim::Machine m;
    setVersion(m);
    LayOutAsWine(m);
    g_seen.clear();
    PlatformFacts([](const char *key, const char *value) { g_seen[key] = value; });
    for (const auto &fact : expected) EXPECT_EQ(g_seen[fact.first], fact.second) << fact.first;
}

TEST(PlatformFacts, TheSimulationAnswersAsWineDoesOnWindows98) {
    Check("win98-platform-facts", [](winsim::Machine &m) { m.SetWindows98(); });
}

TEST(PlatformFacts, TheSimulationAnswersAsWineDoesOnNt4) {
    Check("nt40-platform-facts", [](winsim::Machine &m) { m.SetWindowsNt4(); });
}

}  // namespace
