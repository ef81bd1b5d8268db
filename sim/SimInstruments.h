#pragma once
// The simulated instruments on the program's clock: the bench starts at the clock's present
// moment, and the serial plugs (SimSerialPort, PtyHost) hand them the clock's time.

#include "BenchInstruments.h"

#include "platform/Clock.h"

namespace dilato::sim {

class SimInstruments : public BenchInstruments {
  public:
    SimInstruments(const Clock& clock, BenchParams params);
};

} // namespace dilato::sim
