// Bad input and faults, driven only through the window's widgets as an operator would meet
// them: names with illegal characters, a data folder the program may not write, Start pressed
// twice, tab clicks and Stop in the middle of a test's start, a close request while a Stop
// request waits for its tick, an instrument that falls silent in the middle of a test, and the
// exit question open while the link check asks its own question. The window must stay
// responsive and consistent throughout: every question answered, no frozen ticks.

#include "GuiProgram.h"
#include "WindowRobot.h"

#include "platform/Files.h"
#include "sim/PtyHost.h"
#include "sim/SimInstruments.h"
#include "support/TempFolder.h"
#include "ui/Guard.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sys/fsuid.h>
#include <unistd.h>

namespace dilato::test {
namespace {

namespace fs = std::filesystem;

// Root writes anywhere. For the read-only folder the file access of this thread (the
// program's only thread that touches files) runs as an ordinary user instead.
class OrdinaryFileUser {
  public:
    OrdinaryFileUser() {
        if (::geteuid() != 0) return;
        (void)::setfsgid(kNobody);
        (void)::setfsuid(kNobody);
        switched_ = true;
    }
    ~OrdinaryFileUser() {
        if (!switched_) return;
        (void)::setfsuid(0);
        (void)::setfsgid(0);
    }
    OrdinaryFileUser(const OrdinaryFileUser&) = delete;
    OrdinaryFileUser& operator=(const OrdinaryFileUser&) = delete;

  private:
    static constexpr unsigned kNobody = 65534;
    bool switched_ = false;
};

QLineEdit* FolderBox() {
    return Find<QComboBox>(QStringLiteral("DataFolderCombo"))->lineEdit();
}

QLineEdit* TestNameBox() {
    return Find<QComboBox>(QStringLiteral("DataFileCombo"))->lineEdit();
}

class WindowFaults : public testing::Test {
  protected:
    void SetUp() override {
        ui::ResetEnding();
        dir_ = std::make_unique<TempFolder>();
        RegisterPdfViewer(*dir_);
        // The operational warnings wait for the operator; they are not what these cases test.
        dir_->write("system/Dilato.ini", "[General]\r\nSystemWarnings=False\r\n");
        robot_.answer = [this](const QString& box) { return linkAnswer(box); };
    }

    void TearDown() override {
        gui_.reset();
        dir_.reset();
        if (ui::ApplicationEnding()) {
            // The program's end asked the application's event loops to quit; until the
            // application's own loop has run once, every window's loop would end at once.
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
        }
    }

    // The program on the simulated instruments, its window idle on the Test tab.
    void Launch(double timeScale) {
        gui_ = std::make_unique<gui::GuiProgram>(
            gui::ParseGuiOptions({"--simulate", "--time-scale", std::to_string(timeScale),
                                  "--system-folder", system()}));
        ASSERT_TRUE(gui_->start());
        ASSERT_FALSE(ui::ApplicationEnding());
        gui_->window()->setAfterRefresh([this] { robot_.NoteLooks(); });
        ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 10));
    }

    // The Test tab filled in for a test in `folder` named `name`.
    void FillIn(const QString& folder, const QString& name) {
        Retype(FolderBox(), folder, true);
        Retype(TestNameBox(), name);
        Retype(Find<QLineEdit>(QStringLiteral("TextBoxThickness")), QStringLiteral("2.0"));
    }

    // Start pressed; true once the test has reached its settling phase.
    [[nodiscard]] static bool StartAndSettle() {
        Click(Button("SonicClickStartBtn"));
        return WaitFor([] { return Lights() == QLatin1String("yellow red red"); }, 30);
    }

    void ClickTab(int index) {
        QTabBar* bar = gui_->window()->tabs().tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    }

