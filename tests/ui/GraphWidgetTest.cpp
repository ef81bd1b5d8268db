// The graph object and the plotting widgets on an offscreen display: what the chart shows,
// images written at the chosen size, tool tips, the full view after zooming, the dialog.

#include "PlotFakes.h"

#include "ui/plot/Graph.h"
#include "ui/plot/PlotRules.h"
#include "ui/plot/PlotTabs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QListWidget>
#include <QPushButton>
#include <QCheckBox>
#include <QImageReader>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace dilato {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "ui-tests";
    static char* argv[] = {name, nullptr};
    // Left to the end of the process: destroying it among the other statics at exit crashes.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

PlotFigure Figure(GraphKind type) {
    test::RecordingOperator op;
    const StepData data = test::TestReadings({20, 50, 80}, 40);
    const PlotPoints points = StoredPoints(data, type);
    return BuildPlot(op, PlotInput{points.x, points.y, StepEnds(data), 2.0f, "Bar_CTE."}, type,
                     true);
}

TEST(Graph, ShowsEachPlotTypeWithItsTitlesSeriesAndLabels) {
    App();
    Graph g;
    g.ChartWidget()->resize(900, 600);
    for (const GraphKind type : kGraphKinds) {
        g.SetupGraph(GraphSetup{type, "", "", 4, true});
        const PlotFigure f = Figure(type);
        g.Plot(f);
        EXPECT_EQ(g.ChartTitleText(), DefaultTitle(type));
        EXPECT_EQ(g.XAxisTitle, HorizontalAxisTitle(type));
        EXPECT_EQ(g.SeriesCount(), static_cast<int>(f.series.size()));
        EXPECT_EQ(g.Annotations(), f.labels) << OptionIndex(type);
        EXPECT_GE(g.LegendItemCount(), 1) << OptionIndex(type);
    }
    g.SetupGraph(GraphSetup{GraphKind::TemperatureTime, "", "Copper bar", 4, false});
    EXPECT_EQ(g.ChartTitleText(), "Copper bar");
    EXPECT_EQ(g.SeriesCount(), 0) << "set-up clears every series";
    EXPECT_TRUE(g.Annotations().empty()) << "and every label";
    EXPECT_EQ(g.YAxisTitle, "Temperature \u00B0C");
}

TEST(Graph, WritesJpegAndBitmapThatQtReadsAtTheChosenSize) {
    App();
    test::TempFolder dir;
    Graph g;
    g.ChartWidget()->resize(900, 600);
    g.SetupGraph(GraphSetup{GraphKind::DisplacementTemperature, "", "", 4, true});
    g.Plot(Figure(GraphKind::DisplacementTemperature));
    std::string error;
    ASSERT_TRUE(g.ExportImage(dir.file("a.jpg"), 1, error)) << error;
    ASSERT_TRUE(g.ExportImage(dir.file("a.bmp"), 0, 640, 480, error)) << error;
    QImageReader jpeg(QString::fromStdString(dir.file("a.jpg")));
    EXPECT_EQ(jpeg.format(), "jpeg");
    EXPECT_EQ(jpeg.size(), QSize(900, 600)) << "the chart as shown";
    QImageReader bmp(QString::fromStdString(dir.file("a.bmp")));
    EXPECT_EQ(bmp.format(), "bmp");
    const QImage image = bmp.read();
    EXPECT_EQ(image.size(), QSize(640, 480));

    EXPECT_FALSE(g.ExportImage(dir.file("missing/a.jpg"), 1, error));
    EXPECT_NE(error.find("missing/a.jpg"), std::string::npos);

    // A white background image: scheme 5 without the gradient is white at the corners.
    g.SetGradient(false);
    g.SetupGraph(GraphSetup{GraphKind::DisplacementTemperature, "", "", 5, true});
    g.Plot(Figure(GraphKind::DisplacementTemperature));
    ASSERT_TRUE(g.ExportImage(dir.file("w.bmp"), 0, error));
    EXPECT_EQ(QImage(QString::fromStdString(dir.file("w.bmp"))).pixelColor(2, 2), QColor(Qt::white));
}

