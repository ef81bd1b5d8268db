#include "ProgramOptions.h"

#include <charconv>
#include <stdexcept>

namespace dilato::app {

double OptionNumber(const std::string& text, const std::string& option) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size())
        throw std::invalid_argument(option + " needs a number, not \"" + text + "\"");
    return value;
}

namespace {

double Positive(double value, const std::string& option) {
    if (!(value > 0)) throw std::invalid_argument(option + " must be above 0");
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
            sim.cte = OptionNumber(value, "--simulate cte=");
        else if (key == "length")
            sim.lengthInches = OptionNumber(value, "--simulate length=");
        else if (key == "diffusivity")
            sim.diffusivity =
                Positive(OptionNumber(value, "--simulate diffusivity="), "--simulate diffusivity=");
        else if (key == "contact")
            sim.contact = OptionNumber(value, "--simulate contact=");
        else if (key == "silent") {
            if (value != "sensor" && value != "controller")
                throw std::invalid_argument(
                    "--simulate silent= takes sensor or controller, not \"" + value + "\"");
            sim.silent.push_back(value);
        } else if (key == "outage") {
            // DEVICE:AT:SECONDS
            const auto first = value.find(':'), second = value.find(':', first + 1);
            const std::string device = value.substr(0, first);
            if ((device != "sensor" && device != "controller") || second == std::string::npos)
                throw std::invalid_argument(
                    "--simulate outage= takes sensor:AT:SECONDS or controller:AT:SECONDS, not \"" +
                    value + "\"");
            sim.outages.push_back(
                {device, OptionNumber(value.substr(first + 1, second - first - 1), "--simulate outage="),
                 Positive(OptionNumber(value.substr(second + 1), "--simulate outage="),
                          "--simulate outage=")});
        } else if (key == "drift")
            sim.driftMicronsPerMinute = OptionNumber(value, "--simulate drift=");
        else if (key == "gain-drift")
            sim.gainDriftPerMonth = OptionNumber(value, "--simulate gain-drift=");
        else if (key == "aged")
            sim.agedDays = OptionNumber(value, "--simulate aged=");
        else if (key == "seed")
            sim.seed = static_cast<unsigned>(OptionNumber(value, "--simulate seed="));
        else if (key == "thermistor-slope")
            sim.thermistorSlope = OptionNumber(value, "--simulate thermistor-slope=");
        else if (key == "thermistor-offset")
            sim.thermistorOffset = OptionNumber(value, "--simulate thermistor-offset=");
        else if (key == "command-slope")
            sim.commandSlope = OptionNumber(value, "--simulate command-slope=");
        else if (key == "command-offset")
            sim.commandOffset = OptionNumber(value, "--simulate command-offset=");
        else if (key == "tau")
            sim.tau = OptionNumber(value, "--simulate tau=");
        else
            throw std::invalid_argument("--simulate: unknown setting \"" + key + "\"");
    }
    return sim;
}

} // namespace

bool TakeProgramOption(const std::string& arg, const std::optional<std::string>& inlineValue,
                       const std::function<std::string()>& value, ProgramOptions& o) {
    if (arg == "--system-folder")
        o.systemFolder = value();
    else if (arg == "--simulate")
        o.simulate = inlineValue ? ParseSimulation(*inlineValue) : SimulationOptions{};
    else if (arg == "--port")
        o.portOverrides.push_back(value());
    else if (arg == "--time-scale") {
        o.timeScale = OptionNumber(value(), "--time-scale");
        if (*o.timeScale <= 0) throw std::invalid_argument("--time-scale must be above 0");
    } else if (arg == "--keep-journal")
        o.keepJournal = true;
    else if (arg == "--results-db")
        o.resultsDb = value();
    else
        return false;
    if (o.simulate && !o.portOverrides.empty())
        throw std::invalid_argument("--simulate and --port exclude each other");
    return true;
}

void WalkOptions(const std::vector<std::string>& args, const OptionHandler& handler) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
        }
        const std::function<std::string()> value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw std::invalid_argument(arg + " needs a value");
            return args[++i];
        };
        if (!handler(arg, inlineValue, value))
            throw std::invalid_argument("unknown option \"" + args[i] + "\" (see --help)");
    }
}

const char* ProgramOptionsUsage() {
    return R"(  --system-folder DIR   the instrument's system folder (provisioned when new); default:
                        $DILATO_SYSTEM_FOLDER, else /var/lib/dilato (shared by the PC's
                        operators) with real instruments, ~/.local/share/Dilato with --simulate
  --simulate[=material=NAME|cte=VALUE,length=INCHES,drift=UM,seed=N]
                        run against the built-in simulated instruments; NAME is copper
                        (default), aluminium, fused-silica or pmma (each with its own
                        alpha(T) and thermal diffusivity: a 2 in polymer sample takes hours
                        to follow the stage); seed=N: the noise of the readings;
                        diffusivity=MM2_PER_S, contact=SECONDS: how the sample takes up
                        heat (its diffusivity; the contact's time constant, default 120);
                        drift=UM: the sample
                        keeps growing by UM micrometres a minute and never settles (each
                        step then ends at the hold time limit); silent=sensor or
                        silent=controller: that instrument never answers;
                        outage=sensor:AT:SECONDS (or controller:...): it stops answering AT
                        seconds after the start and answers again SECONDS later; the stage's
                        errors:
                        thermistor-slope=S,thermistor-offset=C (its reading is actual * S + C),
                        command-slope=S,command-offset=C (it holds its thermistor at set point
                        * S + C), tau=SECONDS (its time constant); the sensor's ageing:
                        gain-drift=FRACTION (its gain changes by that much a month of the
                        clock's time, 0.001 for 0.1 %), aged=DAYS (how long it has aged
                        already when the run starts)
  --port COMn=DEVICE    serial device behind COM n (repeatable); the ports of the settings
                        file's Keyence_Comport and TE_Comport are used
  --time-scale K        the clock runs K times faster than the wall
  --keep-journal        keep the journal "<test>_CTE.jnl" of a test that ended normally,
                        for audit (by default it is removed; an interrupted test's stays)
  --results-db URI      the results store: sqlite:PATH, or a lab's PostgreSQL server
                        postgresql://user@host:port/database[?passfile=FILE] (the password
                        from FILE, readable by the group only, or the server's own
                        authentication); every record goes first to results.sqlite in the
                        system folder and on to the server; default: the lab's
                        /etc/dilato/results.conf ("results-db = URI", owned by root), else
                        results.sqlite in the system folder
)";
}

} // namespace dilato::app
