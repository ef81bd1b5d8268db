// Replies of both instruments as arbitrary bytes: the Temp-Stage and displacement decoders, the
// line settings text, and the simulated controller taking the input as what a program sends
// it (every answer it gives is eight characters). Nothing may crash or read out of bounds.

#include "instrument/SensorProtocol.h"
#include "instrument/SerialPort.h"
#include "instrument/TeProtocol.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"

#include <cstdint>
#include <string>

using namespace dilato;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string data(reinterpret_cast<const char*>(bytes), size);
    try {
        (void)DecodeTeTemperature(data);
    } catch (const ConversionError&) {
    }
    (void)ParseSensorReply(data);
    try {
        (void)ParseLineSettings(data);
    } catch (const SerialError&) {
    }

    // The simulated controller hears the input as frames.
    dilato::VirtualClock clock;
    dilato::sim::SimInstruments sim(clock, dilato::sim::BenchParams{});
    sim.controller.receive(data, 0.0, 230400);
    const std::string out = sim.controller.takeDue(1e9);
    if (out.size() % dilato::kTeReplyLength != 0) __builtin_trap(); // every answer is 8 long

    return 0;
}
