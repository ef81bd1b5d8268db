#include "SimInstruments.h"

#include "SimSerialPort.h"

namespace dilato::sim {

SimInstruments::SimInstruments(const Clock& clock, BenchParams params)
    : bench(std::move(params), SimSeconds(clock)), controller(bench), sensor(bench),
      calibrator(bench) {}

} // namespace dilato::sim
