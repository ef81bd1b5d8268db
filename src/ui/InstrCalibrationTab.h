#pragma once
// The "Instr. Calibration" tab: the stage calibration's readings and messages, CAL, How To...,
// Stop, Browse, TC Cal Test, help and the hour meter, over the calibration tab's model. The
// tab builds the calibration on the program and hooks it into the tick's calibration mode.

#include "calibration/CalibrationDialogs.h"
#include "ui/CalibrationWindows.h"
#include "ui/MainTab.h"

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace dilato {
class CalibrationSession;
}

namespace dilato::ui {

class InstrCalibrationTab final : public MainTab {
  public:
    explicit InstrCalibrationTab(TabContext context, QWidget* parent = nullptr);
    ~InstrCalibrationTab() override;

    void enterTab() override;
    [[nodiscard]] bool leaveTab(Tab newTab) override;
    void refresh() override;

    // Another set of dialogs (scripted answers in tests); null returns to the Qt windows.
    void setDialogs(CalibrationDialogs* dialogs) { dialogs_.other = dialogs; }
    [[nodiscard]] CalibrationSession& calibration() { return *session_; }

  private:
    // Sends each dialog to the Qt windows or to their replacement.
    struct DialogSwitch final : CalibrationDialogs {
        explicit DialogSwitch(QtCalibrationDialogs& qt) : qt(qt) {}
        CalibrationDialogs& use() { return other ? *other : qt; }
        std::optional<int> ChooseCalibratorType(int s) override { return use().ChooseCalibratorType(s); }
        std::string AskThermocoupleReading(int t) override { return use().AskThermocoupleReading(t); }
        CalibratorIdentity AskCalibratorIdentity() override { return use().AskCalibratorIdentity(); }
        void ShowCalibratorTest(CalibratorTestUtility& u) override { use().ShowCalibratorTest(u); }
        QtCalibrationDialogs& qt;
        CalibrationDialogs* other = nullptr;
    };

    void Connect();

    QtCalibrationDialogs qtDialogs_;
    DialogSwitch dialogs_;
    std::unique_ptr<CalibrationSession> session_;
    std::array<QLineEdit*, 2> data_{};
    QPlainTextEdit* message_ = nullptr;
    QLabel* inProgress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* hobbs_ = nullptr;
    QPushButton* cal_ = nullptr;
    QPushButton* chart_ = nullptr; // the reference runs' control chart
    QPushButton* howTo_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* tcTest_ = nullptr;
    QPushButton* help_ = nullptr;
};

} // namespace dilato::ui
