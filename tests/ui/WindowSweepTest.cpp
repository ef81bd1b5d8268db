// Every control of every tab operated once through the window, as an operator would, each
// checked for its effect: the fields and buttons of the Test tab (a test started and stopped),
// the calibration tab's buttons (a calibration started and stopped), the plot lists, types,
// title, rotation and Save, and every option of the Setup Options tab down to the parameter
// file. A control that does nothing, or undoes itself, fails here.

#include "GuiProgram.h"
#include "PlotFakes.h"
#include "WindowRobot.h"

#include "core/Program.h"
#include "core/TerminationDialog.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "storage/RawDataFile.h"
#include "support/TempFolder.h"
#include "ui/Guard.h"
#include "ui/HelpTopics.h"
#include "ui/HelpViewer.h"
#include "ui/HelpWindow.h"
#include "ui/MessageWindows.h"
#include "ui/QtOperator.h"
#include "ui/TerminationWindow.h"
#include "ui/plot/PlotRules.h"
#include "ui/plot/PlotTabs.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

namespace dilato::test {
namespace {

namespace help = ui::help;
using ui::FindHelpTopic;
using ui::HelpTopic;

// A picture of the whole screen at a mended place, when pictures are asked for.
// From inside the robot's own looks (`settle` false) it may not wait: the robot would look again.
void Shot(const QString& name, bool settle = true) {
    if (qEnvironmentVariableIsEmpty("DILATO_SCREENSHOTS")) return;
    if (settle) QTest::qWait(400);
    Screenshot(nullptr,
               QStringLiteral("mended-") + name + qEnvironmentVariable("DILATO_SHOT_SUFFIX"));
}

// The help window, when it shows.
ui::HelpWindow* ShownHelp() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* help = dynamic_cast<ui::HelpWindow*>(top); help && help->isVisible()) return help;
    return nullptr;
}

// The help button opens the manual at the tab's own topic.
void ExpectHelpAt(QAbstractButton* button, int topic) {
    ASSERT_NE(button, nullptr);
    if (ui::HelpWindow* open = ShownHelp()) open->hide();
    Click(button);
    ui::HelpWindow* help = ShownHelp();
    if (topic == help::TestTab) Shot(QStringLiteral("help-window"));
    ASSERT_NE(help, nullptr) << "topic " << topic;
    const HelpTopic* expected = FindHelpTopic(topic);
    ASSERT_NE(expected, nullptr);
    if (help->currentSource().isEmpty()) {
        // The manual is not installed beside this test program: the window names the page.
        EXPECT_TRUE(help->currentText().contains(QString::fromLatin1(expected->page)))
            << help->currentText().toStdString();
    } else {
        EXPECT_EQ(help->currentSource().fileName(), QString::fromLatin1(expected->page));
        EXPECT_EQ(help->currentSource().fragment(), QString::fromLatin1(expected->anchor));
    }
    help->hide();
}

// The modal window of that name (or title), when it is the one in front.
QWidget* Modal(const QString& nameOrTitle) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return nullptr;
    return modal->objectName() == nameOrTitle || modal->windowTitle() == nameOrTitle ? modal
                                                                                     : nullptr;
}

QPushButton* ButtonIn(QWidget* window, const QString& nameOrText) {
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->objectName() == nameOrText || b->text() == nameOrText) return b;
    return nullptr;
}

// Answers the next modal window of that name by clicking one of its buttons.
void Answer(WindowRobot& robot, const QString& window, const QString& button) {
    robot.When([window] { return Modal(window) != nullptr; },
               [window, button] {
                   QWidget* w = Modal(window);
                   QTimer::singleShot(0, [w, button] { Click(ButtonIn(w, button)); });
               });
}

// A click on an option's or a tick box's mark (a click beside its caption misses it).
void ClickMark(QAbstractButton* option) {
    ASSERT_NE(option, nullptr);
    QTest::mouseClick(option, Qt::LeftButton, Qt::NoModifier, QPoint(8, option->height() / 2));
}

