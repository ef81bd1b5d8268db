// The plotting tabs without a display: which data are drawn and when, the draw guard, the
// setup tab's lists and titles, and the Save button's export.

#include "PlotFakes.h"

#include "platform/Files.h"
#include "ui/plot/PlotRules.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::PlotBench;
using test::TestReadings;

TEST(PlottingTab, DrawsTheChosenStoredFileWithItsLabels) {
    PlotBench b;
    b.model.SelectedFiles = {b.Store("F", "Bar", TestReadings({20, 50, 80}, 4))};
    b.model.GraphType = GraphKind::DisplacementTemperature;
    b.model.EnterPlotting();
    ASSERT_EQ(b.canvas.setups.size(), 1u);
    EXPECT_EQ(b.canvas.setups[0].colorScheme, 4);
    EXPECT_EQ(b.canvas.setups[0].graphType, GraphKind::DisplacementTemperature);
    ASSERT_EQ(b.canvas.figures.size(), 1u);
    const PlotFigure& f = b.canvas.figures[0];
    EXPECT_EQ(f.series[0].x.size(), 12u);
    EXPECT_EQ(f.series[0].name, "Bar_CTE.");
    EXPECT_EQ(f.labels.size(), 3u);
    EXPECT_TRUE(b.model.view().saveEnabled);
    EXPECT_EQ(b.drawFailed, 0);
    EXPECT_TRUE(b.op.messages.empty());
}

TEST(PlottingTab, NothingChosenLeavesTheChartSetUpButEmpty) {
    PlotBench b;
    b.model.EnterPlotting();
    EXPECT_EQ(b.canvas.setups.size(), 1u);
    EXPECT_TRUE(b.canvas.figures.empty());
    EXPECT_EQ(b.drawFailed, 1) << "the Test tab's entry step runs";
    EXPECT_FALSE(b.model.drawing());
}

TEST(PlottingTab, AFileThatCannotBeReadIsReportedAndWhatWasReadIsDrawn) {
    PlotBench b;
    const std::string good = b.Store("F", "Bar", TestReadings({20, 50, 80}, 4));
    const auto lines = ReadTextLines(good);
    std::vector<std::string> broken;
    for (const std::string& line : *lines) {
        if (line == "Test #3") break;
        broken.push_back(line);
    }
    broken.push_back("Test #3");
    broken.push_back("1.0, 0.1, warm, 0, 0");
    const std::string path = b.folders.DataRoot() + "F/Broken_CTE.dat";
    WriteTextLinesAtomic(path, broken);
    b.model.SelectedFiles = {path};
    b.model.GraphType = GraphKind::DisplacementTime;
    b.model.EnterPlotting();
    ASSERT_EQ(b.op.messages.size(), 1u);
    EXPECT_EQ(b.op.last().text,
              "Data File Read failed: " + path + ", " + kCorruptedFileMessage);
    EXPECT_EQ(b.op.last().icon, MessageIcon::Exclamation);
    ASSERT_EQ(b.canvas.figures.size(), 1u);
    EXPECT_EQ(b.canvas.figures[0].series[0].x.size(), 8u) << "steps 1 and 2 were read";
    EXPECT_EQ(b.drawFailed, 1);

    b.model.SelectedFiles = {b.folders.DataRoot() + "F/Gone_CTE.dat"};
    b.model.EnterPlotting();
    EXPECT_EQ(b.op.last().text, "Data File Read failed: " + b.model.SelectedFiles[0] +
                                    ", Invalid pathname: " + b.model.SelectedFiles[0]);
    EXPECT_TRUE(b.canvas.figures.back().series[0].x.empty());
}

