// dilato-sim: the simulated instruments on pseudo-terminals, for running the program (or a
// terminal program) against them without hardware. Prints the device names and the --port
// options that point the program at them, then serves until stopped (Ctrl+C, or "quit").
//
// Commands on standard input, one a line:
//   fault <sensor|stage|calibrator> <silence|short|long|garbled|delay|negative|over> [count]
//   clear <device>      vanish <device>      restore <device>
//   tc off | tc on      (the calibrator's thermocouple unplugged / plugged in)
//   status              quit

#include "sim/PtyHost.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) {
    gStop = 1;
}

const char* kUsage =
    "usage: dilato-sim [OPTION]...\n"
    "Serves the CTE tester's simulated instruments (displacement sensor, Temp-Stage controller,\n"
    "reference calibrator) on pseudo-terminals, so that dilato or dilato-run (or a terminal\n"
    "program) can run against them without hardware. Prints each device and the --port options\n"
    "that point a program at it, then serves until Ctrl+C or the command \"quit\".\n"
    "\n"
    "  --link-dir DIR        folder of the links to the pseudo-terminals\n"
    "                        (default /tmp/dilato-sim)\n"
    "  --seed N              seed of the noise of the readings (default 1)\n"
    "  --time-factor F       the bench runs F times faster than the wall clock (default 1)\n"
    "  --material NAME       copper (default), aluminium, fused-silica, pmma, or a constant CTE\n"
    "                        in 10^-6 per degree C\n"
    "  --length INCHES       starting length of the sample (default 2)\n"
    "  --contact SECONDS     time constant of the heat contact from stage to sample (default 120)\n"
    "  --diffusivity MM2_PER_S\n"
    "                        thermal diffusivity of the sample (default: its material's)\n"
    "  --tau SECONDS         time constant of the stage after a new set point (default 90)\n"
    "  --thermistor-slope S, --thermistor-offset C\n"
    "                        error of the stage's thermistor: it reads actual * S + C\n"
    "                        (default 1 and 0.2)\n"
    "  --command-slope S, --command-offset C\n"
    "                        the controller holds its thermistor at set point * S + C\n"
    "                        (default 1 and 0)\n"
    "  --drift MICRONS_PER_HOUR\n"
    "                        the sample keeps growing at this rate (default 0)\n"
    "  --noise MICRONS       standard deviation of one sensor reading (default 0.1)\n"
    "  --ambient C           room temperature, where the stage starts (default 22)\n"
    "\n"
    "Commands on standard input, one a line (DEVICE: sensor, stage or calibrator):\n"
    "  fault DEVICE KIND [COUNT]\n"
    "                        the next COUNT answers (default: all until cleared) get the fault\n"
    "                        KIND: silence, short, long, garbled, delay, negative (sensor) or\n"
    "                        over (calibrator: open thermocouple)\n"
    "  clear DEVICE          the device answers properly again\n"
    "  vanish DEVICE         its port disappears, as an unplugged adapter's does\n"
    "  restore DEVICE        its port comes back\n"
    "  tc off, tc on         the calibrator's thermocouple unplugged, plugged in\n"
    "  status                temperatures of the stage and the sample, the sensor's reading\n"
    "  quit                  stop serving\n";

struct Options {
    std::string linkDir = "/tmp/dilato-sim";
    double timeFactor = 1.0;
    dilato::sim::BenchParams bench;
};

Options Parse(const std::vector<std::string>& args) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            std::exit(0);
        }
        if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
        const std::string v = args[++i];
        if (a == "--link-dir")
            o.linkDir = v;
        else if (a == "--seed")
            o.bench.seed = std::stoull(v);
        else if (a == "--time-factor")
            o.timeFactor = std::stod(v);
        else if (a == "--tau")
            o.bench.stage.tauSeconds = std::stod(v);
        else if (a == "--material")
            o.bench.sample.setMaterial(dilato::sim::Material::Named(v));
        else if (a == "--length")
            o.bench.sample.lengthInches = std::stod(v);
        else if (a == "--contact")
            o.bench.sample.contactSeconds = std::stod(v);
        else if (a == "--diffusivity")
            o.bench.sample.diffusivity = std::stod(v) * 1e-6;
        else if (a == "--thermistor-slope")
            o.bench.stage.thermistorSlope = std::stod(v);
        else if (a == "--thermistor-offset")
            o.bench.stage.thermistorOffset = std::stod(v);
        else if (a == "--command-slope")
            o.bench.stage.commandSlope = std::stod(v);
        else if (a == "--command-offset")
            o.bench.stage.commandOffset = std::stod(v);
        else if (a == "--drift")
            o.bench.sample.driftMicronsPerHour = std::stod(v);
        else if (a == "--noise")
            o.bench.sample.noiseMicrons = std::stod(v);
        else if (a == "--ambient")
            o.bench.stage.ambient = std::stod(v);
        else
            throw std::invalid_argument("unknown option " + a);
    }
    if (o.timeFactor <= 0) throw std::invalid_argument("--time-factor must be positive");
    return o;
}

} // namespace