void StepUp(QSpinBox* box) {
    ASSERT_NE(box, nullptr);
    Click(box);
    QTest::keyClick(box, Qt::Key_Up);
}

class WindowSweep : public testing::Test {
  protected:
    void SetUp() override {
        ui::ResetEnding();
        RegisterPdfViewer(dir_);
        dir_.write("system/Dilato.ini", "[General]\r\nSystemWarnings=False\r\n");
        // A text file that no program of this desktop opens.
        dir_.write("notes.txt", "a note\n");
    }
    void TearDown() override {
        gui_.reset();
        if (ui::ApplicationEnding()) {
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
        }
    }

    void ClickTab(int index) {
        QTabBar* bar = gui_->window()->tabs().tabBar();
        // The tabs a calibration turned off come back with the next tick.
        ASSERT_TRUE(WaitFor([&] { return bar->isTabEnabled(index); }, 5)) << "tab " << index;
        QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
        ASSERT_EQ(gui_->window()->tabs().currentIndex(), index);
    }
    Program& program() { return gui_->program(); }
    std::string param(const char* key) {
        return ReadIniValue(program().paramFile.MainFileName(), "SysParams", key);
    }

    void TestTab();
    void CalibrationTabModel();
    void PlottingSetupTab();
    void PlottingTab();
    void SetupOptionsTab();

    TempFolder dir_;
    WindowRobot robot_;
    std::unique_ptr<gui::GuiProgram> gui_;
};

void WindowSweep::TestTab() {
    const TestTabView& view = program().session.window.view();
    auto* startNote = Find<QLabel>(QStringLiteral("StartNote"));
    ASSERT_NE(startNote, nullptr);
    EXPECT_FALSE(Button("SonicClickStartBtn")->isEnabled()) << "no data folder yet";
    EXPECT_FALSE(startNote->text().isEmpty()) << "and the window says why";
    Shot(QStringLiteral("start-needs-a-folder"));

    auto* folder = Find<QComboBox>(QStringLiteral("DataFolderCombo"));
    Retype(folder->lineEdit(), QStringLiteral("Sweep"), true);
    EXPECT_TRUE(IsDirectory(gui_->systemFolder() + "Data/Sweep/"));
    EXPECT_TRUE(Button("SonicClickStartBtn")->isEnabled());
    EXPECT_TRUE(startNote->text().isEmpty());
    Type(Find<QComboBox>(QStringLiteral("DataFileCombo"))->lineEdit(), QStringLiteral("Bar1"));
    EXPECT_EQ(program().folders.DataFileName, "Bar1");
    Type(Find<QLineEdit>(QStringLiteral("Comment")), QStringLiteral("Cu"));
    EXPECT_EQ(view.sampleId, "Cu");
    Type(Find<QLineEdit>(QStringLiteral("TextBoxThickness")), QStringLiteral("2.0"));
    EXPECT_EQ(view.sampleLength, "2.0");

    // Browse Data: a file nothing opens is said so, not left silent.
    const QString notes = QString::fromStdString(dir_.file("notes.txt"));
    robot_.When([] { return qobject_cast<QFileDialog*>(QApplication::activeModalWidget()); },
                [notes] {
                    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                    dialog->selectFile(notes);
                    QTimer::singleShot(0, dialog, &QDialog::accept);
                });
    robot_.onBox = [](const QString& box) {
        if (box.startsWith(QLatin1String("Browse Data")))
            Shot(QStringLiteral("browse-data-no-program"), false);
    };
    Click(Button("SonicClickBrowseDataBtn"));
    ASSERT_TRUE(WaitFor([&] { return robot_.actionsDone() && !robot_.boxes.isEmpty(); }, 10));
    EXPECT_EQ(robot_.boxes.back(), QStringLiteral("Browse Data: No program on this computer is "
                                                  "set up to open ") +
                                       notes + QStringLiteral("."));

    Click(Button("SonicClickAboutBtn"));
    auto* about = Find<QWidget>(QStringLiteral("frmAbout"));
    ASSERT_TRUE(about && about->isVisible());
    about->hide();
    ExpectHelpAt(Button("SonicClickTestTabHelpBtn"), help::TestTab);

    // Start runs a test; Stop, answered Yes, ends it.
    Click(Button("SonicClickStartBtn"));
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("yellow red red"); }, 30));
    Click(Button("SonicClickStopTestBtn"));
    ASSERT_TRUE(WaitFor([] { return QuestionShown(); }, 10));
    Shot(QStringLiteral("stop-question"));
    Click(Find<QPushButton>(QStringLiteral("SonicClickYesBtn")));
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 10));
    EXPECT_TRUE(WaitFor([] { return Button("SonicClickStartBtn")->isEnabled(); }, 5));
}