    // Stops the running test with "Yes" and waits for the idle look.
    void AbandonTest() {
        Click(Button("SonicClickStopTestBtn"));
        ASSERT_TRUE(WaitFor([] { return QuestionShown(); }, 10));
        Click(Button("SonicClickYesBtn"));
        ASSERT_TRUE(WaitFor([] { return Button("SonicClickStartBtn")->isEnabled(); }, 10));
        EXPECT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 5));
    }

    // Runs `change` on the simulated bench, as the instruments' own side of the cable does.
    template <class F> void OnBench(F&& change) {
        gui_->ports().host->withLock([&] { change(*gui_->ports().simulated); });
    }

    [[nodiscard]] std::string system() const { return dir_->file("system/"); }
    [[nodiscard]] QStringList boxesWith(const QString& part) const {
        return robot_.boxes.filter(part);
    }

    // The link check's questions are answered with `linkCheckAnswer`; others by default.
    QMessageBox::StandardButton linkAnswer(const QString& box) const {
        return box.contains(QLatin1String("COM Error")) ? linkCheckAnswer : QMessageBox::NoButton;
    }

    QMessageBox::StandardButton linkCheckAnswer = QMessageBox::No;
    WindowRobot robot_;
    std::unique_ptr<TempFolder> dir_;
    std::unique_ptr<gui::GuiProgram> gui_;
};

TEST_F(WindowFaults, NamesWithIllegalCharactersGetTheNameRulesMessages) {
    Launch(20);
    // A folder name loses its illegal characters without a word.
    Retype(FolderBox(), QStringLiteral("my*data"), true);
    EXPECT_TRUE(IsDirectory(system() + "Data/mydata/"));
    EXPECT_FALSE(IsDirectory(system() + "Data/my*data/"));
    EXPECT_EQ(FolderBox()->text(), QStringLiteral("mydata"));
    EXPECT_TRUE(Button("SonicClickStartBtn")->isEnabled());
    EXPECT_TRUE(robot_.boxes.isEmpty()) << robot_.boxes.join('\n').toStdString();

    // Test names the rules refuse: each start ends in the idle look, ready for the next try.
    Retype(Find<QLineEdit>(QStringLiteral("TextBoxThickness")), QStringLiteral("2.0"));
    const struct {
        const char* typed;
        const char* box;
    } refused[] = {
        {"  ", "Datafile Naming Error: Cannot start test without datafile name."},
        {".run", "Datafile Naming Error: Bad datafile name: .run"},
        {"!!", "Illegal Name: ERROR: File or folder name contains all illegal characters."},
    };
    for (const auto& r : refused) {
        robot_.boxes.clear();
        Retype(TestNameBox(), QString::fromLatin1(r.typed));
        Click(Button("SonicClickStartBtn"));
        ASSERT_TRUE(WaitFor([&] { return !robot_.boxes.isEmpty(); }, 10)) << r.typed;
        EXPECT_EQ(robot_.boxes.join('\n'), QString::fromLatin1(r.box)) << r.typed;
        ASSERT_TRUE(WaitFor([] { return Button("SonicClickStartBtn")->isEnabled(); }, 5));
        EXPECT_FALSE(Button("SonicClickStopTestBtn")->isEnabled());
        EXPECT_EQ(Status(), QStringLiteral("Ready (1 of 2)"));
        EXPECT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 5));
        EXPECT_TRUE(FolderBox()->isEnabled()) << "the fields are open for a better name";
    }

    // A name with illegal characters among good ones starts, cleaned, and the box shows it.
    robot_.boxes.clear();
    Retype(TestNameBox(), QStringLiteral("a*b/c.txt"));
    Click(Button("SonicClickStartBtn"));
    ASSERT_TRUE(WaitFor([] { return Button("SonicClickStopTestBtn")->isEnabled(); }, 10));
    EXPECT_EQ(TestNameBox()->text(), QStringLiteral("abc"));
    EXPECT_TRUE(robot_.boxes.isEmpty()) << robot_.boxes.join('\n').toStdString();
    AbandonTest();
}

