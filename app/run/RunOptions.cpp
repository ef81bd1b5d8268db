#include "RunOptions.h"

#include <charconv>
#include <stdexcept>

namespace dilato::run {

namespace {

double Number(const std::string& text, const std::string& option) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size())
        throw std::invalid_argument(option + " needs a number, not \"" + text + "\"");
    return value;
}

SimulationOptions ParseSimulation(const std::string& settings) {
    SimulationOptions sim;
    size_t start = 0;
    while (start < settings.size()) {
        size_t comma = settings.find(',', start);
        if (comma == std::string::npos) comma = settings.size();
        const std::string item = settings.substr(start, comma - start);
        start = comma + 1;
        const auto eq = item.find('=');
        if (eq == std::string::npos)
            throw std::invalid_argument("--simulate: expected KEY=VALUE, not \"" + item + "\"");
        const std::string key = item.substr(0, eq), value = item.substr(eq + 1);
        if (key == "material")
            sim.material = value;
        else if (key == "cte")
            sim.cte = Number(value, "--simulate cte=");
        else if (key == "length")
            sim.lengthInches = Number(value, "--simulate length=");
        else if (key == "seed")
            sim.seed = static_cast<unsigned>(Number(value, "--simulate seed="));
        else
            throw std::invalid_argument("--simulate: unknown setting \"" + key + "\"");
    }
    return sim;
}

std::vector<int> ParsePlan(const std::string& text) {
    std::vector<int> plan;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        plan.push_back(static_cast<int>(Number(text.substr(start, comma - start), "--plan")));
        start = comma + 1;
    }
    if (plan.empty() || plan.size() > 9)
        throw std::invalid_argument("--plan takes one to nine temperatures");
    return plan;
}

} // namespace

RunOptions ParseRunOptions(const std::vector<std::string>& args) {
    RunOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
            }
        }
        const auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw std::invalid_argument(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--help" || arg == "-h")
            o.help = true;
        else if (arg == "--system-folder")
            o.systemFolder = value();
        else if (arg == "--folder")
            o.folder = value();
        else if (arg == "--test")
            o.test = value();
        else if (arg == "--sample-id")
            o.sampleId = value();
        else if (arg == "--length")
            o.length = value();
        else if (arg == "--mm")
            o.millimetres = true;
        else if (arg == "--yes")
            o.yes = true;
        else if (arg == "--simulate")
            o.simulate = inlineValue ? ParseSimulation(*inlineValue) : SimulationOptions{};
        else if (arg == "--port")
            o.portOverrides.push_back(value());
        else if (arg == "--time-scale") {
            o.timeScale = Number(value(), "--time-scale");
            if (*o.timeScale <= 0) throw std::invalid_argument("--time-scale must be above 0");
        } else if (arg == "--plan")
            o.plan = ParsePlan(value());
        else
            throw std::invalid_argument("unknown option \"" + args[i] + "\" (see --help)");
    }
    if (o.help) return o;
    if (o.test.empty()) throw std::invalid_argument("--test NAME is required");
    if (o.length.empty()) throw std::invalid_argument("--length VALUE is required");
    if (o.simulate && !o.portOverrides.empty())
        throw std::invalid_argument("--simulate and --port exclude each other");
    return o;
}

const char* RunUsage() {
    return R"(dilato-run: runs one complete CTE test, as the operator would from the Test tab.

  --system-folder DIR   the instrument's system folder (provisioned when missing); default:
                        $DILATO_SYSTEM_FOLDER, else /var/lib/dilato, else ~/.local/share/Dilato
  --folder NAME         data folder of the test (default Tests)
  --test NAME           test name (required)
  --sample-id TEXT      sample identifier
  --length VALUE        starting sample length in inches (required); --mm: in millimetres
  --yes                 answer Yes when the length is outside the recommended range
  --plan T1,T2,...      batch temperatures in degrees C for this test (saved with the
                        parameter file at the end, as a change on the Setup Options tab is)
  --simulate[=material=NAME|cte=VALUE,length=INCHES,seed=N]
                        run against the built-in simulated instruments; NAME is copper
                        (default), aluminium, fused-silica or pmma
  --port COMn=DEVICE    serial device behind COM n (repeatable); the ports of the settings
                        file's Keyence_Comport and TE_Comport are used
  --time-scale K        the clock runs K times faster than the wall; with --simulate and no
                        time scale the test runs on a virtual clock as fast as it can

Dialogs are answered by policy: boxes with an OK button are printed and acknowledged; the
sample length question is answered by --yes (else No); other questions take their default
button; the COM configuration window cannot be shown (fix the ports with --port); Ctrl-C asks
to stop the test and the termination question is answered Yes (the step is saved when its
drift criteria are met).

Exit status: 0 the test completed; 1 it did not (refused, stopped, instrument failure);
2 bad options; 3 the program could not start (parameter file).
)";
}

} // namespace dilato::run
