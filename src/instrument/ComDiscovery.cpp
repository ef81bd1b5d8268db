#include "instrument/ComDiscovery.h"

#include "platform/Desktop.h"

namespace dilato {

namespace {

bool SkipsPort(int number) {
    return number == serial_error::InvalidPortNumber || number == serial_error::PortAlreadyOpen ||
           number == serial_error::PortNotOpen || number == serial_error::SetStateFailed;
}

bool AskForConfiguration(Operator& op, const std::string& caption, const std::string& question,
                         bool atStartUp) {
    const MessageAnswer a =
        op.show(Message{question + "\n\n" + (atStartUp ? kDemoModeNote : kDemoModeSwitchNote),
                        caption, MessageIcon::Exclamation, MessageButtons::YesNo, 0});
    return a == MessageAnswer::Yes;
}

} // namespace

bool ComDiscovery::EnumComPorts() {
    comPorts_.clear();
    try {
        SerialPort& p = links_.port(Link::Displacement);
        for (int n = kLowestComPort; n <= kHighestComPort; ++n) {
            try {
                p.setCommPort(n);
                p.setPortOpen(true);
            } catch (const SerialError& e) {
                if (SkipsPort(e.number())) continue;
                throw;
            }
            p.setPortOpen(false);
            comPorts_.push_back(n);
            links_.services().log.TestLog("Serial Port COM " + std::to_string(n) + " found",
                                          TestLogKind::Status);
        }
    } catch (const std::exception& e) {
        ReportError(links_.services().op, 0, "modIO.EnumComPorts", e.what());
        return false;
    }
    return !comPorts_.empty();
}

void ComDiscovery::CheckInstrumentLinks(bool atStartUp) {
    Operator& op = links_.services().op;
    if (!links_.ReadDisplacement()) {
        if (AskForConfiguration(op, "Displacement Sensor COM Error",
                                "COM error with displacement sensor, would you like to run the COM "
                                "configuration utility?",
                                atStartUp))
            dialog_.ShowSystemComError();
        else
            links_.setDemoMode();
    }
    // In demo mode (chosen just now or earlier) the controller read succeeds without
    // traffic, so the second question comes only while the links are still in use.
    if (!links_.ReadStageTemperature(0, true, false)) {
        if (AskForConfiguration(op, "Temp-Stage COM Error",
                                "COM error with Temp-Stage controller, would you like to run "
                                "the COM configuration utility?",
                                atStartUp))
            dialog_.ShowSystemComError();
        else
            links_.setDemoMode();
    }
}

} // namespace dilato
