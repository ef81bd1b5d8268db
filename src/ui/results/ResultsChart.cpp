#include "ui/results/ResultsChart.h"

#include "ui/plot/NiceScale.h"

#include <QElapsedTimer>
#include <QSvgGenerator>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace dilato {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QColor Colour(unsigned rgb) { return QColor::fromRgb(rgb); }

constexpr const char* kOverlayTitle = "Strain against temperature";
constexpr const char* kAlphaTitle = "α(T): technical (points) and physical (line, U band)";

struct Extent {
    double xMin = HUGE_VAL, xMax = -HUGE_VAL, yMin = HUGE_VAL, yMax = -HUGE_VAL;
    void add(double x, double y) {
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
    }
};

} // namespace

ResultsChart::ResultsChart(QWidget* parent) : chart_(new QCustomPlot(parent)), chartAlive_(chart_) {
    chart_->plotLayout()->insertRow(0);
    chart_->plotLayout()->addElement(
        0, 0, new QCPTextElement(chart_, QString(), QFont(QStringLiteral("Sans"), 11, QFont::Bold)));
    chart_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    chart_->setNoAntialiasingOnDrag(true);
    chart_->setMinimumSize(320, 200);
    // The legend below the plot, in rows of two: laid over many tests it would hide them.
    chart_->legend->setVisible(true);
    chart_->legend->setFont(QFont(QStringLiteral("Sans"), 8));
    chart_->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    chart_->legend->setWrap(2);
    chart_->legend->setBorderPen(Qt::NoPen);
    chart_->axisRect()->insetLayout()->take(chart_->legend);
    chart_->axisRect()->insetLayout()->simplify();
    chart_->plotLayout()->addElement(2, 0, chart_->legend);
    chart_->plotLayout()->setRowStretchFactor(2, 0.001);
    chart_->xAxis->grid()->setSubGridVisible(true);
    chart_->yAxis->grid()->setSubGridVisible(true);
    chart_->setFocusPolicy(Qt::StrongFocus);
    Clear(kOverlayTitle);
    Message("Tick tests in the table.");
}

ResultsChart::~ResultsChart() {
    if (chartAlive_ && !chart_->parent()) delete chart_;
}

QWidget* ResultsChart::widget() const { return chart_; }

void ResultsChart::setObjectName(const QString& name) { chart_->setObjectName(name); }

void ResultsChart::Clear(const char* title) {
    chart_->clearPlottables();
    chart_->clearItems();
    points_ = 0;
    if (auto* t = qobject_cast<QCPTextElement*>(chart_->plotLayout()->element(0, 0)))
        t->setText(QString::fromUtf8(title));
}

void ResultsChart::Message(const std::string& text) {
    auto* label = new QCPItemText(chart_);
    label->setPositionAlignment(Qt::AlignBottom | Qt::AlignRight);
    label->position->setType(QCPItemPosition::ptAxisRectRatio);
    label->position->setCoords(0.98, 0.97);
    label->setText(Q(text));
    label->setFont(QFont(QStringLiteral("Sans"), 9));
    label->setColor(Qt::darkRed);
}

void ResultsChart::Scale(double xMin, double xMax, double yMin, double yMax, double ySpan) {
    // The plotting tabs' axis rule: a little room and round increments.
    if (const auto x = NiceScale(xMax, xMin, 0.0)) {
        chart_->xAxis->setRange(x->min, x->max);
    } else if (std::isfinite(xMin)) {
        chart_->xAxis->setRange(xMin - 1.0, xMin + 1.0);
    }
    if (const auto y = NiceScale(yMax, yMin, ySpan)) {
        chart_->yAxis->setRange(y->min, y->max);
    } else if (std::isfinite(yMin)) {
        chart_->yAxis->setRange(yMin - 1.0, yMin + 1.0);
    }
}

