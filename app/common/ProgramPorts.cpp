#include "ProgramPorts.h"

#include "instrument/QtSerialPort.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#ifdef Q_OS_UNIX
#include "sim/PtyHost.h"
#endif

#include <stdexcept>

namespace dilato::app {

ProgramPorts::ProgramPorts() = default;

ProgramPorts::~ProgramPorts() {
    // The program's ports close before the terminals behind them go.
    displacement.reset();
    tempStage.reset();
    calibrator.reset();
#ifdef Q_OS_UNIX
    if (host) host->stop();
#endif
}

namespace {

sim::BenchParams Bench(const SimulationOptions& s, double lengthInches) {
    sim::BenchParams bench;
    bench.sample.setMaterial(sim::Material::Named(s.material));
    if (s.cte) bench.sample.expansion = sim::ExpansionCurve(*s.cte);
    if (s.diffusivity) bench.sample.diffusivity = *s.diffusivity * 1e-6; // mm^2/s to m^2/s
    if (s.contact) bench.sample.contactSeconds = *s.contact;
    bench.sample.lengthInches = s.lengthInches.value_or(lengthInches > 0 ? lengthInches : 2.0);
    if (s.seed) bench.seed = *s.seed;
    bench.sample.driftMicronsPerHour = s.driftMicronsPerMinute * 60.0;
    bench.sample.gainDriftPerMonth = s.gainDriftPerMonth;
    bench.sample.driftDays = s.agedDays;
    sim::StageParams& stage = bench.stage;
    stage.thermistorSlope = s.thermistorSlope.value_or(stage.thermistorSlope);
    stage.thermistorOffset = s.thermistorOffset.value_or(stage.thermistorOffset);
    stage.commandSlope = s.commandSlope.value_or(stage.commandSlope);
    stage.commandOffset = s.commandOffset.value_or(stage.commandOffset);
    stage.tauSeconds = s.tau.value_or(stage.tauSeconds);
    return bench;
}

void RealPorts(ProgramPorts& ports) {
    ports.displacement = std::make_unique<QtSerialPort>(ports.map);
    ports.tempStage = std::make_unique<QtSerialPort>(ports.map);
    ports.calibrator = std::make_unique<QtSerialPort>(ports.map);
}

} // namespace

std::unique_ptr<ProgramPorts> MakePorts(const ProgramOptions& o, Clock& clock,
                                        const std::string& systemFolder, double lengthInches,
                                        SimulatedLine line) {
    auto ports = std::make_unique<ProgramPorts>();
    if (!o.simulate) {
        ports->map.load(systemFolder + "Dilato.ini");
        for (const auto& text : o.portOverrides) {
            const auto entry = ParsePortOverride(text);
            if (!entry)
                throw std::invalid_argument("--port needs COMn=DEVICE, not \"" + text + "\"");
            ports->map.set(entry->first, entry->second);
        }
        RealPorts(*ports);
        return ports;
    }
    ports->simulated =
        std::make_unique<sim::SimInstruments>(clock, Bench(*o.simulate, lengthInches));
    sim::SimInstruments& s = *ports->simulated;
    for (const std::string& device : o.simulate->silent)
        (device == "sensor" ? static_cast<sim::SimDevice&>(s.sensor) : s.controller)
            .inject(sim::Fault::Silence);
    const double start = sim::SimSeconds(clock);
    for (const auto& outage : o.simulate->outages)
        (outage.device == "sensor" ? static_cast<sim::SimDevice&>(s.sensor) : s.controller)
            .silenceBetween(start + outage.at, start + outage.at + outage.seconds);
    if (line == SimulatedLine::InProcess) {
        ports->board = std::make_unique<sim::SimPortBoard>();
        ports->board->plug(kSimulatedSensorPort, s.sensor);
        ports->board->plug(kSimulatedStagePort, s.controller);
        ports->board->plug(kSimulatedCalibratorPort, s.calibrator);
        ports->displacement = std::make_unique<sim::SimSerialPort>(*ports->board, clock);
        ports->tempStage = std::make_unique<sim::SimSerialPort>(*ports->board, clock);
        ports->calibrator = std::make_unique<sim::SimSerialPort>(*ports->board, clock);
        return ports;
    }
#ifdef Q_OS_UNIX
    ports->linkFolder = std::make_unique<QTemporaryDir>();
    if (!ports->linkFolder->isValid())
        throw std::runtime_error("no temporary folder for the simulated instruments' terminals");
    ports->host = std::make_unique<sim::PtyHost>(clock, ports->linkFolder->path().toStdString());
    // Every other COM number leads nowhere, so that only the simulated instruments answer.
    for (int com = 1; com <= 16; ++com)
        ports->map.set(com, {});
    const struct {
        int com;
        sim::SimDevice& device;
    } devices[] = {{kSimulatedSensorPort, s.sensor},
                   {kSimulatedStagePort, s.controller},
                   {kSimulatedCalibratorPort, s.calibrator}};
    for (const auto& d : devices)
        ports->map.set(d.com, ports->host->add(d.device, "COM" + std::to_string(d.com)));
    ports->host->start();
    RealPorts(*ports);
    return ports;
#else
    throw std::invalid_argument("simulated instruments on terminals need a POSIX system");
#endif
}

} // namespace dilato::app