// A data folder the program may not write: the folder it cannot make is refused with the
// folder rules' message, and the window goes on with a folder it can use.
class ReadOnlyDataFolder : public WindowFaults {
  protected:
    void SetUp() override {
        user_ = std::make_unique<OrdinaryFileUser>();
        WindowFaults::SetUp();
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(system() + "Data", fs::perms::owner_all, fs::perm_options::add, ec);
        WindowFaults::TearDown();
        user_.reset();
    }
    std::unique_ptr<OrdinaryFileUser> user_;
};

TEST_F(ReadOnlyDataFolder, IsRefusedWithTheFolderMessageAndTheWindowStaysUsable) {
    Launch(20);
    Retype(FolderBox(), QStringLiteral("Open"), true);
    ASSERT_TRUE(IsDirectory(system() + "Data/Open/"));
    fs::permissions(system() + "Data", fs::perms::owner_write | fs::perms::group_write,
                    fs::perm_options::remove);

    Retype(FolderBox(), QStringLiteral("Locked"), true);
    ASSERT_TRUE(WaitFor([&] { return !robot_.boxes.isEmpty(); }, 5));
    QTest::qWait(100);
    EXPECT_EQ(robot_.boxes.join('\n'), QStringLiteral("Folder Creation Error: Could not create "
                                                      "data directory: ") +
                                           QString::fromStdString(system() + "Data/Locked/"));
    EXPECT_FALSE(IsDirectory(system() + "Data/Locked/"));
    EXPECT_FALSE(Button("SonicClickStartBtn")->isEnabled()) << "no test into a missing folder";

    // The window goes on: another tab and back, then the folder that exists.
    ClickTab(TabIndex(Tab::SetupOptions));
    EXPECT_EQ(gui_->window()->tabs().currentIndex(), TabIndex(Tab::SetupOptions));
    ClickTab(TabIndex(Tab::Test));
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 5));
    Retype(FolderBox(), QStringLiteral("Open"), true);
    EXPECT_TRUE(Button("SonicClickStartBtn")->isEnabled());
    EXPECT_EQ(robot_.boxes.size(), 1) << robot_.boxes.join('\n').toStdString();
}

TEST_F(WindowFaults, StartTwiceAndTabClicksInTheMiddleOfATestMakeOneTest) {
    Launch(20);
    FillIn(QStringLiteral("Twice"), QStringLiteral("T1"));
    QTabWidget& tabs = gui_->window()->tabs();
    // In the middle of the start the other tabs are closed: their clicks change nothing.
    bool clickedDuringStart = false;
    robot_.When([] { return Status() == QLatin1String("Starting Test"); },
                [&] {
                    clickedDuringStart = true;
                    for (const Tab t : {Tab::SetupOptions, Tab::Plotting, Tab::Calibration})
                        ClickTab(TabIndex(t));
                    EXPECT_EQ(tabs.currentIndex(), TabIndex(Tab::Test));
                });
    Click(Button("SonicClickStartBtn"));
    EXPECT_FALSE(Button("SonicClickStartBtn")->isEnabled()) << "off from the first click";
    Click(Button("SonicClickStartBtn"));
    // In the temperature wait the live plot may be looked at, and the Test tab comes back
    // with the test still running.
    bool sawLivePlot = false;
    robot_.When([] { return Lights() == QLatin1String("green yellow red"); },
                [&] {
                    ClickTab(TabIndex(Tab::Plotting));
                    sawLivePlot = tabs.currentIndex() == TabIndex(Tab::Plotting);
                    ClickTab(TabIndex(Tab::Test));
                });
    ASSERT_TRUE(WaitFor([&] { return robot_.actionsDone(); }, 60)) << Status().toStdString();
    EXPECT_TRUE(clickedDuringStart);
    EXPECT_TRUE(sawLivePlot);
    EXPECT_EQ(tabs.currentIndex(), TabIndex(Tab::Test));
    QTest::qWait(200);
    EXPECT_TRUE(Status().startsWith(QLatin1String("Testing (1 of 2)"))) << Status().toStdString();
    EXPECT_NE(Lights(), QStringLiteral("green green green"));

    // Start once more while the test runs: nothing happens.
    Click(Button("SonicClickStartBtn"));
    QTest::qWait(200);
    EXPECT_FALSE(Button("SonicClickStartBtn")->isEnabled());
    // One start: once the test had begun the status never fell back to Ready.
    const qsizetype started = robot_.statuses.indexOf(QStringLiteral("Starting Test"));
    ASSERT_GE(started, 0) << robot_.statuses.join('|').toStdString();
    for (qsizetype i = started; i < robot_.statuses.size(); ++i)
        EXPECT_FALSE(robot_.statuses[i].startsWith(QLatin1String("Ready")))
            << robot_.statuses.join('|').toStdString();
    EXPECT_TRUE(robot_.boxes.isEmpty()) << robot_.boxes.join('\n').toStdString();
    AbandonTest();
}

