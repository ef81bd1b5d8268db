// The Results tab driven through its widgets as an operator does, mostly from the keyboard:
// the table filtered, three tests ticked, the overlay and α(T) shown and exported, the batch
// statistics, a report opened, and everything as it was after the tab is left and entered
// again. Pictures of each view are saved when DILATO_SCREENSHOTS names a folder.

#include "GuiProgram.h"
#include "RecordingOpener.h"
#include "StoredTests.h"
#include "WindowRobot.h"

#include "core/Program.h"
#include "platform/Files.h"
#include "support/TempFolder.h"
#include "ui/Guard.h"
#include "ui/plot/PlotTabs.h"
#include "ui/results/ResultsTabs.h"

#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace dilato::test {
namespace {

void ClickTab(QTabWidget& tabs, int index) {
    QTabBar* bar = tabs.tabBar();
    ASSERT_TRUE(WaitFor([&] { return bar->isTabEnabled(index); }, 5)) << "tab " << index;
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, bar->tabRect(index).center());
    ASSERT_EQ(tabs.currentIndex(), index);
}

QString Size() {
    const QSize s = QGuiApplication::primaryScreen()->size();
    return QStringLiteral("%1x%2").arg(s.width()).arg(s.height());
}

std::vector<StoredTest> LabTests() {
    std::vector<StoredTest> tests;
    const double alphas[] = {16.4, 16.7, 16.5, 17.0};
    for (int i = 0; i < 4; ++i)
        tests.push_back(StoredTest{.uid = "cu" + std::to_string(i + 1),
                                   .name = "Copper" + std::to_string(i + 1),
                                   .sample = "CU-bar-" + std::to_string(i + 1),
                                   .started = "2026-11-0" + std::to_string(i + 2) + "T09:00:00",
                                   .a = alphas[i],
                                   .plan = {20, 40, 60, 80, 100, 60, 20},
                                   .readingsPerStep = 60,
                                   .indicatorNoise = 1.5e-6 * (i + 1)});
    tests.push_back(StoredTest{.uid = "al1", .name = "Alu1", .sample = "AL-7",
                               .started = "2026-10-12T09:00:00", .a = 22.8, .b = 0.012});
    tests.push_back(StoredTest{.uid = "fs1", .name = "Silica1", .sample = "FS-1",
                               .material = "glass", .started = "2026-09-30T09:00:00", .a = 0.5,
                               .b = 0.0, .plan = {20, 60, 100}, .timeLimitStep = true});
    return tests;
}

