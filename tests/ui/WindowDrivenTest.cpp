// A whole test driven only through the window's widgets, as an operator would: the start-up
// windows, the Test tab's fields and buttons, the Stop question in the settling phase and in
// the hold, the end of the batch with its summary file, and the exit question.

#include "GuiProgram.h"
#include "WindowRobot.h"

#include "platform/Files.h"
#include "support/TempFolder.h"
#include "ui/Guard.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace dilato::test {
namespace {

TEST(WindowDriven, ATwoStepBatchFromTheTestTabWithStopQuestionsAndTheExitQuestion) {
    TempFolder dir;
    RegisterPdfViewer(dir);
    const std::string system = dir.file("system/");
    WindowRobot robot;
    robot.onBox = [&robot](const QString& text) {
        ADD_FAILURE() << "unexpected box after "
                      << robot.statuses.join(QLatin1Char('|')).toStdString() << ": "
                      << text.toStdString();
    };
    gui::GuiProgram gui(
        gui::ParseGuiOptions({"--simulate", "--time-scale", "60", "--system-folder", system}));
    ASSERT_TRUE(gui.start());
    ASSERT_FALSE(ui::ApplicationEnding());
    ui::MainWindow* window = gui.window();
    ASSERT_TRUE(window && window->isVisible());
    window->setAfterRefresh([&robot] { robot.NoteLooks(); });
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("Norvane Dilato Software v")));
    EXPECT_FALSE(window->windowTitle().contains(QStringLiteral("Demo Mode")));
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 5));
    EXPECT_EQ(Status(), QStringLiteral("Ready (1 of 2)"));
    Screenshot(window, QStringLiteral("test-tab-idle-raw"));

    // The Test tab, filled in as an operator does; a letter in the length is refused.
    auto* folder = Find<QComboBox>(QStringLiteral("DataFolderCombo"));
    Type(folder->lineEdit(), QStringLiteral("Window"));
    QTest::keyClick(folder->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(IsDirectory(system + "Data/Window/"));
    Type(Find<QComboBox>(QStringLiteral("DataFileCombo"))->lineEdit(), QStringLiteral("Copper1"));
    Type(Find<QLineEdit>(QStringLiteral("Comment")), QStringLiteral("Cu bar"));
    auto* length = Find<QLineEdit>(QStringLiteral("TextBoxThickness"));
    Type(length, QStringLiteral("2x.0"));
    EXPECT_EQ(length->text(), QStringLiteral("2.0"));
    EXPECT_EQ(Find<QLabel>(QStringLiteral("LabelThicknessUnits"))->text(),
              QStringLiteral("inches"));
    ASSERT_TRUE(Button("SonicClickStartBtn")->isEnabled());
    Click(Button("SonicClickStartBtn"));
    EXPECT_FALSE(Button("SonicClickStartBtn")->isEnabled()); // no second start

    // Phase 1: the Stop question says nothing will be saved; "No" lets the test go on.
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("yellow red red"); }, 30));
    EXPECT_EQ(Status(), QStringLiteral("Testing (1 of 2)"));
    EXPECT_FALSE(window->tabs().isTabEnabled(TabIndex(Tab::Calibration)));
    EXPECT_FALSE(window->tabs().isTabEnabled(TabIndex(Tab::SetupOptions)));
    Screenshot(window, QStringLiteral("test-tab-testing-raw"));
    Click(Button("SonicClickStopTestBtn"));
    ASSERT_TRUE(WaitFor([&] { return QuestionShown(); }, 10));
    EXPECT_EQ(gui.termination().windowTitle(), QStringLiteral("Test-Termination Request"));
    EXPECT_EQ(QuestionNote(0), QStringLiteral("(Premature termination ... no data saved)"));
    EXPECT_TRUE(gui.termination().windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(gui.termination().focusWidget(),
              Find<QPushButton>(QStringLiteral("SonicClickNoBtn")));
    Screenshot(&gui.termination(), QStringLiteral("termination-question-raw"));
    Click(Find<QPushButton>(QStringLiteral("SonicClickNoBtn")));
    EXPECT_FALSE(QuestionShown());

    // Phase 3 (the hold): asked again, answered "No" again.
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green yellow"); }, 60));
    Click(Button("SonicClickStopTestBtn"));
    ASSERT_TRUE(WaitFor([&] { return QuestionShown(); }, 10));
    // A steady hold offers to end the step (the batch goes on); otherwise the test ends.
    const QString note = QuestionNote(0);
    const bool steady = note == QLatin1String("(Test results will be saved to file)");
    EXPECT_TRUE(steady || note == QLatin1String("(Premature termination ... no data saved)"))
        << note.toStdString();
    EXPECT_EQ(Find<QLabel>(QStringLiteral("LabelQuery"))->text(),
              steady ? QStringLiteral("Do you want to end this step?")
                     : QStringLiteral("Do you want to end this test?"));
    Click(Find<QPushButton>(QStringLiteral("SonicClickNoBtn")));

    // The batch runs to its end and leaves the summary file.
    ASSERT_TRUE(
        WaitFor([] { return Status().startsWith(QLatin1String("Testing (2 of 2)")); }, 120));
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 180))
        << Status().toStdString();
    EXPECT_TRUE(IsFile(system + "Data/Window/Copper1_CTE.txt"));
    EXPECT_TRUE(IsFile(system + "Data/Window/Copper1_CTE.dat"));
    EXPECT_TRUE(WaitFor([] { return Button("SonicClickStartBtn")->isEnabled(); }, 5));
    EXPECT_FALSE(Button("SonicClickStopTestBtn")->isEnabled());
    for (const char* look : {"Starting Test", "Testing (1 of 2)", "Testing (2 of 2)"})
        EXPECT_TRUE(robot.statuses.contains(QString::fromLatin1(look))) << look;
    for (const char* look : {"red red red", "yellow red red", "green yellow red",
                             "green green yellow", "green green green"})
        EXPECT_TRUE(robot.lights.contains(QString::fromLatin1(look))) << look;

    // The exit question: "No" keeps the program, "Yes" ends it.
    window->close();
    ASSERT_TRUE(WaitFor([&] { return QuestionShown(); }, 5));
    EXPECT_EQ(gui.termination().windowTitle(), QStringLiteral("Application-Exit Request"));
    EXPECT_EQ(Find<QLabel>(QStringLiteral("LabelQuery"))->text(),
              QStringLiteral("Do you want to exit Dilato?"));
    EXPECT_EQ(QuestionNote(0),
              QStringLiteral("(On-going tests will be aborted without data-save)"));
    Click(Find<QPushButton>(QStringLiteral("SonicClickNoBtn")));
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(ui::ApplicationEnding());
    window->close();
    ASSERT_TRUE(WaitFor([&] { return QuestionShown(); }, 5));
    Click(Find<QPushButton>(QStringLiteral("SonicClickYesBtn")));
    EXPECT_TRUE(ui::ApplicationEnding());
    EXPECT_EQ(ui::ApplicationExitCode(), 0);
    EXPECT_TRUE(robot.boxes.isEmpty()) << robot.boxes.join(QLatin1Char('\n')).toStdString();
}

} // namespace
} // namespace dilato::test
