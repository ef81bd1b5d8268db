#include "core/WindowTexts.h"

#include "platform/Format.h"
#include "platform/Version.h"
#include "update/Signature.h"
#include "report/TestReport.h"

namespace dilato {

std::string MainWindowTitle(bool demoMode) {
    std::string title = "Norvane Dilato Software v" + std::to_string(kVersionMajor) + "." +
                        std::to_string(kVersionMinor) + "." + std::to_string(kVersionRevision);
    if (demoMode) title += kDemoModeMark;
    return title;
}

CalibrationDue CalibrationDueText(std::string& calibrationDate, const QDate& today) {
    if (calibrationDate.empty()) calibrationDate = kNoCalibrationDate;
    QDate date = ParseDateMDY(calibrationDate);
    if (!date.isValid()) date = ParseDateMDY(kNoCalibrationDate);
    const qint64 remaining = kCalibrationIntervalDays - date.daysTo(today);
    if (remaining < kCalibrationWarningDays) return {"Calibration DUE!", true};
    return {"Days Remaining to Calibration: " + std::to_string(remaining), false};
}

std::string LastCalibrationText(const std::string& calibrationDate) {
    return "Date of Last System Calibration: " + calibrationDate;
}

std::string AboutVersionText(int thisYear) {
    return std::string("Dilato v") + kVersionText + "\n" + "Copyright \xC2\xA9 2006-" +
           std::to_string(thisYear) + " Norvane Instruments. All rights reserved.\n" +
           (UpdatesEnabledInThisBuild() ? std::string("Updates: ") + kMakerWebAddress
                                        : std::string("Updates: updates disabled in this build"));
}

} // namespace dilato
