#pragma once
// The texts of the main window and the About box that follow from plain values: the title
// with its demo-mode mark, the calibration-due text of the status bar, the serial number
// field and the About box's version lines.

#include <QDate>

#include <string>

namespace dilato {

inline constexpr const char* kDemoModeMark = "  >>> Demo Mode <<<    ";
inline constexpr int kCalibrationIntervalDays = 180;
inline constexpr int kCalibrationWarningDays = 5;
inline constexpr const char* kNoCalibrationDate = "01-01-2000";

// "Norvane Dilato Software v1.0.0", with the demo-mode mark appended in demo mode.
[[nodiscard]] std::string MainWindowTitle(bool demoMode);

struct CalibrationDue {
    std::string text;     // status bar panel 2
    bool overdue = false; // `CalibrationOverdue`; the "Out-of-Calibration" label shows
};
// The days left of the calibration interval from the calibration date (month-day-year) to
// `today`. An empty date becomes kNoCalibrationDate in place; a date that cannot be read
// counts as that date as well, so that an unknown calibration is always due.
[[nodiscard]] CalibrationDue CalibrationDueText(std::string& calibrationDate, const QDate& today);

// Status bar panel 1.
[[nodiscard]] std::string LastCalibrationText(const std::string& calibrationDate);

// The About box's three version lines, the rights years running to `thisYear`.
[[nodiscard]] std::string AboutVersionText(int thisYear);

} // namespace dilato
