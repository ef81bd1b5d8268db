// The simulated devices share no code with the program's instrument links: the device library
// includes only its own headers, and the plug that puts it behind the program's serial ports
// reaches no further into the program than its port and clock interfaces.

#include "SimDeviceSources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kFolder = DILATO_SIM_FOLDER;

// The quoted includes of a file ("X.h" of #include "X.h").
std::vector<std::string> QuotedIncludes(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    std::vector<std::string> found;
    std::string line;
    while (std::getline(in, line)) {
        const auto hash = line.find_first_not_of(" \t");
        if (hash == std::string::npos || line[hash] != '#') continue;
        std::string rest = line.substr(hash + 1);
        rest.erase(0, rest.find_first_not_of(" \t"));
        if (rest.rfind("include", 0) != 0) continue;
        const auto open = rest.find('"');
        const auto close = rest.find('"', open + 1);
        if (open != std::string::npos && close != std::string::npos)
            found.push_back(rest.substr(open + 1, close - open - 1));
    }
    return found;
}

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> items;
    std::stringstream in(list);
    for (std::string item; std::getline(in, item, ';');)
        if (!item.empty()) items.push_back(std::filesystem::path(item).filename().string());
    return items;
}

// What the plug may use of the program: the serial-port interface it plugs into, the clock
// that times the devices, and the bare services of the links for tools that drive them alone.
const std::set<std::string> kProgramInterfaces = {"instrument/SerialPort.h", "platform/Clock.h",
                                                  "instrument/LinkServices.h", "storage/LogSink.h"};

TEST(SimIndependence, TheDeviceLibraryIncludesOnlyItsOwnHeaders) {
    const std::vector<std::string> sources = Split(DILATO_SIM_DEVICE_SOURCES);
    ASSERT_GE(sources.size(), 5u) << DILATO_SIM_DEVICE_SOURCES;
    std::vector<std::string> todo = sources;
    std::set<std::string> seen;
    while (!todo.empty()) {
        const std::string file = todo.back();
        todo.pop_back();
        if (!seen.insert(file).second) continue;
        for (const std::string& include : QuotedIncludes(kFolder + file)) {
            EXPECT_EQ(include.find('/'), std::string::npos)
                << file << " includes \"" << include << "\" from outside the devices";
            EXPECT_TRUE(std::filesystem::exists(kFolder + include))
                << file << " includes \"" << include << "\", which is not a device header";
            todo.push_back(include);
        }
    }
    for (const char* plug : {"SimSerialPort.h", "PtyHost.h", "SimInstruments.h"})
        EXPECT_EQ(seen.count(plug), 0u) << "the devices do not need the plug's " << plug;
}

TEST(SimIndependence, NoSimulatorFileUsesTheProgramsProtocolCode) {
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kFolder)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp") continue;
        ++files;
        for (const std::string& include : QuotedIncludes(entry.path().string())) {
            if (include.find('/') == std::string::npos) continue; // the simulator's own
            EXPECT_TRUE(kProgramInterfaces.count(include) == 1)
                << entry.path().filename() << " includes \"" << include << "\"";
        }
    }
    EXPECT_GE(files, 10u);
}

} // namespace
