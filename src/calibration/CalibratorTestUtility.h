#pragma once
// The calibrator test utility ("TC Calibrator Test Utility", `frmTcCalTest`) as plain state:
// the operator finds the calibrator on the COM ports and polls a reading. The CAL button also
// opens it to search by itself and close when the calibrator is found.

#include "calibration/CalibratorLink.h"

#include <string>

namespace dilato {

class CalibratorTestUtility {
  public:
    CalibratorTestUtility(CalibratorLink& link, Operator& op, Clock& clock)
        : link_(link), op_(op), clock_(clock) {}

    // The window's steps and buttons.
    void Activate();
    void Find();  // `SonicClickFindTCCalibratorBtn`
    void Poll();  // `SonicClickPollTempBtn`
    void Exit();  // the Exit button
    // The next activation searches at once and closes when a calibrator is found.
    void SetAutoExit() { autoExit_ = true; }
    // Replaces the status box text (the search reports its port here).
    void WriteCalibratorMessage(const std::string& text) { TextStatus = text; }

    // What the window shows.
    std::string TextStatus;
    bool findEnabled = true;
    bool pollEnabled = false;
    bool closed = false;       // the window has asked to close
    bool CalibratorFound = false;
    int calibratorPort = 0;

  private:
    CalibratorLink& link_;
    Operator& op_;
    Clock& clock_;
    bool autoExit_ = false;
};

} // namespace dilato
