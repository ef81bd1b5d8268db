// The displacement sensor on link 1: one measurement per call.

#include "instrument/InstrumentLinks.h"
#include "instrument/InstrumentModels.h"

#include "platform/Wait.h"

namespace dilato {

namespace {
constexpr int kReadTries = 4;
} // namespace

bool InstrumentLinks::ReadDisplacement() {
    if (demoMode_) return true;
    WaitLinkFree();
    linkBusy_ = true;
    struct Free {
        bool& busy;
        ~Free() { busy = false; }
    } free{linkBusy_};

    SerialPort& p = port(Link::Displacement);
    for (int attempt = 1; attempt <= kReadTries; ++attempt) {
        OpenCommPort(true, Link::Displacement);
        std::string answer;
        try {
            p.output(kDisplacementSensor.command); // a link that did not open fails here
            const double sent = s_.clock.secondsSinceMidnight();
            PauseSeconds(s_.clock, 0.5);
            // Wait for the whole answer: stopping at 16 characters would reject an answer
            // whose last character was still on the line.
            Collect(p, answer, kDisplacementSensor.replyLength, WaitDeadline(sent, 2.0), true);
        } catch (const SerialError&) {
            answer.clear();
        }
        if (const auto inches = kDisplacementSensor.parse(answer)) {
            indicatorReading_ = static_cast<float>(*inches);
            return true;
        }
        OpenCommPort(false, Link::Displacement);
    }
    return false;
}

} // namespace dilato
