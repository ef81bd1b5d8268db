// The Instr. Calibration and Setup Options tabs as widgets, offscreen: their controls show the
// models' state and the operator's changes reach the models. With DILATO_SCREENSHOT_DIR set,
// each tab is also saved as a picture there.

#include "../calibration/ScriptedDialogs.h"
#include "../core/CoreFakes.h"
#include "../core/SimulatedSetup.h"

#include "core/CalibrationSession.h"
#include "core/Program.h"
#include "platform/IniFile.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "ui/HelpViewer.h"
#include "ui/InstrCalibrationTab.h"
#include "ui/Looks.h"
#include "ui/SetupOptionsTab.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <cstdlib>

namespace dilato {
namespace {

class NoHelp final : public ui::HelpViewer {
  public:
    void showTopic(int topic) override { topics.push_back(topic); }
    std::vector<int> topics;
};

int argc = 1;
char appName[] = "test";
char* argv[] = {appName, nullptr};

struct WidgetBench {
    WidgetBench()
        : app(argc, argv), instruments(clock, Stage()), p1(board, clock), p2(board, clock), p3(board, clock),
          program(ProgramAdapters{clock, op, termination, comDialog, p1, p2, p3,
                                  dir.path() + "app/", dir.path() + "sys/", {}}) {
        ui::ApplyLooks(app);
        board.plug(1, instruments.sensor);
        board.plug(2, instruments.controller);
        board.plug(3, instruments.calibrator);
        EXPECT_TRUE(test::PrepareSimulatedTest(program, op, "T", "20/50/80/0/0/0/0/0/0", 3));
        program.params.SysParam(slot::TesterModel) = 300;
        program.params.SysParam(slot::CalibrationDate) = "06-01-2026";
        EXPECT_TRUE(program.discovery.EnumComPorts());
        program.StartInstruments();
    }
    static sim::BenchParams Stage() {
        sim::BenchParams b;
        b.stage.thermistorSlope = 1.02;
        b.stage.thermistorOffset = -0.8;
        b.stage.tauSeconds = 20;
        return b;
    }
    void Save(QWidget& w, const char* name) {
        const char* dirName = std::getenv("DILATO_SCREENSHOT_DIR");
        if (!dirName) return;
        w.resize(960, 620);
        w.show();
        app.processEvents();
        EXPECT_TRUE(w.grab().save(QString::fromUtf8(dirName) + "/" + name));
    }

    QApplication app;
    test::TempFolder dir;
    VirtualClock clock;
    test::RecordingOperator op;
    test::RecordingTermination termination;
    test::NoComDialog comDialog;
    sim::SimInstruments instruments;
    sim::SimPortBoard board;
    sim::SimSerialPort p1, p2, p3;
    Program program;
    NoHelp help;
    test::ScriptedDialogs dialogs;
};

template <class T> T* Child(QWidget& parent, const char* name) {
    T* w = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(CalibrationTabWidget, ShowsTheRunningCalibrationAndItsButtons) {
    WidgetBench b;
    ui::InstrCalibrationTab tab(ui::TabContext{b.program, b.help});
    tab.setDialogs(&b.dialogs);
    b.dialogs.type = tccal::Martel8010;
    tab.enterTab();
    QPushButton* cal = Child<QPushButton>(tab, "SonicClickCalBtn");
    QPushButton* howTo = Child<QPushButton>(tab, "SonicClickHowToBtn");
    ASSERT_TRUE(cal && howTo);
    EXPECT_TRUE(cal->isEnabled());
    EXPECT_EQ(cal->text(), "CAL");
    EXPECT_FALSE(Child<QPushButton>(tab, "SonicClickCalibTabHelpBtn")->isEnabled());
    EXPECT_EQ(Child<QLabel>(tab, "TestStatus1")->text(), "Ready");

    howTo->click();
    EXPECT_TRUE(Child<QPlainTextEdit>(tab, "txtMsg")->toPlainText().startsWith(
        "Stage Temperature Calibration:\n"));

    cal->click(); // the scripted type dialog answers Martel 8010; the search finds it on COM3
    b.clock.advance(150.0);
    tab.refresh();
    EXPECT_FALSE(cal->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(tab, "SonicClickTCCalTestBtn")->isEnabled());
    EXPECT_EQ(Child<QLabel>(tab, "TestStatus1")->text(), "Calibrating");
    EXPECT_FALSE(Child<QLineEdit>(tab, "txtBoxCalData0")->text().isEmpty());
    EXPECT_FALSE(Child<QLineEdit>(tab, "txtBoxCalData1")->text().isEmpty());
    b.Save(tab, "calibration-tab-running.png");

    while (tab.calibration().calibration.outcome == CalOutcome::None &&
           b.clock.elapsedSeconds() < 4 * 3600.0)
        b.clock.advance(1.0);
    tab.refresh();
    EXPECT_EQ(cal->text(), "DONE");
    EXPECT_FALSE(cal->isEnabled());
    EXPECT_TRUE(Child<QPushButton>(tab, "SonicClickCalibTabHelpBtn")->isEnabled());
    EXPECT_TRUE(tab.leaveTab(Tab::Test));
}

TEST(SetupOptionsTabWidget, LoadsTheParametersAndTheOperatorsChangesReachTheFile) {
    WidgetBench b;
    ui::SetupOptionsTab tab(ui::TabContext{b.program, b.help});
    tab.enterTab();
    QSpinBox* points = Child<QSpinBox>(tab, "UpDownNumPts");
    QSpinBox* fourth = Child<QSpinBox>(tab, "TempBatch3");
    ASSERT_TRUE(points && fourth);
    EXPECT_EQ(points->value(), 3);
    EXPECT_FALSE(fourth->isEnabled());
    EXPECT_EQ(fourth->minimum(), -10);
    EXPECT_EQ(fourth->maximum(), 90);
    points->setValue(4);
    EXPECT_TRUE(fourth->isEnabled());
    fourth->setValue(65);
    Child<QCheckBox>(tab, "CheckBoxCreatePDF")->setChecked(true);
    Child<QLineEdit>(tab, "TxtPassWord")->setText("Lab7"); // programmatic: not an edit
    b.Save(tab, "setup-options-tab.png");
    ASSERT_TRUE(tab.leaveTab(Tab::Test));
    const std::string file = b.program.paramFile.MainFileName();
    EXPECT_EQ(ReadIniValue(file, "SysParams", "Batch"), "20/50/80/65/0/0/0/0/0");
    EXPECT_EQ(ReadIniValue(file, "SysParams", "NumberOfBatchTests"), "4");
    EXPECT_EQ(ReadIniValue(file, "SysParams", "PDFdataWrite"), "1");
    EXPECT_EQ(ReadIniValue(file, "SysParams", "Password"), "Lab7");
}

} // namespace
} // namespace dilato
