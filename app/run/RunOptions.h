#pragma once
// The headless runner's command line.

#include <optional>
#include <string>
#include <vector>

namespace dilato::run {

struct SimulationOptions {
    std::string material = "copper"; // or a constant CTE given by cte=
    std::optional<double> cte;
    std::optional<double> lengthInches; // the simulated sample's true length
    std::optional<unsigned> seed;
};

struct RunOptions {
    std::optional<std::string> systemFolder;
    std::string folder = "Tests";
    std::string test;
    std::string sampleId;
    std::string length; // as typed into the sample length box
    bool millimetres = false;
    bool yes = false;
    std::optional<SimulationOptions> simulate;
    std::vector<std::string> portOverrides; // "COMn=DEVICE"
    std::optional<double> timeScale;
    std::optional<std::vector<int>> plan;
    bool help = false;
};

// Parses the arguments (without the program name). Throws std::invalid_argument with a
// message for the operator on anything it cannot use.
[[nodiscard]] RunOptions ParseRunOptions(const std::vector<std::string>& args);

[[nodiscard]] const char* RunUsage();

} // namespace dilato::run
