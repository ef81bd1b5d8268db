// The start-up in its order against simulated instruments, with a host that records what the
// desktop and the windows were asked; the close request and the exit question; the password
// and warnings windows' rules; the desktop checks.

#include "core/CoreFakes.h"
#include "core/SimulatedProgram.h"
#include "core/SimulatedSetup.h"

#include "core/StartUp.h"
#include "core/StartUpModels.h"
#include "core/TestRecovery.h"
#include "platform/DesktopChecks.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/ProgramEnd.h"
#include "platform/TextFile.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#include "storage/TestJournal.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>

namespace dilato {
namespace {

// The reading lines of a file in the raw data file's format.
int StepReadingCount(const std::string& file) {
    const auto lines = ReadTextLines(file);
    int n = 0;
    if (lines)
        for (const auto& line : *lines) n += line.find(",     ") != std::string::npos;
    return n;
}

class FakeHost final : public StartUpHost {
  public:
    bool TakeSingleCopyLock() override { return note("lock"), !otherCopy; }
    bool MonetaryDecimalIsPoint() override { return note("locale"), localeOk; }
    DialogClose ShowRegionalSettingsWarning() override { return note("regional"), regionalClose; }
    void RaisePriority() override { note("priority"); }
    bool PdfViewerRegistered() override { return note("pdf"), pdfViewer; }
    DialogClose ShowPdfViewerPrompt() override { return note("pdf prompt"), pdfPromptClose; }
    void ShowComPortSettings() override { note("com window"); }
    bool ShowUpdateReminder(bool remind) override { return note("update reminder"), remind; }
    bool ShowUpdateInstaller() override { return note("installer"), false; }
    int ScreenHeight() override { return note("screen"), screenHeight; }
    void ShowVideoModeWarning() override { note("video warning"); }
    void ShowSysparamBackupChoice() override { note("backup choice"); }
    bool ShowPassword() override { return note("password"), false; }
    DialogClose ShowSystemWarnings() override { return note("warnings"), warningsClose; }
    void ShowTimedMessage(const std::string& caption, const std::string& text, int ms) override {
        note("timed " + caption + ": " + text + " " + std::to_string(ms));
    }
    void ShowMainWindow() override { note("main window"); }
    void FocusTabStrip() override { note("focus"); }

    bool otherCopy = false, localeOk = true, pdfViewer = true;
    DialogClose regionalClose = DialogClose::Button, pdfPromptClose = DialogClose::OtherMeans,
                warningsClose = DialogClose::Button;
    int screenHeight = 1080;
    std::vector<std::string> calls;

    [[nodiscard]] bool called(const std::string& what) const {
        return std::find(calls.begin(), calls.end(), what) != calls.end();
    }

  private:
    void note(const std::string& what) { calls.push_back(what); }
};

// A program on the simulated bench, its system folder provisioned, the start-up ready to run.
struct StartBench : test::PluggedProgram {
    StartBench()
        : PluggedProgram(sim::BenchParams{}), startUp(program, host, clock, op, termination) {
        (void)ProvisionSystemFolder(program.folders, op);
        WriteIniValue(program.settings.FileName(), "General", "Keyence_Comport", "1");
        WriteIniValue(program.settings.FileName(), "General", "TE_Comport", "2");
        WriteIniValue(program.settings.FileName(), "General", "UpdateDate",
                      FormatDateMDY(clock.today()));
    }
    // Runs the start-up; the reason when the program ended on the way.
    std::string Main(bool* shown = nullptr) {
        try {
            const bool up = startUp.Main();
            if (shown) *shown = up;
            return {};
        } catch (const ProgramEnd& end) {
            return end.reason.empty() ? "ended" : end.reason;
        }
    }