void WindowSweep::CalibrationTabModel() {
    ClickTab(TabIndex(Tab::Calibration));
    auto* message = Find<QPlainTextEdit>(QStringLiteral("txtMsg"));
    const int boxes = static_cast<int>(robot_.boxes.size());
    Click(Button("SonicClickBrowseBtn"));
    ASSERT_TRUE(WaitFor([&] { return robot_.boxes.size() > boxes; }, 5));
    EXPECT_EQ(robot_.boxes.back(),
              QStringLiteral("Dilato: No Calibration Data found for this Instrument!"));
    Click(Button("SonicClickHowToBtn"));
    EXPECT_TRUE(
        message->toPlainText().startsWith(QStringLiteral("Stage Temperature Calibration:")));

    Answer(robot_, QStringLiteral("frmTcCalTest"), QStringLiteral("SonicClickExitBtn"));
    Click(Button("SonicClickTCCalTestBtn"));
    EXPECT_TRUE(robot_.actionsDone()) << "the calibrator test window opened and closed";

    // CAL with the manual calibrator starts a calibration; Stop, answered Yes, ends it and
    // the tab stays in front with How To usable again.
    robot_.When([] { return Modal(QStringLiteral("frmTcCalType")) != nullptr; },
                [] {
                    QWidget* types = Modal(QStringLiteral("frmTcCalType"));
                    ClickMark(types->findChild<QRadioButton*>(QStringLiteral("KitBtn4")));
                    auto* buttons = types->findChild<QDialogButtonBox*>();
                    QTimer::singleShot(0,
                                       [buttons] { Click(buttons->button(QDialogButtonBox::Ok)); });
                });
    Click(Button("SonicClickCalBtn"));
    ASSERT_TRUE(WaitFor(
        [] { return Find<QLabel>(QStringLiteral("TestStatus1"))->text() == "Calibrating"; }, 20));
    EXPECT_FALSE(Button("SonicClickHowToBtn")->isEnabled());
    Click(Button("SonicClickStopCalibBtn")); // "Do you want to exit?": Yes, its default
    ASSERT_TRUE(WaitFor([] { return Button("SonicClickCalibTabHelpBtn")->isEnabled(); }, 10));
    QTest::qWait(300);
    EXPECT_EQ(gui_->window()->tabs().currentIndex(), TabIndex(Tab::Calibration));
    EXPECT_TRUE(Button("SonicClickHowToBtn")->isEnabled());
    EXPECT_FALSE(Button("SonicClickCalBtn")->isEnabled());
    Shot(QStringLiteral("calibration-stopped"));
    ExpectHelpAt(Button("SonicClickCalibTabHelpBtn"), help::CalibrationTab);
}