void ResultsChart::DrawOverlay(const OverlayFigure& figure) {
    Clear(kOverlayTitle);
    chart_->xAxis->setLabel(QStringLiteral("Temperature (°C)"));
    chart_->yAxis->setLabel(QStringLiteral("ΔL/L₀ (10⁻⁶)"));
    Extent e;
    bool cooling = false;
    for (const OverlayLine& line : figure.lines) {
        auto* curve = new QCPCurve(chart_->xAxis, chart_->yAxis);
        QPen pen(Colour(line.colour), 1.6);
        if (line.cooling) pen.setStyle(Qt::DashLine);
        curve->setPen(pen);
        curve->setName(Q(line.name));
        const QVector<double> x(line.temperature.begin(), line.temperature.end());
        const QVector<double> y(line.strain.begin(), line.strain.end());
        curve->setData(x, y);
        points_ += static_cast<int>(x.size());
        for (size_t i = 0; i < line.temperature.size(); ++i)
            e.add(line.temperature[i], line.strain[i]);
        if (!line.inLegend) curve->removeFromLegend();
        cooling = cooling || line.cooling;
    }
    if (figure.reference) {
        auto* curve = new QCPCurve(chart_->xAxis, chart_->yAxis);
        curve->setPen(QPen(Qt::black, 2.4));
        curve->setName(Q("certified: " + figure.reference->name));
        curve->setData(QVector<double>(figure.reference->temperature.begin(),
                                       figure.reference->temperature.end()),
                       QVector<double>(figure.reference->strain.begin(),
                                       figure.reference->strain.end()));
        for (size_t i = 0; i < figure.reference->temperature.size(); ++i)
            e.add(figure.reference->temperature[i], figure.reference->strain[i]);
    }
    if (cooling) {
        // One legend entry says how the cooling legs look.
        auto* key = new QCPCurve(chart_->xAxis, chart_->yAxis);
        key->setPen(QPen(Qt::darkGray, 1.6, Qt::DashLine));
        key->setName(QStringLiteral("cooling legs (dashed)"));
    }
    if (figure.lines.empty()) Message("Tick tests in the table.");
    Scale(e.xMin, e.xMax, e.yMin, e.yMax, 0.0);
    chart_->replot(QCustomPlot::rpQueuedReplot);
}