TEST(PlottingTab, TheDrawGuardRefusesANestedDrawAndIsAlwaysReleased) {
    PlotBench b;
    b.model.SelectedFiles = {b.Store("F", "Bar", TestReadings({20, 50}, 3))};
    std::optional<bool> nested;
    b.canvas.duringPlot = [&] { nested = b.model.DrawGraph(4); };
    EXPECT_TRUE(b.model.DrawGraph(4));
    ASSERT_TRUE(nested.has_value());
    EXPECT_FALSE(*nested) << "a draw started while one runs returns at once";
    EXPECT_EQ(b.canvas.setups.size(), 1u);
    b.canvas.duringPlot = nullptr;

    b.canvas.failPlot = true;
    EXPECT_TRUE(b.model.DrawGraph(4));
    EXPECT_EQ(b.op.last().text, "Error in Plot: no room");
    b.canvas.failPlot = false;
    b.canvas.failSetup = true;
    EXPECT_FALSE(b.model.DrawGraph(4));
    EXPECT_EQ(b.op.last().text, "Error in okDrawGraph: chart gone");
    EXPECT_FALSE(b.model.drawing());
    b.canvas.failSetup = false;
    EXPECT_TRUE(b.model.DrawGraph(4)) << "the guard was released";
}

TEST(PlottingTab, LivePlotShowsTheRunningTestAndOnlyItsTimePlots) {
    PlotBench b;
    b.run.LivePlot = true;
    b.run.testState = state::Hold;
    b.run.SampleLength = 2.0f;
    b.run.stepData.reset(10, 1);
    b.model.GraphType = GraphKind::DisplacementTemperature;
    b.model.EnterPlotting();
    EXPECT_EQ(b.model.GraphType, GraphKind::TemperatureTime);
    EXPECT_FALSE(b.model.view().saveEnabled) << "no saving while a test runs";
    EXPECT_TRUE(b.op.messages.empty()) << "no reading yet is nothing to complain about";
    EXPECT_EQ(b.drawFailed, 0);

    for (int r = 1; r <= 3; ++r)
        b.run.stepData.append(1, Reading{0.1f * static_cast<float>(r), 0.1f, 20.0f + r, 0, 0});
    b.model.EnterPlotting();
    ASSERT_EQ(b.canvas.figures.back().series[0].x.size(), 3u);
    b.run.stepData.append(1, Reading{0.4f, 0.1f, 24.0f, 0, 0});
    b.model.EnterPlotting(); // what the sequencer runs after each stored reading
    EXPECT_EQ(b.canvas.figures.back().series[0].x.size(), 4u) << "the new reading is drawn";
    EXPECT_DOUBLE_EQ(b.canvas.figures.back().series[0].y.back(), 24.0);

    b.model.RotateGraph();
    EXPECT_EQ(b.model.GraphType, GraphKind::DisplacementTime);
    b.model.RotateGraph();
    EXPECT_EQ(b.model.GraphType, GraphKind::TemperatureTime);
}

TEST(PlottingTab, ATypeForcedByTheLivePlotTakesItsTitleAlongButNotATypedOne) {
    for (const std::string typed : {"", "Copper bar"}) {
        PlotBench b;
        b.model.ChoosePlotType(GraphKind::DisplacementTemperature);
        if (!typed.empty()) b.model.SetPlotTitleText(typed);
        b.model.LeavePlottingSetup();
        b.run.LivePlot = true;
        b.run.testState = state::Hold;
        b.run.stepData.reset(10, 1);
        b.model.EnterPlotting();
        ASSERT_EQ(b.model.GraphType, GraphKind::TemperatureTime);
        const std::string expected = typed.empty() ? " Temperature vs Time" : typed;
        EXPECT_EQ(b.canvas.setups.back().plotTitleText, expected) << "the live plot's title";
        b.run.LivePlot = false; // the test ends; its stored plot is shown
        b.run.testState = state::Idle;
        b.model.SelectedFiles = {b.Store("F", "Bar", TestReadings({20, 50}, 3))};
        b.model.EnterPlotting();
        EXPECT_EQ(b.canvas.setups.back().plotTitleText, expected) << "the stored plot's title";
        b.model.EnterPlottingSetup();
        EXPECT_EQ(b.model.view().plotTitle, expected);
    }
}

