#pragma once
// The three serial ports of a run: the simulated bench served in-process, the simulated bench
// behind pseudo-terminals (so that the real serial adapter talks to it byte for byte), or the
// real devices of the settings file's COM port map with the --port overrides.

#include "ProgramOptions.h"

#include "instrument/PortMap.h"
#include "instrument/SerialPort.h"
#include "platform/Clock.h"

#include <QTemporaryDir>

#include <memory>
#include <string>

namespace dilato::sim {
class SimInstruments;
class SimPortBoard;
class PtyHost;
} // namespace dilato::sim

namespace dilato::app {

enum class SimulatedLine { InProcess, PseudoTerminal };

struct ProgramPorts {
    ProgramPorts();
    ~ProgramPorts();
    ProgramPorts(const ProgramPorts&) = delete;
    ProgramPorts& operator=(const ProgramPorts&) = delete;

    std::unique_ptr<sim::SimInstruments> simulated; // empty with real instruments
    std::unique_ptr<sim::SimPortBoard> board;
    std::unique_ptr<QTemporaryDir> linkFolder;
    std::unique_ptr<sim::PtyHost> host;
    PortMap map;
    std::unique_ptr<SerialPort> displacement, tempStage, calibrator;
};

// The COM ports the simulated instruments answer on.
inline constexpr int kSimulatedSensorPort = 1;
inline constexpr int kSimulatedStagePort = 2;
inline constexpr int kSimulatedCalibratorPort = 3;

// `lengthInches`: the sample length the operator will enter (the simulated sample's length
// unless the simulation names one; 0: unknown).
[[nodiscard]] std::unique_ptr<ProgramPorts> MakePorts(const ProgramOptions& options, Clock& clock,
                                                      const std::string& systemFolder,
                                                      double lengthInches, SimulatedLine line);

} // namespace dilato::app