void WindowSweep::PlottingSetupTab() {
    // A stored test to plot (the list of folders is read again on entering the tab).
    const StepData stored = TestReadings({20, 50, 80}, 4);
    dir_.write("system/Data/Stored/Bar_CTE.dat", "");
    WriteTextLinesAtomic(dir_.file("system/Data/Stored/Bar_CTE.dat"),
                         RawDataLines(stored, stored.stepCount(), 2.0f, 1));
    ClickTab(TabIndex(Tab::PlottingSetup));
    PlottingSetupPage& page = gui_->window()->plotTabs().plottingSetupPage();
    const PlottingModel& model = gui_->window()->plotTabs().model();
    const int folder = page.dataFolderBox->findText(QStringLiteral("Stored"));
    ASSERT_GE(folder, 0);
    page.dataFolderBox->setCurrentIndex(folder);
    emit page.dataFolderBox->activated(folder); // what choosing the entry in its list sends
    ASSERT_EQ(page.folderFilesList->count(), 1);
    EXPECT_EQ(page.folderFilesList->item(0)->text(), QStringLiteral("Bar"));
    const QRect first = page.folderFilesList->visualItemRect(page.folderFilesList->item(0));
    QTest::mouseClick(page.folderFilesList->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_EQ(model.view().dirFiles.selected, 0);
    Click(page.addFilesButton);
    ASSERT_EQ(page.selectedFilesList->count(), 1);
    EXPECT_FALSE(page.addFilesButton->isEnabled()) << "one file at a time";
    const QRect chosen = page.selectedFilesList->visualItemRect(page.selectedFilesList->item(0));
    QTest::mouseClick(page.selectedFilesList->viewport(), Qt::LeftButton, {}, chosen.center());
    QTest::mouseDClick(page.selectedFilesList->viewport(), Qt::LeftButton, {}, chosen.center());
    EXPECT_EQ(page.selectedFilesList->count(), 0) << "a double click removes the file";
    QTest::mouseClick(page.folderFilesList->viewport(), Qt::LeftButton, {}, first.center());
    Click(page.addFilesButton);
    Click(page.clearButton);
    EXPECT_EQ(page.selectedFilesList->count(), 0);
    EXPECT_FALSE(page.clearButton->isEnabled());
    QTest::mouseClick(page.folderFilesList->viewport(), Qt::LeftButton, {}, first.center());
    Click(page.addFilesButton);
    ASSERT_EQ(page.selectedFilesList->count(), 1);

    for (int type : {2, 1, 0}) {
        ClickMark(page.xAxisChoice->button(type));
        EXPECT_EQ(OptionIndex(model.GraphType), type);
        EXPECT_EQ(page.titleBox->text().toStdString(), DefaultTitle(GraphKindAt(type).value()));
    }
    Retype(page.titleBox, QStringLiteral("Sweep plot"));
    ExpectHelpAt(page.setupHelpButton, help::PlottingSetupTab);
}

void WindowSweep::PlottingTab() {
    ClickTab(TabIndex(Tab::Plotting));
    PlotTabs& plots = gui_->window()->plotTabs();
    PlottingPage& page = plots.plottingPage();
    EXPECT_EQ(plots.graph().ChartTitleText(), "Sweep plot");
    EXPECT_EQ(plots.model().SelectedFiles.size(), 1u);
    // ">" steps through the types and stays under the pointer while their names change.
    QTest::qWait(50); // the tab laid out
    const QPoint at = page.nextGraphButton->mapTo(gui_->window(), QPoint(0, 0));
    for (int type : {1, 2, 0}) {
        Click(page.nextGraphButton);
        EXPECT_EQ(OptionIndex(plots.model().GraphType), type);
        QApplication::processEvents();
        EXPECT_EQ(page.nextGraphButton->mapTo(gui_->window(), QPoint(0, 0)), at) << type;
    }
    Answer(robot_, QStringLiteral("Graph Save Options"), QStringLiteral("OK"));
    Click(page.saveButton);
    const std::string image = gui_->systemFolder() + "Data/Stored/Bar_CTE_Disp-Time.jpg";
    EXPECT_TRUE(IsFile(image));
    auto* saved = page.findChild<QLabel*>(QStringLiteral("lblSavedTo"));
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->text().toStdString(), "Graph saved to " + image);
    Shot(QStringLiteral("plot-saved"));
    ExpectHelpAt(page.helpButton, help::PlottingTab);
}

