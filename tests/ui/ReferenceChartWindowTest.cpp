// The reference chart's window maps the chart's model: every run a point of its kind, the
// lab's limits once there are enough checks, the verdict in words.

#include "ReferenceChartHistory.h"

#include "ui/ReferenceChartWindow.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <qcustomplot.h>

namespace dilato::ui {
namespace {

int PointsOf(QCustomPlot& plot, const QString& name) {
    for (int i = 0; i < plot.graphCount(); ++i)
        if (plot.graph(i)->name() == name) return plot.graph(i)->dataCount();
    return -1;
}

TEST(ReferenceChartWindow, DrawsEachRunAsItsKindOfPointAndSaysTheVerdict) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    for (const bool drifted : {false, true}) {
        const ChartState chart = test::ReferenceHistory(drifted);
        ASSERT_EQ(chart.outOfControl, drifted);
        ReferenceChartWindow window;
        window.show(chart);
        QCustomPlot& plot = *window.plot();
        EXPECT_EQ(PointsOf(plot, QStringLiteral("first run (no check)")), 1);
        EXPECT_EQ(PointsOf(plot, QStringLiteral("check in control")), 10);
        EXPECT_EQ(PointsOf(plot, QStringLiteral("check out of control")), drifted ? 1 : 0);
        EXPECT_EQ(PointsOf(plot, QStringLiteral("certified")), drifted ? 12 : 11);
        EXPECT_EQ(PointsOf(plot, QStringLiteral("lab action limits (mean \u00B1 3 s)")), 2);
        EXPECT_EQ(window.verdict().startsWith(QStringLiteral("The instrument is out of control")),
                  drifted)
            << window.verdict().toStdString();
    }
    ReferenceChartWindow empty;
    empty.show({});
    EXPECT_TRUE(empty.verdict().startsWith(QStringLiteral("No reference run yet")));
}

} // namespace
} // namespace dilato::ui