int main(int argc, char** argv) {
    using namespace dilato::sim;
    Options options;
    try {
        options = Parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::cerr << "dilato-sim: " << e.what() << "\n" << kUsage;
        return 2;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    const auto clock = dilato::MakeWallClock(options.timeFactor);
    SimInstruments sim(*clock, options.bench);
    PtyHost host(*clock, options.linkDir);
    struct Entry {
        const char* key;
        const char* com;
        SimDevice* device;
    };
    const Entry devices[] = {{"sensor", "COM1", &sim.sensor},
                             {"stage", "COM2", &sim.controller},
                             {"calibrator", "COM3", &sim.calibrator}};
    try {
        for (const Entry& e : devices)
            host.add(*e.device, e.com);
    } catch (const std::exception& e) {
        std::cerr << "dilato-sim: " << e.what() << "\n";
        return 1;
    }
    host.start();
    std::string ports;
    for (const Entry& e : devices) {
        std::cout << e.device->name() << ": " << host.path(*e.device) << " -> "
                  << host.terminal(*e.device) << "\n";
        ports += std::string(" --port ") + e.com + "=" + host.path(*e.device);
    }
    std::cout << "program options:" << ports << "\n"
              << "material " << options.bench.sample.expansion.name() << ", length "
              << options.bench.sample.lengthInches << " in, time factor " << options.timeFactor
              << "; type commands (fault, clear, vanish, restore, tc, status, quit)\n"
              << std::flush;

    const auto find = [&](const std::string& key) -> SimDevice* {
        for (const Entry& e : devices)
            if (key == e.key || key == e.com) return e.device;
        return nullptr;
    };
    std::string pending;
    while (!gStop) {
        pollfd in{STDIN_FILENO, POLLIN, 0};
        if (poll(&in, 1, 200) <= 0 || !(in.revents & (POLLIN | POLLHUP))) continue;
        char buffer[256];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            // Standard input closed: keep serving until a signal.
            while (!gStop)
                pause();
            break;
        }
        pending.append(buffer, static_cast<size_t>(n));
        size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            std::istringstream line(pending.substr(0, eol));
            pending.erase(0, eol + 1);
            std::string word, target, what;
            line >> word >> target >> what;
            SimDevice* device = find(target);
            if (word == "quit")
                gStop = 1;
            else if (word == "status") {
                host.withLock([&] {
                    sim.bench.advanceTo(dilato::sim::SimSeconds(*clock));
                    std::cout << "stage " << sim.bench.stageTemp() << " C, sample "
                              << sim.bench.sampleTemp() << " C, indicator "
                              << sim.bench.trueIndicatorMillimetres() << " mm\n";
                });
            } else if (word == "tc" && (target == "on" || target == "off")) {
                host.withLock([&] { sim.calibrator.thermocoupleConnected = target == "on"; });
                std::cout << "thermocouple " << target << "\n";
            } else if (!device) {
                std::cout << "unknown device '" << target << "' (sensor, stage, calibrator)\n";
            } else if (word == "fault") {
                const auto fault = FaultFromName(what);
                int count = -1;
                line >> count;
                if (!fault)
                    std::cout << "unknown fault '" << what << "'\n";
                else {
                    host.withLock([&] { device->inject(*fault, count); });
                    std::cout << device->name() << ": " << what << "\n";
                }
            } else if (word == "clear") {
                host.withLock([&] { device->clearFaults(); });
            } else if (word == "vanish") {
                host.vanish(*device);
                std::cout << device->name() << " gone\n";
            } else if (word == "restore") {
                std::cout << device->name() << " back on " << host.restore(*device) << " -> "
                          << host.terminal(*device) << "\n";
            } else {
                std::cout << "unknown command '" << word << "'\n";
            }
            std::cout << std::flush;
        }
    }
    host.stop();
    std::cout << "dilato-sim: stopped\n";
    return 0;
}
