#pragma once
// The headless runner's command line.

#include "ProgramOptions.h"

#include <optional>
#include <string>
#include <vector>

namespace dilato::run {

using app::SimulationOptions;

// The shared options (system folder, simulation, ports, time scale) and the test's own.
struct RunOptions : app::ProgramOptions {
    std::string folder = "Tests";
    std::string test;
    std::string sampleId;
    std::string length; // as typed into the sample length box
    // metal, glass, polymer or unknown; empty when not given (the class the sample ID was
    // last tested as, else unknown)
    std::string materialClass;
    std::string reference; // a reference run with this certified material (SRM736, ...)
    bool waitForEquilibrium = false;
    std::optional<double> contactSeconds; // the stage's contact time constant
    bool millimetres = false;
    bool yes = false;
    bool overwrite = false; // replace the files of a test of the same name
    // Load the backup of the parameter file when the file itself cannot be used (without it
    // the run ends, with the reason).
    bool useBackup = false;
    // The answer to an interrupted test of the same name: go on with it, or close it with
    // its completed steps. Without an interrupted test, --resume runs the test as usual.
    bool resume = false;
    bool closeIncomplete = false;
    std::optional<std::vector<int>> plan;
    bool help = false;
    // --calibrate: the stage calibration instead of a test.
    bool calibrate = false;
    std::optional<std::vector<std::string>> manualEntries; // the manual calibrator's readings
    std::string calibratorSerial, calibratorCert;          // the identification dialog
};

// Parses the arguments (without the program name). Throws std::invalid_argument with a
// message for the operator on anything it cannot use.
[[nodiscard]] RunOptions ParseRunOptions(const std::vector<std::string>& args);

[[nodiscard]] std::string RunUsage();

} // namespace dilato::run