TEST(PlottingTab, RotateCyclesAStoredPlotAndResetsTheTitle) {
    PlotBench b;
    b.model.SelectedFiles = {b.Store("F", "Bar", TestReadings({20, 50}, 3))};
    b.model.PlotTitleText = "Custom";
    b.model.GraphType = GraphKind::DisplacementTemperature;
    b.model.RotateGraph();
    EXPECT_EQ(b.model.GraphType, GraphKind::DisplacementTime);
    EXPECT_EQ(b.model.PlotTitleText, " Displacement vs Time");
    EXPECT_EQ(b.model.view().plotTitle, " Displacement vs Time");
    EXPECT_EQ(b.canvas.setups.back().graphType, GraphKind::DisplacementTime);
    b.model.RotateGraph();
    b.model.RotateGraph();
    EXPECT_EQ(b.model.GraphType, GraphKind::DisplacementTemperature);
    EXPECT_EQ(b.canvas.figures.size(), 3u);
}

TEST(SaveButton, ProposesANameAndWritesTheImageWithItsRemoteCopy) {
    PlotBench b;
    std::filesystem::create_directories(b.folders.DataRoot() + "F");
    std::filesystem::create_directories(b.dir.path() + "remote");
    b.folders.RemoteStore[0] = b.dir.path() + "remote";
    b.model.EnterPlottingSetup();
    b.model.GraphType = GraphKind::TemperatureTime;
    b.dialog.answer.FileName = "Untitled";
    b.dialog.answer.ImgType = 0;
    b.model.Save();
    EXPECT_EQ(b.dialog.proposed.back(), "Untitled");
    ASSERT_EQ(b.canvas.exports.size(), 1u);
    const std::string path = b.folders.DataRoot() + "F/Untitled_Temp-Time.bmp";
    EXPECT_EQ(b.canvas.exports[0].path, path);
    EXPECT_EQ(b.canvas.exports[0].imgType, 0);
    EXPECT_EQ(b.canvas.exports[0].scheme, 4);
    EXPECT_TRUE(IsFile(b.dir.path() + "remote/F/Untitled_Temp-Time.bmp"));
    EXPECT_FALSE(b.op.busyPointerShown());

    b.model.SelectedFiles = {b.Store("F", "a.b.c", TestReadings({20, 50}, 3))};
    b.dialog.answer.FileName = "  lead";
    b.dialog.answer.ImgType = 1;
    b.dialog.answer.UseNegImage = true;
    b.canvas.setups.clear();
    b.model.Save();
    EXPECT_EQ(b.dialog.proposed.back(), "a.b.c_CTE");
    EXPECT_EQ(b.canvas.exports.back().path, b.folders.DataRoot() + "F/  lead_Temp-Time.jpg");
    EXPECT_EQ(b.canvas.exports.back().scheme, 5) << "white background: scheme 5";
    ASSERT_EQ(b.canvas.setups.size(), 2u);
    EXPECT_EQ(b.canvas.setups.back().colorScheme, 4) << "the screen shows its colours again";
    EXPECT_EQ(b.canvas.gradient, (std::vector<bool>{false, true}));

    b.dialog.answer.Canceled = true;
    b.model.Save();
    EXPECT_EQ(b.canvas.exports.size(), 2u) << "cancel writes nothing";
    EXPECT_EQ(b.canvas.setups.size(), 2u) << "and leaves the chart alone";
}

TEST(SaveButton, AGraphOfTheTestJustRunGoesToItsFolderAndSaysWhere) {
    PlotBench b;
    std::filesystem::create_directories(b.folders.DataRoot() + "Other");
    b.model.ResetPlotFileLists(); // the setup tab's folder box: "Other", never chosen
    b.model.setTestTabFolder([] { return std::string("Window"); });
    // The live plot of the running test, then its stored plot once it has ended.
    b.run.LivePlot = true;
    b.run.testState = state::Hold;
    b.run.stepData.reset(10, 1);
    b.model.EnterPlotting();
    b.model.SetFirstSelectedFile(b.Store("Window", "Copper1", TestReadings({20, 50}, 3)));
    b.run.LivePlot = false;
    b.run.testState = state::Idle;
    b.model.EnterPlotting();
    b.dialog.answer.FileName = "Copper1_CTE";
    b.dialog.answer.ImgType = 1;
    b.model.Save();
    const std::string path = b.folders.DataRoot() + "Window/Copper1_CTE_Disp-Time.jpg";
    ASSERT_EQ(b.canvas.exports.size(), 1u);
    EXPECT_EQ(b.canvas.exports[0].path, path);
    EXPECT_EQ(b.model.view().savedTo, "Graph saved to " + path);
}