void WindowSweep::SetupOptionsTab() {
    ClickTab(TabIndex(Tab::SetupOptions));
    for (const char* caption : {"Temperature After Testing", "Accuracy / Speed"}) {
        bool found = false;
        for (QGroupBox* frame : gui_->window()->page(Tab::SetupOptions).findChildren<QGroupBox*>())
            found = found || frame->title() == QLatin1String(caption);
        EXPECT_TRUE(found) << caption;
    }
    for (int i : {1, 0, 2}) {
        ClickMark(Find<QRadioButton>(QStringLiteral("OptTempEnd%1").arg(i)));
        EXPECT_TRUE(Find<QRadioButton>(QStringLiteral("OptTempEnd%1").arg(i))->isChecked());
    }
    ClickMark(Find<QRadioButton>(QStringLiteral("OptUnits1")));
    EXPECT_TRUE(Find<QRadioButton>(QStringLiteral("OptUnits1"))->isChecked()) << "Metric stays";
    EXPECT_FALSE(program().session.run.UnitsInches);
    EXPECT_EQ(Find<QRadioButton>(QStringLiteral("OptUnits1"))->text(),
              QStringLiteral("Metric (millimeters)"));
    ClickMark(Find<QRadioButton>(QStringLiteral("AccuracyOpt2")));
    Shot(QStringLiteral("setup-options-metric"));
    Type(Find<QLineEdit>(QStringLiteral("TxtPassWord")), QStringLiteral("a b"));
    EXPECT_EQ(robot_.boxes.back(), QStringLiteral("Dilato: No spaces allowed in Password"));
    auto* points = Find<QSpinBox>(QStringLiteral("UpDownNumPts"));
    points->setFocus();
    points->selectAll();
    QTest::keyClicks(points, QStringLiteral("9"));
    EXPECT_EQ(program().params.SysParam(slot::NumberOfBatchTests).number(), 9);
    std::vector<int> temps;
    for (int c = 0; c < 9; ++c) {
        auto* box = Find<QSpinBox>(QStringLiteral("TempBatch%1").arg(c));
        ASSERT_TRUE(box->isEnabled()) << c;
        StepUp(box);
        temps.push_back(box->value());
    }
    // Each tick box turned over once; on leaving, its key holds the new state.
    const std::vector<std::pair<const char*, const char*>> checks{
        {"ChkRoundTrip", "AddRoundTripTests"},
        {"OptimizeTempPts", "OptimumTempOrdering"},
        {"CheckBoxCreatePDF", "PDFdataWrite"}};
    std::vector<std::string> ticked;
    for (const auto& [check, key] : checks) {
        auto* box = Find<QCheckBox>(QString::fromLatin1(check));
        const bool before = box->isChecked();
        ClickMark(box);
        EXPECT_NE(box->isChecked(), before) << check;
        ticked.push_back(box->isChecked() ? "1" : "0");
    }
    Answer(robot_, QStringLiteral("frmDataStorageOptions"), QStringLiteral("SonicClickCancelBtn"));
    Click(Button("SonicClickDataStoreBtn"));
    EXPECT_TRUE(robot_.actionsDone()) << "the data storage options opened";
    ExpectHelpAt(Button("SonicClickSetupTabHelpBtn"), help::SetupOptionsTab);

    // Leaving the tab writes every option to the parameter file.
    ClickTab(TabIndex(Tab::Test));
    EXPECT_EQ(param("TestEndTempOption"), "2");
    EXPECT_EQ(param("Units"), "1");
    EXPECT_EQ(param("AccuracyOption"), "2");
    EXPECT_EQ(param("Password"), "b");
    EXPECT_EQ(param("NumberOfBatchTests"), "9");
    for (size_t i = 0; i < checks.size(); ++i)
        EXPECT_EQ(param(checks[i].second), ticked[i]) << checks[i].first;
    std::string batch;
    for (int t : temps)
        batch += (batch.empty() ? "" : "/") + std::to_string(t);
    std::vector<int> stored;
    for (int c = 0; c < 9; ++c)
        stored.push_back(
            static_cast<int>(program().params.SysParam(slot::FirstBatchTemp + c).number()));
    std::vector<int> sortedTemps = temps, sortedStored = stored;
    std::sort(sortedTemps.begin(), sortedTemps.end());
    std::sort(sortedStored.begin(), sortedStored.end());
    EXPECT_EQ(sortedStored, sortedTemps) << "each point's new value (in run order): " << batch;
    EXPECT_EQ(Find<QLabel>(QStringLiteral("LabelThicknessUnits"))->text(), QStringLiteral("mm"));
}