TEST_F(WindowFaults, StopDuringTheStartAbandonsTheTestAndANewOneStarts) {
    Launch(20);
    FillIn(QStringLiteral("Early"), QStringLiteral("E1"));
    QString statusAtStop;
    robot_.When([] { return Button("SonicClickStopTestBtn")->isEnabled(); },
                [&] {
                    statusAtStop = Status();
                    Click(Button("SonicClickStopTestBtn"));
                });
    Click(Button("SonicClickStartBtn"));
    ASSERT_TRUE(WaitFor([] { return QuestionShown(); }, 10));
    // Stop came while the test started: after the Start button ("Ready (1 of N)") and before
    // the first step ("Testing").
    EXPECT_TRUE(statusAtStop == QStringLiteral("Starting Test") ||
                statusAtStop.startsWith(QLatin1String("Ready (1 of ")))
        << "Stop came while the test started, not at " << statusAtStop.toStdString();
    EXPECT_EQ(QuestionNote(0), QStringLiteral("(Premature termination ... no data saved)"));
    Click(Button("SonicClickYesBtn"));
    ASSERT_TRUE(WaitFor([] { return Button("SonicClickStartBtn")->isEnabled(); }, 10));
    EXPECT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 5));
    EXPECT_FALSE(Button("SonicClickStopTestBtn")->isEnabled());
    EXPECT_FALSE(IsFile(system() + "Data/Early/E1_CTE.txt")) << "nothing saved";

    // The window is ready for the next test.
    ASSERT_TRUE(StartAndSettle()) << Status().toStdString();
    EXPECT_TRUE(robot_.boxes.isEmpty()) << robot_.boxes.join('\n').toStdString();
    AbandonTest();
}

TEST_F(WindowFaults, ClosingDuringAStopRequestAsksTheStopQuestionOnly) {
    Launch(20);
    FillIn(QStringLiteral("Close"), QStringLiteral("C1"));
    ASSERT_TRUE(StartAndSettle()) << Status().toStdString();
    // Stop, and the close box before the Stop request's tick has come.
    Click(Button("SonicClickStopTestBtn"));
    gui_->window()->close();
    ASSERT_TRUE(WaitFor([] { return QuestionShown(); }, 5)) << "the ticks must go on";
    EXPECT_EQ(gui_->termination().windowTitle(), QStringLiteral("Test-Termination Request"));
    // Another close while the question is open changes nothing.
    gui_->window()->close();
    QTest::qWait(100);
    EXPECT_EQ(gui_->termination().windowTitle(), QStringLiteral("Test-Termination Request"));
    EXPECT_TRUE(gui_->window()->isVisible());
    // "No": the test goes on to its next phase.
    Click(Button("SonicClickNoBtn"));
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("green yellow red"); }, 60))
        << Status().toStdString();
    EXPECT_TRUE(robot_.boxes.isEmpty()) << robot_.boxes.join('\n').toStdString();
    AbandonTest();
}

