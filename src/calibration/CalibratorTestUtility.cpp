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
        WriteTcCalTextMsg(" ");
        WriteTcCalTextMsg("... looking for TC Calibrator on COM port ...");
        SetBusyPointer(op_, clock_, false);
        link_.setSearchStatus([this](const std::string& text) { WriteTcCalTextMsg(text); });
        std::string message;
        const bool found = link_.InitTCCalibrator(message);
        link_.setSearchStatus({});
        TcCommPortNum = found ? link_.links().calibratorComPort : 0;
        const int type = link_.CalibratorType();
        if (type == tccal::Martel8010 || type == tccal::Manual) {
            pollEnabled = found;
            link_.links().services().log.TestLog(message, TestLogKind::Calibrator);
        } else {
            pollEnabled = false;
        }
        WriteTcCalTextMsg(message);
        findEnabled = true;
        SetBusyPointer(op_, clock_, true);
        if (TcCommPortNum != 0 && autoExit_) {
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
    WriteTcCalTextMsg(" ... polling ...");
    SetBusyPointer(op_, clock_, false);
    float temp = 0.0f;
    std::string message;
    (void)link_.GetTcCalibratorTemp(temp, message);
    pollEnabled = true;
    SetBusyPointer(op_, clock_, true);
    WriteTcCalTextMsg(message);
}

void CalibratorTestUtility::Exit() {
    CalibratorFound = false;
    SetBusyPointer(op_, clock_, true);
    closed = true;
}

} // namespace dilato
