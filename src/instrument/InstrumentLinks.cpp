// The routines every link shares: opening and closing, the link-free wait, input collection.

#include "instrument/InstrumentLinks.h"

#include "platform/Wait.h"

#include <chrono>
#include <thread>

namespace dilato {

namespace {

bool IgnoredWhileOpening(int number) {
    return number == serial_error::InvalidPortNumber || number == serial_error::PortAlreadyOpen ||
           number == serial_error::PortNotOpen;
}

} // namespace

InstrumentLinks::InstrumentLinks(LinkServices services, SerialPort& displacement,
                                 SerialPort& tempStage, SerialPort& calibrator)
    : s_(std::move(services)), ports_{&displacement, &tempStage, &calibrator} {
    if (!s_.blockingPause) {
        Clock& clock = s_.clock;
        s_.blockingPause = [&clock](double seconds) {
            const double factor = clock.timeFactor();
            if (factor <= 0) return; // a clock that does not follow the wall
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds / factor));
        };
    }
}

SerialPort& InstrumentLinks::port(Link link) {
    switch (link) {
    case Link::Displacement: return *ports_[0];
    case Link::TempStage: return *ports_[1];
    case Link::Calibrator: return *ports_[2];
    default: throw std::out_of_range("Subscript out of range");
    }
}

int InstrumentLinks::configuredPort(Link link) const {
    switch (link) {
    case Link::Displacement:
        return s_.ports.DisplacementComPort();
    case Link::TempStage:
        return s_.ports.TempStageComPort();
    default:
        return calibratorComPort;
    }
}

void InstrumentLinks::openConfigured(SerialPort& p, int comPort, std::string_view settings) {
    // Each step may fail with "invalid port", "already open" or "not open"; the link then
    // simply does not open, and the caller's exchange finds it closed.
    const auto step = [](auto&& action) {
        try {
            action();
            return true;
        } catch (const SerialError& e) {
            if (!IgnoredWhileOpening(e.number())) throw;
            return false;
        }
    };
    step([&] { p.setInputMode(InputMode::Text); });
    // A port number that cannot be set (0: not assigned) must not leave the port to open on
    // whatever number it held before.
    if (!step([&] { p.setCommPort(comPort); })) return;
    step([&] { p.setSettings(settings); });
    step([&] { p.setInputLen(0); });
    step([&] { p.setPortOpen(true); });
}

// Open, links 1 to 3: succeed when the link is open on its configured port; a link open on
// another port (the operator chose a new one) is closed first. Then configure the link's line
// (InstrumentModels: "9600,N,8,1" for all three), text mode, whole input, and open; a link
// whose line has a rate of its own (link 2: 230400 baud) is then switched to it, and a
// refusal closes it again. The result tells whether the link is open. Open, all links: nothing to
// do. Close, links 1 to 3: false when the link was not open. Close, all links: every open
// link. Failures other than the three ignored while opening give false without a message.
bool InstrumentLinks::OpenCommPort(bool open, Link link) {
    try {
        const bool known = LinkLineOf(link).has_value();
        if (!open) {
            if (!known) {
                for (SerialPort* p : ports_)
                    if (p->portOpen()) p->setPortOpen(false);
                return true;
            }
            SerialPort& p = port(link);
            if (!p.portOpen()) return false;
            p.setPortOpen(false);
            return true;
        }
        if (!known) return true;
        SerialPort& p = port(link);
        const int wanted = configuredPort(link);
        if (p.portOpen()) {
            if (p.commPort() == wanted) return true;
            p.setPortOpen(false);
        }
        const LinkLine line = *LinkLineOf(link);
        openConfigured(p, wanted, line.settings);
        if (line.rate > 0) {
            try {
                p.setBaudRate(line.rate);
            } catch (const SerialError&) {
                if (p.portOpen()) p.setPortOpen(false);
                return false;
            }
        }
        return p.portOpen();
    } catch (const std::exception&) {
        return false;
    }
}

void InstrumentLinks::WaitLinkFree() {
    // The wait does not yield, so nothing can clear a flag that is set on entry: it always
    // costs the whole bound.
    if (!linkBusy_) return;
    s_.blockingPause(kLinkFreeWaitSeconds);
}

void InstrumentLinks::Collect(SerialPort& p, std::string& into, size_t want, long deadline,
                              bool whileOpen) {
    // The wait sleeps until the port has data (or the clock's next step, on the virtual
    // clock); nothing else of the program runs inside it.
    (void)PauseUntil(s_.clock, deadline, [&] {
        if (whileOpen && !p.portOpen()) return true;
        into += p.input();
        return into.size() >= want;
    });
}

} // namespace dilato