TEST_F(WindowSweep, EveryControlOfEveryTabHasItsEffect) {
    gui_ = std::make_unique<gui::GuiProgram>(gui::ParseGuiOptions(
        {"--simulate", "--time-scale", "60", "--system-folder", dir_.file("system/")}));
    ASSERT_TRUE(gui_->start());
    ASSERT_FALSE(ui::ApplicationEnding());
    gui_->window()->setAfterRefresh([this] { robot_.NoteLooks(); });
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 10));

    TestTab();
    if (HasFatalFailure()) return;
    CalibrationTabModel();
    if (HasFatalFailure()) return;
    ClickTab(TabIndex(Tab::Test));
    PlottingSetupTab();
    if (HasFatalFailure()) return;
    PlottingTab();
    if (HasFatalFailure()) return;
    SetupOptionsTab();
}

class NoHelp final : public ui::HelpViewer {
  public:
    void showTopic(int) override {}
};

TEST(PdfViewerPrompt, ContinueWithoutGoesOnAndCloseEnds) {
    NoHelp viewer;
    WindowRobot robot;
    robot.When([] { return Modal(QStringLiteral("frmSystemAcrobatInstallPrompt")) != nullptr; },
               [] {
                   Shot(QStringLiteral("pdf-viewer-prompt"), false);
                   QWidget* prompt = Modal(QStringLiteral("frmSystemAcrobatInstallPrompt"));
                   QTimer::singleShot(0, [prompt] {
                       Click(ButtonIn(prompt, QStringLiteral("SonicClickContinueWithoutBtn")));
                   });
               });
    EXPECT_EQ(ui::ShowPdfViewerPrompt(viewer), DialogClose::GoOnWithout);
    Answer(robot, QStringLiteral("frmSystemAcrobatInstallPrompt"),
           QStringLiteral("SonicClickCloseBtn"));
    EXPECT_EQ(ui::ShowPdfViewerPrompt(viewer), DialogClose::Button);
}

// A window manager writes the title in a bar as wide as the window: a narrow dialog cuts it.
// The bar needs at least the title's own width and room for its icon and buttons.
TEST(DialogTitles, DialogsAreWideEnoughForTheirWholeTitle) {
    const auto needed = [](const QString& title) {
        QFont bold = QApplication::font();
        bold.setBold(true);
        return QFontMetrics(bold).horizontalAdvance(title) + 100;
    };
    ui::QtOperator op;
    int boxWidth = 0;
    QString boxTitle;
    op.setBeforeShow([&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            boxWidth = box->width();
            boxTitle = box->windowTitle();
            box->accept();
        });
    });
    ShowMessage(op, "Error: Only one Dilato session allowed!", "Multiple Dilato Instance Warning");
    EXPECT_EQ(boxTitle, QStringLiteral("Multiple Dilato Instance Warning"));
    EXPECT_GE(boxWidth, needed(boxTitle));

    ui::TerminationWindow question(op);
    question.open(TestTerminationQuestion(false));
    QApplication::processEvents();
    EXPECT_GE(question.width(), needed(QStringLiteral("Test-Termination Request")));
    question.close();
}

} // namespace
} // namespace dilato::test