TEST(SaveButton, AFolderThatIsMissingIsReportedAndNothingIsCopied) {
    PlotBench b;
    b.folders.RemoteStore[0] = b.dir.path() + "remote";
    b.model.PlotFromTestTab = true;
    b.model.setTestTabFolder([] { return std::string("NoSuchFolder"); });
    EXPECT_EQ(b.model.SaveGraphImage(1, "x", false), "");
    EXPECT_EQ(b.canvas.exports.at(0).path, b.folders.DataRoot() + "NoSuchFolder/x_Disp-Time.jpg")
        << "a plot entered from the Test tab is saved in the Test tab's folder";
    EXPECT_EQ(b.op.last().title, "File Saving Error");
    EXPECT_FALSE(std::filesystem::exists(b.dir.path() + "remote"));
    EXPECT_EQ(b.model.SaveGraphImage(7, "x", false), "") << "an unknown type writes nothing";
    EXPECT_EQ(b.canvas.exports.size(), 1u);
}

TEST(PlottingSetupTab, OneFileAtATimeFromTheFolderLists) {
    PlotBench b;
    b.Store("F", "a", TestReadings({20, 50}, 3));
    b.Store("F", "b", TestReadings({20, 50}, 3));
    b.Store("G", "c", TestReadings({20, 50}, 3));
    b.model.ResetPlotFileLists();
    b.model.EnterPlottingSetup();
    EXPECT_EQ(b.model.view().folderCombo.items, (std::vector<std::string>{"F", "G"}));
    EXPECT_EQ(b.model.view().dirFiles.items, (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(b.model.view().xferEnabled);

    b.model.ChooseDirFile(1);
    b.model.TransferRight();
    EXPECT_EQ(b.model.view().selFiles.items, (std::vector<std::string>{"b"}));
    EXPECT_FALSE(b.model.view().xferEnabled) << "one file is plotted at a time";
    EXPECT_TRUE(b.model.view().clearEnabled);
    EXPECT_EQ(b.model.view().dirFiles.selected, -1) << "the moved file is no longer highlighted";
    b.model.ChooseDirFile(1);
    b.model.TransferRight();
    EXPECT_EQ(b.model.view().selFiles.items.size(), 1u) << "the same name is not added twice";

    b.model.ChooseFolder(1);
    EXPECT_EQ(b.model.view().dirFiles.items, (std::vector<std::string>{"c"}));
    b.model.LeavePlottingSetup();
    EXPECT_EQ(b.model.SelectedFiles,
              (std::vector<std::string>{b.folders.DataRoot() + "F/b_CTE.dat"}))
        << "each entry keeps the folder it came from";

    b.model.ChooseSelectedFile(0);
    b.model.RemoveSelectedFile();
    EXPECT_TRUE(b.model.view().selFiles.items.empty());
    EXPECT_FALSE(b.model.view().clearEnabled);
    EXPECT_TRUE(b.model.view().xferEnabled);

    b.model.ChooseDirFile(0);
    b.model.TransferRight();
    b.model.ClearSelection();
    EXPECT_TRUE(b.model.view().selFiles.items.empty());
    EXPECT_FALSE(b.model.view().clearEnabled);
    EXPECT_TRUE(b.model.view().xferEnabled);
    EXPECT_TRUE(b.model.view().focusOnDirFiles);
    b.model.LeavePlottingSetup();
    EXPECT_TRUE(b.model.SelectedFiles.empty());
}

TEST(PlottingSetupTab, ACustomTitleSurvivesTabSwitchesUntilATypeIsChosen) {
    PlotBench b;
    b.model.GraphType = static_cast<GraphKind>(7);
    b.model.EnterPlottingSetup();
    EXPECT_EQ(b.model.view().plotTypeOption, GraphKind::DisplacementTime)
        << "an unknown type shows the first option";
    b.model.ChoosePlotType(GraphKind::TemperatureTime);
    EXPECT_EQ(b.model.view().plotTitle, " Temperature vs Time");
    b.model.SetPlotTitleText("Copper bar");
    b.model.LeavePlottingSetup();
    EXPECT_EQ(b.model.PlotTitleText, "Copper bar");
    b.model.EnterPlotting();
    EXPECT_EQ(b.canvas.setups.back().plotTitleText, "Copper bar");
    b.model.EnterPlottingSetup();
    EXPECT_EQ(b.model.view().plotTitle, "Copper bar");
    b.model.ChoosePlotType(GraphKind::DisplacementTemperature);
    EXPECT_EQ(b.model.PlotTitleText, " Displacement vs Temperature");
    b.model.SetPlotTitleText("");
    b.model.LeavePlottingSetup();
    EXPECT_EQ(b.model.view().plotTitle, " Displacement vs Temperature")
        << "an empty title falls back to the type's own";
}

TEST(PlottingSetupTab, SetFirstSelectedFileReplacesOnlyTheFirstEntry) {
    PlotBench b;
    b.model.SetFirstSelectedFile("/d/one_CTE.dat");
    EXPECT_EQ(b.model.SelectedFiles, (std::vector<std::string>{"/d/one_CTE.dat"}));
    b.model.SelectedFiles.push_back("/d/two_CTE.dat");
    b.model.SetFirstSelectedFile("/d/three_CTE.dat");
    EXPECT_EQ(b.model.SelectedFiles,
              (std::vector<std::string>{"/d/three_CTE.dat", "/d/two_CTE.dat"}));
}

TEST(PlottingTab, UnitsFollowTheSetupOptionsWhenThePlotIsLeft) {
    PlotBench b;
    b.params.SysParam(slot::Units) = 1;
    b.model.LeavePlotting();
    EXPECT_FALSE(b.run.UnitsInches);
    b.params.SysParam(slot::Units) = 0;
    b.model.LeavePlotting();
    EXPECT_TRUE(b.run.UnitsInches);
}

TEST(PlottingTab, AwkwardStoredTestsDrawWithoutFault) {
    PlotBench b;
    StepData one;
    one.reset(2, 1);
    one.append(1, Reading{1.0f, 0.1f, 20.0f, 0, 0});
    StepData equal = TestReadings({20, 50, 80}, 5);
    for (int s = 1; s <= 3; ++s)
        for (int r = 1; r <= 5; ++r) equal.reading(s, r).indicator = 0.25f;
    StepData cold = TestReadings({0.5f, 1.0f, 1.5f}, 5);
    const std::pair<const char*, StepData*> cases[] = {
        {"One", &one}, {"Equal", &equal}, {"Cold", &cold}};
    for (const auto& [name, data] : cases)
        for (const GraphKind type : kGraphKinds) {
            b.model.SelectedFiles = {b.Store("F", name, *data)};
            b.model.GraphType = type;
            EXPECT_TRUE(b.model.DrawGraph(4)) << name << " " << OptionIndex(type);
            for (const PlotSeries& s : b.canvas.figures.back().series)
                for (double y : s.y)
                    EXPECT_TRUE(std::isfinite(y)) << name << " " << OptionIndex(type);
        }
    EXPECT_TRUE(b.op.messages.empty()) << b.op.texts().front();
}

TEST(PlottingTab, TwoHundredThousandReadingsDraw) {
    PlotBench b;
    StepData big = TestReadings({20, 35, 50, 65, 80, 65, 50, 35, 20, 20}, 20000);
    b.model.SelectedFiles = {b.Store("F", "Big", big)};
    for (const GraphKind type : {GraphKind::DisplacementTime, GraphKind::DisplacementTemperature}) {
        b.model.GraphType = type;
        EXPECT_TRUE(b.model.DrawGraph(4)) << OptionIndex(type);
        EXPECT_EQ(b.canvas.figures.back().series[0].x.size(), 200000u);
    }
    EXPECT_EQ(b.canvas.figures.back().labels.size(), 10u) << "one overall line and nine pairs";
    EXPECT_EQ(b.canvas.figures.back().labels[0], "") << "a round trip has no overall line";
}

} // namespace
} // namespace dilato
