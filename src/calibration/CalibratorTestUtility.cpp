#include "calibration/CalibratorTestUtility.h"

#include "platform/Desktop.h"

namespace dilato {

void CalibratorTestUtility::Activate() {
    closed = false;
    CalibratorFound = false;
    TextStatus.clear();
    findEnabled = true;
    pollEnabled = false;
    if (autoExit_) Find();
}

void CalibratorTestUtility::Find() {
    try {
        findEnabled = false;
        WriteCalibratorMessage(" ");
        WriteCalibratorMessage("... looking for TC Calibrator on COM port ...");
        SetBusyPointer(op_, clock_, false);
        link_.setSearchStatus([this](const std::string& text) { WriteCalibratorMessage(text); });
        std::string message;
        const bool found = link_.InitCalibrator(message);
        link_.setSearchStatus({});
        calibratorPort = found ? link_.links().calibratorComPort : 0;
        const int type = link_.CalibratorType();
        if (type == tccal::Martel8010 || type == tccal::Manual) {
            pollEnabled = found;
            link_.links().services().log.TestLog(message, TestLogKind::Calibrator);
        } else {
            pollEnabled = false;
        }
        WriteCalibratorMessage(message);
        findEnabled = true;
        SetBusyPointer(op_, clock_, true);
        if (calibratorPort != 0 && autoExit_) {
            autoExit_ = false;
            CalibratorFound = true;
            closed = true;
        } else {
            autoExit_ = false;
        }
    } catch (const std::exception& e) {
        link_.setSearchStatus({});
        findEnabled = true;
        ReportError(op_, 0, "frmTcCalTest.OpenCommPort", e.what());
    }
}

void CalibratorTestUtility::Poll() {
    pollEnabled = false;
    WriteCalibratorMessage(" ... polling ...");
    SetBusyPointer(op_, clock_, false);
    float temp = 0.0f;
    std::string message;
    (void)link_.TakeCalibratorTemperature(temp, message);
    pollEnabled = true;
    SetBusyPointer(op_, clock_, true);
    WriteCalibratorMessage(message);
}

void CalibratorTestUtility::Exit() {
    CalibratorFound = false;
    SetBusyPointer(op_, clock_, true);
    closed = true;
}

} // namespace dilato
