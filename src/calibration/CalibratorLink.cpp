#include "calibration/CalibratorLink.h"

#include "platform/Format.h"
#include "platform/LeadingNumber.h"
#include "platform/Wait.h"

#include <algorithm>
#include <cmath>

namespace dilato {

namespace {
constexpr int kReadTries = 3;
constexpr double kAnswerSeconds = 2.25;
constexpr double kWakeSeconds = 0.75;
constexpr double kLowestReading = -35.0, kHighestReading = 105.0;
constexpr double kLargestDifference = 10.0;
constexpr const char* kEntryErrorTitle = "Data Entry Error";
} // namespace

void CalibratorLink::Send(const std::string& command) {
    SerialPort& port = s_.links.port(Link::Calibrator);
    port.output(command + "\r");
}

bool CalibratorLink::InitCalibrator(std::string& message) {
    InstrumentLinks& links = s_.links;
    LinkHost& host = links.services().host;
    try {
        if (host.TicksActive()) host.SuspendTicks();
        const std::vector<int> ports = s_.ComPorts ? s_.ComPorts() : std::vector<int>{};
        if (ports.size() < 3) {
            message = "Not enough comm ports available for Tc Calibrator link!";
            return false;
        }
        std::vector<int> range = ports;
        if (links.calibratorComPort != 0 &&
            std::find(ports.begin(), ports.end(), links.calibratorComPort) != ports.end())
            range = {links.calibratorComPort};
        const ComPortSettings& settings = links.services().ports;
        for (const int port : range) {
            // The instruments' own ports are never probed: the set-up commands would reach
            // the displacement sensor or the stage controller.
            if (port == settings.DisplacementComPort() || port == settings.TempStageComPort())
                continue;
            if (searchStatus_)
                searchStatus_("  ... searching for Tc Calibrator on COM port #" +
                              std::to_string(port) + " ...");
            links.calibratorComPort = port;
            if (links.OpenCommPort(true, Link::Calibrator) && SetupCalibrator()) {
                links.services().ports.SaveSettings();
                message = "Martel 8010 Calibrator found on COM Port #" + std::to_string(port);
                return true;
            }
            links.OpenCommPort(false, Link::Calibrator);
        }
        links.calibratorComPort = 0;
        message = "Tc Calibrator not found on COM Ports " + std::to_string(range.front()) + "-" +
                  std::to_string(range.back());
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

bool CalibratorLink::SetupCalibrator() {
    Clock& clock = s_.links.services().clock;
    try {
        WaitSeconds(clock, kWakeSeconds);
        WaitSeconds(clock, kWakeSeconds);
        for (const char* command : {"MEAS TC", "TSENS_TYPE TC", "TC_TYPE T", "CJC_STATE ON", "*IDN?"}) {
            Send(command);
            WaitSeconds(clock, kAnswerSeconds);
        }
        // The answers to the set-up commands are not read on their own: whatever they
        // produce stays in front of the identification.
        const std::string answer = s_.links.port(Link::Calibrator).input();
        if (answer.rfind("MARTEL", 0) != 0) return false;
        setCalibratorType(tccal::Martel8010);
        return true;
    } catch (const std::exception& e) {
        ShowMessage(s_.links.services().op,
                    std::string("Error in SetupTcCalibratorMartel8010: ") + e.what());
        return false;
    }
}

bool CalibratorLink::ReadCalibratorTemperature(float& temp, std::string& error) {
    if (s_.links.calibratorComPort == 0) return false;
    try {
        SerialPort& port = s_.links.port(Link::Calibrator);
        std::string answer;
        for (int attempt = 1; attempt <= kReadTries && answer.empty(); ++attempt) {
            Send("VAL?");
            WaitSeconds(s_.links.services().clock, kAnswerSeconds);
            answer = port.input();
        }
        if (answer.empty()) return false;
        if (answer.find("OVER") != std::string::npos) {
            error = "Error: Thermocouple disconnected";
            return false;
        }
        temp = static_cast<float>(LeadingNumber(answer));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CalibratorLink::TakeCalibratorTemperature(float& temp, std::string& message) {
    std::string error;
    const bool ok = ReadCalibratorTemperature(temp, error);
    if (!error.empty())
        message = error;
    else
        message = std::string(ok ? "TC Calibrator temperature-read successful: "
                                 : "Problem reading Tc Calibrator temperature: ") +
                  FormatSingle(temp, "0.00") + "\xC2\xB0" "C";
    s_.links.services().log.TestLog(message, TestLogKind::Calibrator);
    return ok;
}

bool CalibratorLink::ManualCalibratorEntry(float& temp) {
    Operator& op = s_.links.services().op;
    for (;;) {
        const int commanded = s_.links.CommandedTemp();
        const float t = static_cast<float>(
            LeadingNumber(s_.dialogs.AskThermocoupleReading(commanded)));
        const std::string shown = FormatSingle(t, "0.0") + "\xC2\xB0" "C";
        if (t < kLowestReading || t > kHighestReading) {
            ShowMessage(op, "Error:  Tc temperature of " + shown + " is invalid. Try again.",
                        kEntryErrorTitle, MessageIcon::Critical);
            continue;
        }
        if (std::fabs(t - static_cast<float>(commanded)) > kLargestDifference) {
            ShowMessage(op,
                        "Error:  The reported Tc temperature of " + shown +
                            " versus the stage temperature of " + FormatNumber(commanded, "#") +
                            "Try again.",
                        kEntryErrorTitle, MessageIcon::Critical);
            continue;
        }
        temp = t;
        return true;
    }
}

bool SelectCalibratorType(CalibratorLink& link, Operator& op) {
    const int current = link.CalibratorType();
    const int shown =
        current == tccal::Martel8010 || current == tccal::Manual ? current : tccal::Martel8010;
    const std::optional<int> chosen = link.dialogs().ChooseCalibratorType(shown);
    if (!chosen) return false;
    if (*chosen != current) {
        const MessageAnswer a = op.show(Message{"Do you really want to change the Tc Calibrator Type?",
                                                "Tc Calibrator Change Alert", MessageIcon::Question,
                                                MessageButtons::YesNo, 0});
        if (a == MessageAnswer::Yes) link.setCalibratorType(*chosen);
    }
    return true;
}

} // namespace dilato
