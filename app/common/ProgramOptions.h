#pragma once
// The command-line options that the window program and the headless runner share: where
// the system folder is, simulated instruments or which device stands behind a COM port, and
// how fast the clock runs.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dilato::app {

struct SimulationOptions {
    std::string material = "copper"; // or a constant CTE given by cte=
    std::optional<double> cte;
    std::optional<double> lengthInches; // the simulated sample's true length
    // How the sample takes up heat: its thermal diffusivity in mm^2 per second (the
    // material's own by default) and the contact's time constant in seconds.
    std::optional<double> diffusivity, contact;
    std::optional<unsigned> seed;
    double driftMicronsPerMinute = 0; // a sample that keeps growing and never settles
    // A sensor whose gain ages by this fraction a month, with `agedDays` of it behind it.
    double gainDriftPerMonth = 0, agedDays = 0;
    // Instruments that never answer: "sensor", "controller" (a lost instrument).
    std::vector<std::string> silent;
    // An instrument that stops answering `at` seconds after the start and answers again
    // `seconds` later.
    struct Outage {
        std::string device; // "sensor", "controller"
        double at = 0, seconds = 0;
    };
    std::vector<Outage> outages;
    // The stage's own errors (see sim::StageParams) and its time constant in seconds.
    std::optional<double> thermistorSlope, thermistorOffset, commandSlope, commandOffset, tau;
};

struct ProgramOptions {
    std::optional<std::string> systemFolder;
    std::optional<SimulationOptions> simulate;
    std::vector<std::string> portOverrides; // "COMn=DEVICE"
    std::optional<double> timeScale;
    bool keepJournal = false; // keep the journal of a test that ended normally (audit)
    // The results store: "sqlite:PATH" or "postgresql://user@host:port/db" (else the lab's
    // configuration, else the system folder's own results.sqlite).
    std::optional<std::string> resultsDb;
};

// Takes `arg` (an option name, with its "=value" split off into `inlineValue`) when it is one
// of the shared options; `value` fetches the option's value. Returns false for any other
// option. Throws std::invalid_argument with a message for the operator on a bad value.
bool TakeProgramOption(const std::string& arg, const std::optional<std::string>& inlineValue,
                       const std::function<std::string()>& value, ProgramOptions& options);

// Offers each option to `handler` with its "=value" split off and a way to fetch its value
// (the inline value or the next argument). An option the handler refuses (false) is an
// error: std::invalid_argument naming it.
using OptionHandler =
    std::function<bool(const std::string& arg, const std::optional<std::string>& inlineValue,
                       const std::function<std::string()>& value)>;
void WalkOptions(const std::vector<std::string>& args, const OptionHandler& handler);

// A number option's value; throws std::invalid_argument naming the option.
[[nodiscard]] double OptionNumber(const std::string& text, const std::string& option);

// The shared options' lines of a usage text.
[[nodiscard]] const char* ProgramOptionsUsage();

} // namespace dilato::app
