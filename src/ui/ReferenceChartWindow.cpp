#include "ui/ReferenceChartWindow.h"

#include <QLabel>
#include <QVBoxLayout>
#include <qcustomplot.h>

namespace dilato::ui {

namespace {

double When(const ChartPoint& p) {
    return static_cast<double>(p.made.toSecsSinceEpoch());
}

QCPGraph* Line(QCustomPlot& plot, const QString& name, const QPen& pen) {
    QCPGraph* g = plot.addGraph();
    g->setName(name);
    g->setPen(pen);
    return g;
}

QCPGraph* Points(QCustomPlot& plot, const QString& name, const QColor& colour) {
    QCPGraph* g = plot.addGraph();
    g->setName(name);
    g->setLineStyle(QCPGraph::lsNone);
    g->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, colour, colour, 8));
    return g;
}

} // namespace

ReferenceChartWindow::ReferenceChartWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmReferenceChart"));
    setWindowTitle(QStringLiteral("Reference Chart"));
    verdict_ = new QLabel(this);
    verdict_->setObjectName(QStringLiteral("ReferenceVerdictLbl"));
    verdict_->setWordWrap(true);
    plot_ = new QCustomPlot(this);
    plot_->setObjectName(QStringLiteral("ReferenceChartPlot"));
    plot_->setMinimumSize(600, 360);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(verdict_);
    layout->addWidget(plot_, 1);
}

QString ReferenceChartWindow::verdict() const {
    return verdict_->text();
}

void ReferenceChartWindow::show(const ChartState& chart) {
    plot_->clearGraphs();
    if (chart.points.empty()) {
        verdict_->setText(QStringLiteral("No reference run yet: the tests use the fixed fixture "
                                         "correction."));
        verdict_->setStyleSheet({});
        plot_->replot();
        return;
    }
    verdict_->setText(chart.outOfControl
                          ? QString::fromStdString(chart.warning)
                          : QStringLiteral("In control: the latest check of the instrument "
                                           "broke no rule."));
    verdict_->setStyleSheet(chart.outOfControl ? QStringLiteral("color: #b00000; font-weight: bold;")
                                               : QStringLiteral("color: #006000;"));

    QCPGraph* certified = Line(*plot_, QStringLiteral("certified"), QPen(Qt::darkGreen, 2));
    QCPGraph* bandHigh =
        Line(*plot_, QStringLiteral("certified \u00B1 U"), QPen(Qt::darkGreen, 1, Qt::DashLine));
    QCPGraph* bandLow = Line(*plot_, QString(), QPen(Qt::darkGreen, 1, Qt::DashLine));
    bandLow->removeFromLegend();
    QCPGraph* first = Points(*plot_, QStringLiteral("first run (no check)"), Qt::gray);
    QCPGraph* good = Points(*plot_, QStringLiteral("check in control"), QColor(0, 70, 200));
    QCPGraph* bad = Points(*plot_, QStringLiteral("check out of control"), QColor(200, 0, 0));
    double low = chart.points.front().measured, high = low;
    for (const ChartPoint& p : chart.points) {
        const double x = When(p);
        certified->addData(x, p.certified);
        bandHigh->addData(x, p.certified + p.combinedU);
        bandLow->addData(x, p.certified - p.combinedU);
        (!p.check ? first : p.broken == ChartRule::None ? good : bad)->addData(x, p.measured);
        low = std::min({low, p.measured, p.certified - p.combinedU});
        high = std::max({high, p.measured, p.certified + p.combinedU});
    }
    const double x0 = When(chart.points.front()), x1 = When(chart.points.back());
    if (chart.limits) {
        const struct {
            double k;
            Qt::PenStyle style;
            const char* name;
        } limits[] = {{3, Qt::SolidLine, "lab action limits (mean \u00B1 3 s)"},
                      {2, Qt::DotLine, "mean \u00B1 2 s"}};
        for (const auto& l : limits)
            for (const int side : {1, -1}) {
                QCPGraph* g = Line(*plot_, side > 0 ? QString::fromUtf8(l.name) : QString(),
                                   QPen(QColor(160, 100, 0), 1, l.style));
                if (side < 0) g->removeFromLegend();
                const double y = chart.mean + side * l.k * chart.sd;
                g->addData(x0, y);
                g->addData(x1, y);
                low = std::min(low, y);
                high = std::max(high, y);
            }
    }
    auto ticker = QSharedPointer<QCPAxisTickerDateTime>::create();
    ticker->setDateTimeFormat(QStringLiteral("MM-dd-yyyy"));
    plot_->xAxis->setTicker(ticker);
    plot_->xAxis->setLabel(QStringLiteral("date of the reference run"));
    plot_->yAxis->setLabel(QStringLiteral("CTE, \u00B5/\u00B0C"));
    const double margin = std::max(high - low, 0.01) * 0.1;
    const double span = std::max(x1 - x0, 86400.0);
    plot_->xAxis->setRange(x0 - span * 0.05, x1 + span * 0.05);
    plot_->yAxis->setRange(low - margin, high + margin);
    plot_->legend->setVisible(true);
    plot_->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    plot_->replot();
}

} // namespace dilato::ui