TEST(ResultsTabDriven, FilterTickOverlayAlphaExportAndOpenAReport) {
    TempFolder dir;
    RegisterPdfViewer(dir);
    const std::string system = dir.file("system/");
    WindowRobot robot;
    robot.onBox = [](const QString& text) { ADD_FAILURE() << "unexpected box: " << text.toStdString(); };
    gui::GuiProgram gui(
        gui::ParseGuiOptions({"--simulate", "--time-scale", "60", "--system-folder", system}));
    ASSERT_TRUE(gui.start());
    ui::MainWindow* window = gui.window();
    ASSERT_TRUE(window && window->isVisible());
    ASSERT_TRUE(gui.program().resultsStore);
    WriteStoredTests(gui.program().resultsStore->local(), LabTests(), system + "Data/");
    RecordingOpener opener;
    ResultsTabs& results = window->resultsTabs();
    results.setOpener(opener);
    results.setFontsFolder(DILATO_PROGRAM_FOLDER "/Fonts"); // beside the program, not this test
    ASSERT_TRUE(WaitFor([] { return Lights() == QLatin1String("green green green"); }, 5));

    EXPECT_EQ(window->tabs().tabText(TabIndex(Tab::Results)), QStringLiteral("Results"));
    ClickTab(window->tabs(), TabIndex(Tab::Results));
    auto* table = Find<QTableView>(QStringLiteral("ResultsTable"));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->model()->rowCount(), 6);

    // Filtering as the operator types: "cu-" matches the four copper bars in any case.
    auto* sample = Find<QLineEdit>(QStringLiteral("ResultsSampleFilter"));
    Type(sample, QStringLiteral("cu-"));
    EXPECT_EQ(table->model()->rowCount(), 4);
    EXPECT_EQ(Find<QLabel>(QStringLiteral("ResultsCounts"))->text(),
              QStringLiteral("4 of 6 tests shown, 0 ticked"));
    Click(Find<QCheckBox>(QStringLiteral("ResultsNotAtEquilibrium")));
    EXPECT_EQ(table->model()->rowCount(), 0);
    Click(Find<QCheckBox>(QStringLiteral("ResultsNotAtEquilibrium")));
    EXPECT_EQ(table->model()->rowCount(), 4);

    // Three tests ticked from the keyboard: the first row, Space, Down, Space, Down, Space.
    table->setFocus();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier,
                      table->visualRect(table->model()->index(0, 2)).center());
    for (int i = 0; i < 3; ++i) {
        if (i > 0) QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Space);
    }
    EXPECT_EQ(results.model().tickedUids().size(), 3u);
    EXPECT_EQ(results.model().selectedRow(), 2);
    Screenshot(window, QStringLiteral("results-table-") + Size());

    // The overlay: three tests, each its own legend entry, cooling legs dashed.
    auto* views = Find<QTabWidget>(QStringLiteral("ResultsViews"));
    ClickTab(*views, 1);
    EXPECT_EQ(results.overlayChart().legendEntries(), 4) << "three tests and the cooling key";
    EXPECT_EQ(results.overlayChart().plottables(), 3 * 2 + 1);
    Screenshot(window, QStringLiteral("results-overlay-") + Size());
    Click(Button("ResultsOverlayCsvBtn"));
    auto* exported = Find<QLabel>(QStringLiteral("ResultsExported"));
    ASSERT_TRUE(exported->text().startsWith(QStringLiteral("Saved to ")));
    const QString csv = exported->text().mid(9);
    EXPECT_TRUE(csv.startsWith(QString::fromStdString(system + "Exports/overlay-")));
    EXPECT_TRUE(IsFile(csv.toStdString()));
    Click(Button("ResultsOverlayImageBtn"));
    const QString png = exported->text().mid(9);
    ASSERT_TRUE(png.endsWith(QStringLiteral(".png"))) << png.toStdString();
    QFile image(png);
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    EXPECT_EQ(image.read(4), QByteArray("\x89PNG"));

    // α(T) of the three, and the statistics of the batch.
    ClickTab(*views, 2);
    EXPECT_EQ(results.alphaChart().legendEntries(), 6) << "technical and physical of each";
    Screenshot(window, QStringLiteral("results-alpha-") + Size());
    ClickTab(*views, 3);
    auto* batch = Find<QTableWidget>(QStringLiteral("ResultsBatchTable"));
    ASSERT_GT(batch->rowCount(), 1);
    EXPECT_EQ(batch->item(0, 0)->text(), QStringLiteral("20 to 40 °C"));
    EXPECT_EQ(batch->item(0, 1)->text(), QStringLiteral("3"));
    EXPECT_EQ(Find<QLabel>(QStringLiteral("ResultsBatchCaption"))->text(),
              QStringLiteral("3 tests of metal: Copper4 (CU-bar-4), Copper3 (CU-bar-3), Copper2 (CU-bar-2)"));
    Screenshot(window, QStringLiteral("results-batch-") + Size());
    // The batch summary page, as a PDF of its own.
    Click(Button("ResultsBatchPrintBtn"));
    const QString pdf = exported->text().mid(9);
    ASSERT_TRUE(pdf.endsWith(QStringLiteral(".pdf"))) << pdf.toStdString();
    QFile summary(pdf);
    ASSERT_TRUE(summary.open(QIODevice::ReadOnly));
    EXPECT_EQ(summary.read(5), QByteArray("%PDF-"));

    // The selected test's report, in one click.
    ClickTab(*views, 0);
    EXPECT_TRUE(Find<QWidget>(QStringLiteral("ResultsDetails"))->isVisible());
    Click(Button("ResultsOpenReportBtn"));
    ASSERT_EQ(opener.opened.size(), 1u);
    const std::string selectedName = results.model().test(results.model().selectedRow()).testName;
    EXPECT_EQ(opener.opened[0], system + "Data/Batch/" + selectedName + ".pdf");

    // Left and entered again: the filter, the ticks and the selection are still there.
    ClickTab(window->tabs(), TabIndex(Tab::Test));
    ClickTab(window->tabs(), TabIndex(Tab::Results));
    EXPECT_EQ(sample->text(), QStringLiteral("cu-"));
    EXPECT_EQ(table->model()->rowCount(), 4);
    EXPECT_EQ(results.model().tickedUids().size(), 3u);
    EXPECT_EQ(table->currentIndex().row(), 2);
    EXPECT_EQ(table->model()->data(table->model()->index(0, 0), Qt::CheckStateRole).toInt(),
              Qt::Checked);

    // A click on a column's head sorts by it, the next the other way; the selection follows.
    QHeaderView* head = table->horizontalHeader();
    const auto clickHead = [&](int section) {
        QTest::mouseClick(head->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(head->sectionViewportPosition(section) + 10, head->height() / 2));
    };
    clickHead(column::Sample);
    EXPECT_EQ(table->model()->index(0, column::Sample).data().toString(), QStringLiteral("CU-bar-1"));
    clickHead(column::Sample);
    EXPECT_EQ(table->model()->index(0, column::Sample).data().toString(), QStringLiteral("CU-bar-4"));
    EXPECT_EQ(results.model().test(table->currentIndex().row()).testName, selectedName);

    // Its plot: the Plotting tab with the test's raw data file (made up here: the tab may
    // say it cannot read it).
    EXPECT_TRUE(robot.boxes.isEmpty()) << robot.boxes.join(QLatin1Char('|')).toStdString();
    robot.onBox = {};
    Click(Button("ResultsOpenPlotBtn"));
    EXPECT_EQ(window->tabs().currentIndex(), TabIndex(Tab::Plotting));
    EXPECT_EQ(window->plotTabs().model().SelectedFiles.at(0),
              system + "Data/Batch/" + selectedName + "_CTE.dat");
}

} // namespace
} // namespace dilato::test