    FakeHost host;
    StartUp startUp;
};

TEST(StartUp, RunsItsStepsInOrderAndLeavesTheTicksRunning) {
    StartBench b;
    bool shown = false;
    EXPECT_EQ(b.Main(&shown), "");
    EXPECT_TRUE(shown);
    EXPECT_EQ(b.host.calls,
              (std::vector<std::string>{
                  "lock", "locale", "priority", "pdf", "screen", "warnings",
                  "timed Initial Warm-up Warning: Please allow the CTE Tester to warm-up for 15 "
                  "minutes prior to use! 5000",
                  "main window", "focus"}));
    EXPECT_TRUE(b.op.messages.empty()) << b.op.last().text;
    EXPECT_TRUE(b.program.session.ticks.TicksActive());
    EXPECT_EQ(b.program.session.run.testState, state::Idle);
    EXPECT_TRUE(b.startUp.readerInstalled);
    EXPECT_TRUE(b.startUp.fullOperation);
    EXPECT_EQ(b.program.links.CommandedTemp(), 20) << "the stage goes to 20 °C";
    EXPECT_TRUE(IsDirectory(b.program.folders.SysFolder + "LiveUpdate"));
}

TEST(StartUp, EndsOrGoesOnAsEachCheckSays) {
    {
        StartBench b;
        b.host.otherCopy = true;
        bool shown = true;
        EXPECT_EQ(b.Main(&shown), "");
        EXPECT_FALSE(shown);
        EXPECT_EQ(b.op.last().text, "Error: Only one Dilato session allowed!");
        EXPECT_EQ(b.op.last().title, "Multiple Dilato Instance Warning");
        EXPECT_EQ(b.host.calls, std::vector<std::string>{"lock"}) << "nothing else ran";
    }
    {
        StartBench b;
        std::filesystem::remove(b.program.paramFile.MainFileName());
        b.dir.write("sys/CTESysParam.dat", "");
        EXPECT_NE(b.Main(), "");
        EXPECT_TRUE(b.op.sawText("Dilato software will now abort!"));
    }
    {
        StartBench b; // the regional settings warning's OK ends the program
        b.host.localeOk = false;
        EXPECT_EQ(b.Main(), "regional settings");
    }
    {
        StartBench b; // closed by other means, the start-up goes on
        b.host.localeOk = false;
        b.host.regionalClose = DialogClose::OtherMeans;
        EXPECT_EQ(b.Main(), "");
        EXPECT_TRUE(b.host.called("regional"));
    }
    {
        StartBench b; // no PDF viewer: the prompt's Close ends, its close box goes on
        b.host.pdfViewer = false;
        EXPECT_EQ(b.Main(), "");
        EXPECT_FALSE(b.startUp.readerInstalled);
        StartBench c;
        c.host.pdfViewer = false;
        c.host.pdfPromptClose = DialogClose::Button;
        EXPECT_EQ(c.Main(), "no PDF viewer");
    }
    {
        StartBench b; // one COM port only
        b.board.vanish(2);
        b.board.vanish(3);
        EXPECT_EQ(b.Main(), "fewer than two COM ports");
        EXPECT_EQ(
            b.op.last().text,
            "PC does not appear to have at least two COM ports available.\nDilato is ending.");
        EXPECT_EQ(b.op.last().title, "COM Port Error");
    }
    {
        StartBench b; // a port not set, then a port not present: the COM window, twice
        WriteIniValue(b.program.settings.FileName(), "General", "Keyence_Comport", "0");
        b.Main();
        EXPECT_EQ(std::count(b.host.calls.begin(), b.host.calls.end(), "com window"), 2);
    }
    for (const auto& [height, ends, warns] : {std::tuple{767, true, true},
                                              {768, false, true},
                                              {899, false, true},
                                              {900, false, false}}) {
        StartBench b;
        b.host.screenHeight = height;
        EXPECT_EQ(b.Main() == "screen too small", ends) << height;
        EXPECT_EQ(b.host.called("video warning"), warns) << height;
    }
    {
        StartBench b; // warnings closed other than by Continue end the program
        b.host.warningsClose = DialogClose::OtherMeans;
        EXPECT_EQ(b.Main(), "system warnings closed");
        EXPECT_FALSE(b.host.called("main window"));
    }
}

TEST(StartUp, ContinuingWithoutAPdfViewerIsRememberedForTheNextStart) {
    StartBench b;
    b.host.pdfViewer = false;
    b.host.pdfPromptClose = DialogClose::GoOnWithout;
    EXPECT_EQ(b.Main(), "");
    EXPECT_TRUE(b.host.called("pdf prompt"));
    EXPECT_TRUE(b.host.called("main window")) << "the start-up goes on";
    EXPECT_EQ(ReadIniValue(b.program.settings.FileName(), "General", "PdfViewerPrompt"), "False");

    b.program.settings.promptForPdfViewer = true; // what the next start reads from the file
    b.host.calls.clear();
    b.program.settings.LoadSettings();
    EXPECT_FALSE(b.program.settings.promptForPdfViewer);
}

TEST(StartUp, AsksForThePasswordAndRemindsOfUpdatesOnlyWhenDue) {
    StartBench b;
    WriteIniValue(b.program.paramFile.MainFileName(), "SysParams", "Password", "secret");
    WriteIniValue(b.program.settings.FileName(), "General", "SystemWarnings", "False");
    WriteIniValue(b.program.settings.FileName(), "General", "UpdateDate",
                  FormatDateMDY(b.clock.today().addDays(-90)));
    EXPECT_EQ(b.Main(), "");
    EXPECT_TRUE(b.host.called("password"));
    EXPECT_FALSE(b.startUp.fullOperation);
    EXPECT_FALSE(b.host.called("warnings"));
    EXPECT_TRUE(b.host.called("update reminder"));
    EXPECT_EQ(b.program.settings.updateReminderDate, FormatDateMDY(b.clock.today()));

    StartBench c;
    WriteIniValue(c.program.settings.FileName(), "General", "UpdateDate",
                  FormatDateMDY(c.clock.today().addDays(-89)));
    EXPECT_EQ(c.Main(), "");
    EXPECT_FALSE(c.host.called("update reminder"));
}

TEST(CloseRequest, AsksTheExitQuestionUnlessAStopWaitsForItsTick) {
    StartBench b;
    ASSERT_EQ(b.Main(), "");
    TestRun& run = b.program.session.run;
    b.startUp.CloseRequest();
    ASSERT_EQ(b.termination.asked.size(), 1u);
    EXPECT_EQ(b.termination.asked.back().caption, "Application-Exit Request");
    EXPECT_TRUE(run.ExitRequested);
    EXPECT_FALSE(b.program.session.ticks.TicksActive()) << "the ticks wait for the answer";
    b.startUp.CloseRequest();
    EXPECT_EQ(b.termination.asked.size(), 1u) << "one question at a time";
    b.startUp.TerminationAnswer(false);
    EXPECT_FALSE(run.ExitRequested);
    EXPECT_FALSE(b.termination.isVisible());
    EXPECT_TRUE(b.program.session.ticks.TicksActive()) << "No: the program goes on";

    // A Stop request waiting for its tick: no question, and the tick comes to ask its own.
    run.StopRequested = true;
    b.startUp.CloseRequest();
    EXPECT_EQ(b.termination.asked.size(), 1u);
    EXPECT_TRUE(b.program.session.ticks.TicksActive());

    run.StopRequested = false;
    b.startUp.CloseRequest();
    bool ended = false;
    try {
        b.startUp.TerminationAnswer(true);
    } catch (const ProgramEnd& end) {
        ended = end.exitCode == 0;
    }
    EXPECT_TRUE(ended) << "Yes ends the program";
    EXPECT_FALSE(b.program.session.ticks.TicksActive());
    EXPECT_EQ(b.program.links.CommandedTemp(), 20);
}

TEST(StartUp, AnInterruptedTestIsAskedAboutOnceTheMainWindowIsUp) {
    StartBench b;
    // The journal a power cut left in the middle of the first step of a test of 20 and 50 °C.
    JournalStart start;
    start.time = "12-09-2026 10:00:00";
    start.dataFolder = "Demo";
    start.testName = "Bar";
    start.lengthBox = "2.000";
    start.sampleLength = 2.0f;
    start.batchTests = 2;
    start.plan = {"20", "50", "", "", "", "", "", "", ""};
    JournalFile journal(b.dir.path() + "sys/Data/Demo/Bar_CTE.jnl");
    std::filesystem::create_directories(b.dir.path() + "sys/Data/Demo");
    journal.append(JournalStartLine(start));
    for (int r = 1; r <= 5; ++r)
        journal.append(JournalReadingLine("12-09-2026 10:0" + std::to_string(r) + ":00", 1,
                                          Reading{r * 0.1f, 0.1f, 21.0f, 0.0f, 0.0f}));

    b.op.queueAnswer(MessageAnswer::Yes);
    EXPECT_EQ(b.Main(), "");
    ASSERT_FALSE(b.op.messages.empty());
    const Message& question = b.op.messages.back();
    EXPECT_EQ(question.title, kInterruptedTitle);
    EXPECT_NE(question.text.find("\"Bar\" in the data folder Demo was interrupted in step 1 of 2 "
                                 "(20 \xC2\xB0""C) at 12-09-2026 10:05:00"),
              std::string::npos)
        << question.text;
    EXPECT_EQ(b.host.calls.back(), "focus") << "asked with the main window up";
    EXPECT_EQ(b.program.session.run.testState, state::StepStart) << "resumed";
    EXPECT_EQ(b.program.folders.DataFileName, "Bar");
    EXPECT_EQ(StepReadingCount(b.dir.path() + "sys/Data/Demo/Bar_Interrupted.txt"), 5);
}

TEST(DesktopChecks, MoneyWithAPointAndARegisteredPdfViewer) {
    EXPECT_TRUE(MonetaryDecimalIsPoint(QLocale(QLocale::English, QLocale::UnitedStates)));
    EXPECT_TRUE(MonetaryDecimalIsPoint(QLocale::c()));
    EXPECT_FALSE(MonetaryDecimalIsPoint(QLocale(QLocale::German, QLocale::Germany)));
    EXPECT_FALSE(MonetaryDecimalIsPoint(QLocale(QLocale::French, QLocale::France)));

    test::TempFolder dir;
    const auto listed = [&](const std::string& text) {
        return PdfViewerListed({dir.write("list", text), dir.file("missing")});
    };
    EXPECT_TRUE(listed("[MIME Cache]\napplication/pdf=evince.desktop;\n"));
    EXPECT_TRUE(listed("[Default Applications]\napplication/pdf=okular.desktop\n"));
    EXPECT_FALSE(listed("[Removed Associations]\napplication/pdf=evince.desktop;\n"));
    EXPECT_FALSE(listed("[MIME Cache]\napplication/pdf=\ntext/plain=gedit.desktop;\n"));
    EXPECT_FALSE(listed("[MIME Cache]\napplication/pdfx=viewer.desktop;\n"));
}

} // namespace
} // namespace dilato