TEST(Graph, ToolTipsNameAPointsValuesAndDoubleClickGivesTheFullViewBack) {
    App();
    Graph g;
    g.ChartWidget()->resize(900, 600);
    g.SetupGraph(GraphSetup{GraphKind::TemperatureTime, "", "", 4, true});
    PlotFigure f = Figure(GraphKind::TemperatureTime);
    g.Plot(f);
    const auto [px, py] = g.PixelOf(f.series[0].x[5], f.series[0].y[5]);
    EXPECT_EQ(g.ToolTipAt(px, py),
              PointToolTip(GraphKind::TemperatureTime, true, f.series[0].x[5], f.series[0].y[5]));
    EXPECT_EQ(g.ToolTipAt(2, 2), "") << "nothing near the corner";

    const auto full = g.XRange();
    QWheelEvent wheel(QPointF(450, 300), g.ChartWidget()->mapToGlobal(QPointF(450, 300)), QPoint(),
                      QPoint(0, 240), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g.ChartWidget(), &wheel);
    EXPECT_LT(g.XRange().second - g.XRange().first, full.second - full.first) << "zoomed in";
    g.FullView();
    EXPECT_EQ(g.XRange(), full);
}

TEST(SaveOptionsDialog, RefusesABlankNameAndRemembersTheBackground) {
    App();
    test::RecordingOperator op;
    GraphSaveOptionsDialog dialog(op, nullptr);
    auto* name = dialog.findChild<QLineEdit*>();
    auto* negative = dialog.findChild<QCheckBox*>();
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(name->text(), "Bar_CTE");
        EXPECT_EQ(name->selectedText(), "Bar_CTE") << "the whole name is highlighted";
        name->setText("   ");
        EXPECT_FALSE(dialog.ClickOk());
        EXPECT_EQ(op.last().text, "Please enter a filename to save to!");
        name->setText(" lead");
        negative->setChecked(true);
        dialog.findChildren<QRadioButton*>().at(0)->setChecked(true); // BMP
        EXPECT_TRUE(dialog.ClickOk());
    });
    const GraphSaveOptions& result = dialog.Show("Bar_CTE");
    EXPECT_FALSE(result.Canceled);
    EXPECT_EQ(result.FileName, " lead") << "used as typed";
    EXPECT_EQ(result.ImgType, 0);
    EXPECT_TRUE(result.UseNegImage);

    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_TRUE(dialog.findChildren<QRadioButton*>().at(1)->isChecked()) << "JPEG again";
        EXPECT_TRUE(negative->isChecked()) << "the check box keeps its state";
        dialog.ClickCancel();
    });
    EXPECT_TRUE(dialog.Show("Untitled").Canceled);
}

TEST(PlotTabs, TheChartBeforeItsFirstPlotHasTheColoursOfEveryPlot) {
    App();
    test::PlotBench b;
    PlotTabs tabs(PlotTabServices{b.run, b.params, b.folders, b.files, b.op}, nullptr);
    QWidget* chart = tabs.graph().ChartWidget();
    chart->resize(640, 480);
    // No yellow titles or magenta axes (the first built-in scheme) anywhere on the chart.
    const QImage picture = chart->grab().toImage();
    int odd = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            odd += c == QColor(255, 0, 255) || c == QColor(255, 255, 0);
        }
    EXPECT_EQ(odd, 0);
}

TEST(PlotTabs, TheWidgetsFollowTheModel) {
    App();
    test::PlotBench b;
    b.Store("F", "a", test::TestReadings({20, 50}, 3));
    PlotTabs tabs(PlotTabServices{b.run, b.params, b.folders, b.files, b.op}, nullptr);
    tabs.EnterPlottingSetup();
    PlottingSetupPage& setup = tabs.plottingSetupPage();
    EXPECT_EQ(setup.folderFilesList->count(), 1);
    setup.folderFilesList->setCurrentRow(0);
    setup.addFilesButton->click();
    EXPECT_EQ(setup.selectedFilesList->count(), 1);
    EXPECT_FALSE(setup.addFilesButton->isEnabled());
    setup.xAxisChoice->button(2)->click();
    EXPECT_EQ(setup.titleBox->text().toStdString(), " Displacement vs Temperature");
    tabs.LeavePlottingSetup();
    tabs.EnterPlotting();
    EXPECT_EQ(tabs.graph().SeriesCount(), 2);
    EXPECT_EQ(tabs.graph().Annotations().size(), 1u);
    tabs.plottingPage().nextGraphButton->click();
    EXPECT_EQ(tabs.model().GraphType, GraphKind::DisplacementTime);
    EXPECT_EQ(tabs.graph().ChartTitleText(), " Displacement vs Time");
}

} // namespace
} // namespace dilato
