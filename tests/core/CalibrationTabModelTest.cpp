// The Instr. Calibration tab's buttons and looks, driven without a display.

#include "calibration/CalibrationBench.h"

#include "platform/Files.h"
#include "platform/ProgramEnd.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

using test::CalibrationBench;

TEST(CalibrationTabModel, EnteringMakesTheReadyLookAndCreatesNoRecord) {
    CalibrationBench b;
    b.cal.view.messageText = "old";
    b.cal.tab.EnterInstCalib();
    b.cal.tab.EnterInstCalib();
    const auto& v = b.cal.view;
    EXPECT_TRUE(b.program.session.run.CalibrationMode);
    EXPECT_EQ(b.program.session.run.testState, state::StepStart);
    EXPECT_EQ(b.program.session.window.view().statusText[1], "Ready");
    EXPECT_TRUE(v.cal.enabled);
    EXPECT_EQ(v.cal.caption, "CAL");
    EXPECT_TRUE(v.stopEnabled);
    EXPECT_FALSE(v.helpEnabled);
    EXPECT_TRUE(v.messageText.empty());
    EXPECT_FALSE(IsDirectory(b.program.folders.SysFolder + "Calib-1234"));

    b.cal.tab.HowTo();
    EXPECT_EQ(b.cal.view.messageText.substr(0, 32), "Stage Temperature Calibration:\r\n");
    EXPECT_TRUE(b.cal.view.howToShown);

    ASSERT_TRUE(b.cal.tab.LeaveInstCalib());
    EXPECT_FALSE(b.program.session.run.CalibrationMode);
    EXPECT_EQ(b.program.session.run.testState, state::Idle);
}

TEST(CalibrationTabModel, CalStartsNothingWhenCancelledUnknownDoneOrRunning) {
    CalibrationBench b;
    b.cal.tab.EnterInstCalib();
    b.dialogs.type.reset();
    b.cal.tab.Cal();
    EXPECT_EQ(b.cal.calibration.CalRunState, calrun::Idle) << "type dialog cancelled";
    b.dialogs.type = 5;
    b.op.queueAnswer(MessageAnswer::Yes);
    b.cal.tab.Cal();
    EXPECT_EQ(b.cal.calibration.CalRunState, calrun::Idle) << "no such calibrator type";
    EXPECT_FALSE(b.program.links.TestModeOn());

    b.dialogs.type = tccal::Manual;
    b.op.queueAnswer(MessageAnswer::Yes);
    b.cal.tab.Cal();
    EXPECT_EQ(b.cal.calibration.CalRunState, calrun::Running);
    EXPECT_EQ(b.cal.calibration.CalPhase, calphase::Starting);
    EXPECT_TRUE(b.program.links.TestModeOn());
    EXPECT_FALSE(b.cal.view.cal.enabled);
    EXPECT_FALSE(b.cal.view.tcTestEnabled);
    const size_t shown = b.dialogs.typeShownWith.size();
    b.cal.tab.Cal();
    EXPECT_EQ(b.dialogs.typeShownWith.size(), shown) << "a running calibration ignores CAL";

    b.cal.calibration.CalRunState = calrun::Idle;
    b.cal.calibration.CalDone = true;
    b.cal.tab.Cal();
    EXPECT_EQ(b.dialogs.typeShownWith.size(), shown) << "a done calibration ignores CAL";
}

TEST(CalibrationTabModel, AStoppedCalibrationStaysInFrontWithHowToBack) {
    CalibrationBench b;
    b.program.session.window.view().currentTab = Tab::Calibration; // as the tab switch sets it
    b.cal.tab.EnterInstCalib();
    b.dialogs.type = tccal::Manual;
    b.op.queueAnswer(MessageAnswer::Yes);
    b.cal.tab.Cal();
    ASSERT_EQ(b.cal.calibration.CalRunState, calrun::Running);
    EXPECT_FALSE(b.cal.view.howToEnabled);
    b.op.queueAnswer(MessageAnswer::Yes); // "Do you want to exit?"
    b.cal.tab.Stop();
    EXPECT_TRUE(b.program.session.window.view().tabEnabled[TabIndex(Tab::Calibration)])
        << "the window must not leave the tab for the Test tab";
    EXPECT_TRUE(b.cal.view.howToEnabled);
    EXPECT_TRUE(b.cal.view.helpEnabled);
}

TEST(CalibrationTabModel, NoCalibratorOnTheSerialPortsSuspendsTheStart) {
    CalibrationBench b;
    b.board.vanish(3);
    b.cal.tab.EnterInstCalib();
    b.cal.tab.Cal();
    EXPECT_EQ(b.dialogs.utilityShown, 1);
    EXPECT_EQ(b.cal.view.messageText, " ... Search for Tc Calibrator serial link suspended ...");
    EXPECT_EQ(b.cal.calibration.CalRunState, calrun::Idle);
    EXPECT_FALSE(b.program.links.TestModeOn());
}

TEST(CalibrationTabModel, BrowseOpensTheRecordFolderWhenThereIsOne) {
    CalibrationBench b;
    b.cal.tab.Browse();
    EXPECT_TRUE(b.opened.empty());
    EXPECT_EQ(b.op.last().text, "No Calibration Data found for this Instrument!");
    b.cal.record.WriteCalFile(" ");
    b.cal.tab.Browse();
    ASSERT_EQ(b.opened.size(), 1u);
    EXPECT_EQ(b.opened[0], b.program.folders.SysFolder + "Calib-1234");

    // The factory serial number 0: Browse finds the record the calibration wrote.
    b.program.params.SysParam(slot::SerialNumber) = 0;
    b.cal.record.StartRecord(false);
    b.cal.record.WriteCalFile(" ");
    b.cal.tab.Browse();
    ASSERT_EQ(b.opened.size(), 2u) << b.op.last().text;
    EXPECT_EQ(b.opened[1], b.program.folders.SysFolder + "Calib-0");
}

} // namespace
} // namespace dilato
