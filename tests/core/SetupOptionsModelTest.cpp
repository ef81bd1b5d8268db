// The Setup Options tab's round trip into the parameter file, driven without a display.

#include "calibration/CalibrationBench.h"

#include "core/SetupOptionsModel.h"
#include "platform/Files.h"
#include "platform/ProgramEnd.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace dilato {
namespace {

using test::CalibrationBench;

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
