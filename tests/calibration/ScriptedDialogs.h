#pragma once
// The calibration's dialogs answered from a script: the calibrator type, the manual readings
// in order (each recorded with the set point it was asked at), the calibrator identification,
// and the test utility, which is activated and closed as an operator who only watches it would.

#include "calibration/CalibrationDialogs.h"
#include "calibration/CalibratorTestUtility.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace dilato::test {

class ScriptedDialogs final : public CalibrationDialogs {
  public:
    std::optional<int> ChooseCalibratorType(int selected) override {
        typeShownWith.push_back(selected);
        return type;
    }
    std::string AskThermocoupleReading(int commandedTemp) override {
        askedAt.push_back(commandedTemp);
        if (onReading) onReading();
        if (readings.empty()) return std::to_string(commandedTemp);
        std::string r = readings.front();
        readings.pop_front();
        return r;
    }
    CalibratorIdentity AskCalibratorIdentity() override {
        ++identificationAsked;
        return identity;
    }
    void ShowCalibratorTest(CalibratorTestUtility& utility) override {
        ++utilityShown;
        utility.Activate();
        if (!utility.closed) utility.Exit();
    }

    std::optional<int> type = tccal::Martel8010;
    std::function<void()> onReading; // runs as each manual reading is asked
    std::deque<std::string> readings;
    CalibratorIdentity identity{"  SN-4711", "C-2026-118"};
    std::vector<int> typeShownWith, askedAt;
    int identificationAsked = 0, utilityShown = 0;
};

} // namespace dilato::test