TEST_F(WindowFaults, ASilentSensorBringsTheLinkCheckAndTheAbortWithoutFreezing) {
    Launch(60);
    FillIn(QStringLiteral("Silent"), QStringLiteral("S1"));
    ASSERT_TRUE(StartAndSettle()) << Status().toStdString();
    const auto indicator = Find<QLineEdit>(QStringLiteral("txtBoxTestData0"));
    EXPECT_FALSE(indicator->property("stale").toBool());

    // The operator keeps the links (the COM settings as they are) at each question.
    linkCheckAnswer = QMessageBox::Yes;
    robot_.answerComSettings = true;
    robot_.longestBlock = std::chrono::milliseconds(0);
    OnBench([](sim::SimInstruments& bench) { bench.sensor.inject(sim::Fault::Silence); });
    ASSERT_TRUE(WaitFor([&] { return indicator->property("stale").toBool(); }, 20))
        << "the reading shown is an old one";
    const QString abort = QStringLiteral("Displacement Sensor Error: No data received from the "
                                         "displacement sensor...");
    ASSERT_TRUE(WaitFor([&] { return !boxesWith(abort).isEmpty(); }, 60))
        << robot_.boxes.join('\n').toStdString();
    EXPECT_FALSE(boxesWith(QStringLiteral("Displacement Sensor COM Error")).isEmpty());
    EXPECT_LT(robot_.longestBlock.count(), 1000) << "the window kept answering";
    RecordProperty("longest_event_loop_block_ms", static_cast<int>(robot_.longestBlock.count()));
    ASSERT_TRUE(WaitFor([] { return Button("SonicClickStartBtn")->isEnabled(); }, 10));
    EXPECT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 5));
    EXPECT_FALSE(IsFile(system() + "Data/Silent/S1_CTE.txt"));

    // The sensor answers again: the window shows its readings as they come.
    OnBench([](sim::SimInstruments& bench) { bench.sensor.clearFaults(); });
    EXPECT_TRUE(WaitFor([&] { return !indicator->property("stale").toBool(); }, 20));
}

TEST_F(WindowFaults, TheExitQuestionStaysOpenWhileTheLinkCheckAsks) {
    Launch(20);
    linkCheckAnswer = QMessageBox::Yes;
    robot_.answerComSettings = true;
    // The close request comes while the program waits for the silent sensor's answer.
    size_t asked = 0;
    robot_.When(
        [&] {
            OnBench([&](sim::SimInstruments& bench) { asked = bench.sensor.commands().size(); });
            return asked >= 2;
        },
        [&] { gui_->window()->close(); });
    OnBench([](sim::SimInstruments& bench) {
        bench.sensor.clearCommands();
        bench.sensor.inject(sim::Fault::Silence);
    });
    ASSERT_TRUE(WaitFor([&] { return robot_.actionsDone(); }, 20));
    ASSERT_TRUE(WaitFor(
        [&] { return !boxesWith(QStringLiteral("Displacement Sensor COM Error")).isEmpty(); },
        20));
    ASSERT_TRUE(QuestionShown()) << "the link check does not hide the exit question";
    EXPECT_EQ(gui_->termination().windowTitle(), QStringLiteral("Application-Exit Request"));

    // The sensor is back; "No" to the exit: the program goes on, reading again.
    OnBench([](sim::SimInstruments& bench) { bench.sensor.clearFaults(); });
    Click(Button("SonicClickNoBtn"));
    EXPECT_FALSE(QuestionShown());
    const auto indicator = Find<QLineEdit>(QStringLiteral("txtBoxTestData0"));
    ASSERT_TRUE(WaitFor([&] { return !indicator->property("stale").toBool(); }, 20));
    const QString before = indicator->text();
    EXPECT_TRUE(WaitFor([&] { return indicator->text() != before; }, 20)) << "ticks run";
    EXPECT_FALSE(ui::ApplicationEnding());

    // And the exit question, once more, ends the program with "Yes".
    gui_->window()->close();
    ASSERT_TRUE(WaitFor([] { return QuestionShown(); }, 5));
    Click(Button("SonicClickYesBtn"));
    EXPECT_TRUE(ui::ApplicationEnding());
    EXPECT_EQ(ui::ApplicationExitCode(), 0);
}

} // namespace
} // namespace dilato::test