void ResultsChart::DrawAlpha(const AlphaFigure& figure) {
    const std::vector<AlphaSeries>& series = figure.series;
    Clear(kAlphaTitle);
    chart_->xAxis->setLabel(QStringLiteral("Temperature (°C)"));
    chart_->yAxis->setLabel(QStringLiteral("α (10⁻⁶/°C)"));
    Extent e;
    std::string problems;
    for (const AlphaSeries& s : series) {
        if (!s.outcome.ok()) {
            problems += (problems.empty() ? "" : "\n") + s.name + ": " +
                        AlphaErrorText(*s.outcome.error);
            continue;
        }
        const AlphaCurves& c = *s.outcome.curves;
        const QColor colour = Colour(s.colour);
        QVector<double> t, a, lo, hi;
        for (const AlphaPoint& p : c.physical) {
            t << p.temperature;
            a << p.alpha;
            lo << p.alpha - p.expandedU;
            hi << p.alpha + p.expandedU;
            e.add(p.temperature, p.alpha - p.expandedU);
            e.add(p.temperature, p.alpha + p.expandedU);
        }
        auto* upper = chart_->addGraph();
        upper->setData(t, hi, true);
        upper->setPen(Qt::NoPen);
        upper->removeFromLegend();
        auto* lower = chart_->addGraph();
        lower->setData(t, lo, true);
        lower->setPen(Qt::NoPen);
        QColor fill = colour;
        fill.setAlpha(45);
        lower->setBrush(fill);
        lower->setChannelFillGraph(upper);
        lower->removeFromLegend();
        auto* physical = chart_->addGraph();
        physical->setData(t, a, true);
        physical->setPen(QPen(colour, 2.0));
        physical->setName(Q(s.name + ": physical, degree " + std::to_string(c.degree)));

        QVector<double> tt, ta, tu;
        for (const AlphaPoint& p : c.technical) {
            tt << p.temperature;
            ta << p.alpha;
            tu << p.expandedU;
            e.add(p.temperature, p.alpha - p.expandedU);
            e.add(p.temperature, p.alpha + p.expandedU);
        }
        auto* technical = chart_->addGraph();
        technical->setData(tt, ta, true);
        technical->setLineStyle(QCPGraph::lsNone);
        technical->setPen(QPen(colour, 1.5));
        technical->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, colour, Qt::white, 7));
        technical->setName(Q(s.name + ": technical"));
        auto* bars = new QCPErrorBars(chart_->xAxis, chart_->yAxis);
        bars->setDataPlottable(technical);
        bars->setData(tu);
        bars->setPen(QPen(colour, 1.2));
        bars->removeFromLegend();
        points_ += static_cast<int>(t.size() + tt.size());
    }
    if (const auto& r = figure.reference; r && r->alpha.size() == r->temperature.size()) {
        // The certificate's alpha in black, its U as dashed lines on either side.
        const QVector<double> t(r->temperature.begin(), r->temperature.end());
        const QVector<double> a(r->alpha.begin(), r->alpha.end());
        QVector<double> lo, hi;
        for (int i = 0; i < t.size(); ++i) {
            lo << a[i] - r->alphaExpandedU;
            hi << a[i] + r->alphaExpandedU;
            e.add(t[i], lo.back());
            e.add(t[i], hi.back());
        }
        auto* certified = chart_->addGraph();
        certified->setData(t, a, true);
        certified->setPen(QPen(Qt::black, 2.4));
        certified->setName(Q("certified: " + r->name));
        for (const QVector<double>* bound : {&lo, &hi}) {
            auto* line = chart_->addGraph();
            line->setData(t, *bound, true);
            line->setPen(QPen(Qt::black, 1.0, Qt::DashLine));
            if (bound == &lo)
                line->setName(QStringLiteral("certified ± U"));
            else
                line->removeFromLegend();
        }
    }
    if (!problems.empty()) Message(problems);
    if (series.empty()) Message("Tick tests in the table.");
    Scale(e.xMin, e.xMax, e.yMin, e.yMax, 0.0);
    chart_->replot(QCustomPlot::rpQueuedReplot);
}

bool ResultsChart::Export(const std::string& path, ImageFormat format, std::string& error) {
    const int width = std::max(chart_->width(), 800), height = std::max(chart_->height(), 500);
    bool written = false;
    switch (format) {
    case ImageFormat::Png:
        written = chart_->savePng(Q(path), width, height);
        break;
    case ImageFormat::Pdf:
        written = chart_->savePdf(Q(path), width, height);
        break;
    case ImageFormat::Svg: {
        QSvgGenerator svg;
        svg.setFileName(Q(path));
        svg.setSize(QSize(width, height));
        svg.setViewBox(QRect(0, 0, width, height));
        svg.setTitle(QStringLiteral("Dilato results"));
        QCPPainter painter;
        written = painter.begin(&svg);
        if (written) {
            chart_->toPainter(&painter, width, height);
            written = painter.end();
        }
        break;
    }
    }
    if (!written) error = "the chart could not be written there";
    return written;
}

int ResultsChart::plottables() const { return chart_->plottableCount(); }

int ResultsChart::legendEntries() const {
    // The legend's grid wraps into rows: its last row may have empty cells.
    int entries = 0;
    for (int i = 0; i < chart_->legend->elementCount(); ++i)
        entries += chart_->legend->elementAt(i) != nullptr;
    return entries;
}

double ResultsChart::RepaintNow() {
    QElapsedTimer timer;
    timer.start();
    chart_->replot(QCustomPlot::rpImmediateRefresh);
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace dilato
