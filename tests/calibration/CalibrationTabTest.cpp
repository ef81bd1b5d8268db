// The Instr. Calibration tab's buttons and looks, and the Setup Options tab's round trip
// into the parameter file, driven without a display.

#include "CalibrationBench.h"

#include "core/SetupOptionsModel.h"
#include "platform/Files.h"
#include "platform/ProgramEnd.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

using test::CalibrationBench;

TEST(CalibrationTab, EnteringMakesTheReadyLookAndCreatesNoRecord) {
    CalibrationBench b;
    b.cal.view.txtMsg = "old";
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
    EXPECT_TRUE(v.txtMsg.empty());
    EXPECT_FALSE(IsDirectory(b.program.folders.SysFolder + "Calib-1234"));

    b.cal.tab.HowTo();
    EXPECT_EQ(b.cal.view.txtMsg.substr(0, 32), "Stage Temperature Calibration:\r\n");
    EXPECT_TRUE(b.cal.view.mbHowToDisplayed);

    ASSERT_TRUE(b.cal.tab.LeaveInstCalib());
    EXPECT_FALSE(b.program.session.run.CalibrationMode);
    EXPECT_EQ(b.program.session.run.testState, state::Idle);
}

TEST(CalibrationTab, CalStartsNothingWhenCancelledUnknownDoneOrRunning) {
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

TEST(CalibrationTab, AStoppedCalibrationStaysInFrontWithHowToBack) {
    CalibrationBench b;
    b.program.session.window.view().currentTab = tab::Calibration; // as the tab switch sets it
    b.cal.tab.EnterInstCalib();
    b.dialogs.type = tccal::Manual;
    b.op.queueAnswer(MessageAnswer::Yes);
    b.cal.tab.Cal();
    ASSERT_EQ(b.cal.calibration.CalRunState, calrun::Running);
    EXPECT_FALSE(b.cal.view.howToEnabled);
    b.op.queueAnswer(MessageAnswer::Yes); // "Do you want to exit?"
    b.cal.tab.Stop();
    EXPECT_TRUE(b.program.session.window.view().tabEnabled[tab::Calibration])
        << "the window must not leave the tab for the Test tab";
    EXPECT_TRUE(b.cal.view.howToEnabled);
    EXPECT_TRUE(b.cal.view.helpEnabled);
}

TEST(CalibrationTab, NoCalibratorOnTheSerialPortsSuspendsTheStart) {
    CalibrationBench b;
    b.board.vanish(3);
    b.cal.tab.EnterInstCalib();
    b.cal.tab.Cal();
    EXPECT_EQ(b.dialogs.utilityShown, 1);
    EXPECT_EQ(b.cal.view.txtMsg, " ... Search for Tc Calibrator serial link suspended ...");
    EXPECT_EQ(b.cal.calibration.CalRunState, calrun::Idle);
    EXPECT_FALSE(b.program.links.TestModeOn());
}

TEST(CalibrationTab, BrowseOpensTheRecordFolderWhenThereIsOne) {
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

struct SetupFixture {
    explicit SetupFixture(CalibrationBench& b)
        : tab(SetupOptionsServices{b.program.params, b.program.paramFile, b.program.session.run,
                                   b.op, [this] { return sampleTemp; }, {}, {}, {}}) {}
    float sampleTemp = 22.0f;
    SetupOptionsModel tab;
};

TEST(SetupOptionsTab, ChoicesRoundTripThroughTheParameterFile) {
    CalibrationBench b;
    SetupFixture s(b);
    s.tab.EnterSetupOptions();
    EXPECT_EQ(s.tab.view.numberOfPts, "3");
    EXPECT_EQ(s.tab.view.batchEnabled,
              (std::array<bool, 9>{true, true, true, false, false, false, false, false, false}));

    s.tab.NumberOfPointsChanged(4);
    s.tab.BatchTempChanged(0, 10);
    s.tab.BatchTempChanged(3, 200); // beyond the stage: the spin box stops at its limit
    s.tab.UnitsChanged(1);
    s.tab.CreatePdfChanged(true);
    s.tab.PasswordChanged("Lab7");
    s.tab.view.reorder = false;
    s.tab.view.roundTrip = true;
    s.tab.view.endTempOption = 2;
    s.tab.view.accuracyOption = 2;
    s.tab.LeaveSetupOptions();

    const auto key = [&b](const char* k) { return b.ParamValue("SysParams", k); };
    EXPECT_EQ(key("Batch"), "10/50/80/90/10/0/0/0/0") << "the round trip returns to 10 °C";
    EXPECT_EQ(key("NumberOfBatchTests"), "4");
    EXPECT_EQ(key("Units"), "1");
    EXPECT_EQ(key("PDFdataWrite"), "1");
    EXPECT_EQ(key("Password"), "Lab7");
    EXPECT_EQ(key("OptimumTempOrdering"), "0");
    EXPECT_EQ(key("AddRoundTripTests"), "1");
    EXPECT_EQ(key("TestEndTempOption"), "2");
    EXPECT_EQ(key("AccuracyOption"), "2");
    EXPECT_FALSE(b.program.session.run.UnitsInches);

    // A fresh load shows the same choices.
    ASSERT_TRUE(b.program.LoadFiles());
    SetupFixture again(b);
    again.tab.EnterSetupOptions();
    const SetupOptionsView& v = again.tab.view;
    EXPECT_EQ(v.batchSpin[0], 10);
    EXPECT_EQ(v.batchSpin[3], 90);
    EXPECT_EQ(v.numberOfPts, "4");
    EXPECT_EQ(v.unitsOption, 1);
    EXPECT_TRUE(v.createPdf);
    EXPECT_EQ(v.password, "Lab7");
    EXPECT_TRUE(v.roundTrip);
    EXPECT_FALSE(v.reorder);
    EXPECT_EQ(v.endTempOption, 2);
    EXPECT_EQ(v.accuracyOption, 2);
}

TEST(SetupOptionsTab, ReorderingOutOfRangeOptionsAndBlanksInThePassword) {
    CalibrationBench b;
    b.program.params.SysParam(slot::AccuracyOption) = 3;
    b.program.params.SysParam(slot::TestEndTempOption) = 5;
    SetupFixture s(b);
    s.sampleTemp = 85.0f;
    s.tab.EnterSetupOptions();
    EXPECT_EQ(s.tab.view.accuracyOption, 1);
    EXPECT_EQ(s.tab.view.endTempOption, 0);
    b.program.params.SysParam(slot::AccuracyOption) = 0;
    s.tab.EnterSetupOptions();
    EXPECT_EQ(s.tab.view.accuracyOption, 1);

    s.tab.PasswordChanged("two words");
    EXPECT_EQ(b.op.last().text, "No spaces allowed in Password");
    EXPECT_EQ(b.op.last().icon, MessageIcon::Critical);
    EXPECT_TRUE(s.tab.view.password.empty());

    s.tab.view.reorder = true;
    s.tab.LeaveSetupOptions();
    EXPECT_EQ(b.ParamValue("SysParams", "Batch"), "80/50/20/0/0/0/0/0/0")
        << "a sample at 85 °C starts at the hot end";
    EXPECT_EQ(b.ParamValue("SysParams", "TestEndTempOption"), "0");
}

TEST(SetupOptionsTab, AParameterFileThatCannotBeWrittenEndsTheProgram) {
    CalibrationBench b;
    SetupFixture s(b);
    s.tab.EnterSetupOptions();
    const std::string file = b.program.paramFile.MainFileName();
    std::filesystem::remove(file);
    std::filesystem::create_directory(file); // a folder where the file should be
    EXPECT_THROW(s.tab.LeaveSetupOptions(), ProgramEnd);
}

} // namespace
} // namespace dilato
