#include "SimInstruments.h"

#include "SimSerialPort.h"

namespace dilato::sim {

SimInstruments::SimInstruments(const Clock& clock, BenchParams params)
    : BenchInstruments(std::move(params), SimSeconds(clock)) {}

} // namespace dilato::sim
