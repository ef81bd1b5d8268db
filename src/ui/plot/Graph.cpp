#include "ui/plot/Graph.h"

#include "ui/plot/PlotRules.h"

#include <QToolTip>
#include <qcustomplot.h>

#include <algorithm>

namespace dilato {

namespace {

QColor ToQColor(PlotColor c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Ticks at the scaling rule's increment while the axis shows the scaled range (or a range of
// similar size); zoomed far in or out, the library's own choice. Labels as "#,##0.###".
class RuleTicker final : public QCPAxisTicker {
  public:
    double step = 0.0;
    int minor = -1; // -1: the library's own count

  protected:
    double getTickStep(const QCPRange& range) override {
        if (step > 0.0) {
            const double ticks = range.size() / step;
            if (ticks >= 1.5 && ticks <= 30.0) return step;
        }
        return QCPAxisTicker::getTickStep(range);
    }
    int getSubTickCount(double tickStep) override {
        if (minor >= 0 && step > 0.0 && qFuzzyCompare(tickStep, step)) return minor;
        return QCPAxisTicker::getSubTickCount(tickStep);
    }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        return Q(FormatAxisNumber(tick));
    }
};

RuleTicker& Ticker(QCPAxis* axis) { return static_cast<RuleTicker&>(*axis->ticker()); }

void ApplyScale(QCPAxis* axis, const std::optional<AxisScale>& scale, bool withMinor) {
    RuleTicker& ticker = Ticker(axis);
    if (!scale) {
        ticker.step = 0.0;
        ticker.minor = -1;
        axis->rescale(true);
        // All values equal (or none): a span of one unit either side keeps them in view.
        if (!(axis->range().size() > 0.0))
            axis->setRange(axis->range().center() - 1.0, axis->range().center() + 1.0);
        return;
    }
    ticker.step = scale->increment;
    ticker.minor = withMinor ? scale->minorTicks : -1;
    axis->setRange(scale->min, scale->max);
}

constexpr int kCrowded = 1500; // readings in a series beyond which points are not marked

QFont LabelFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(14);
    return font;
}

} // namespace

struct Graph::Label {
    QCPItemText* item = nullptr;
};

Graph::Graph(QWidget* parent) : chart_(new QCustomPlot(parent)), chartAlive_(chart_) {
    for (int s = 1; s <= kColorSchemes; ++s)
        schemes_[static_cast<size_t>(s - 1)] = BuiltInColorScheme(s);
    chart_->plotLayout()->insertRow(0);
    auto* title = new QCPTextElement(chart_, QString(), QFont(QStringLiteral("Sans"), 12, QFont::Bold));
    chart_->plotLayout()->addElement(0, 0, title);
    for (QCPAxis* axis : {chart_->xAxis, chart_->yAxis}) {
        axis->setTicker(QSharedPointer<QCPAxisTicker>(new RuleTicker));
        axis->grid()->setSubGridVisible(true);
    }
    chart_->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    chart_->setNoAntialiasingOnDrag(true);
    chart_->setMinimumSize(320, 240);
    QObject::connect(chart_, &QCustomPlot::afterLayout, chart_, [this] { PlaceAnnotations(); });
    QObject::connect(chart_, &QCustomPlot::mouseDoubleClick, chart_,
                     [this](QMouseEvent*) { FullView(); });
    QObject::connect(chart_, &QCustomPlot::mouseMove, chart_, [this](QMouseEvent* event) {
        if (!chart_->property("dilatoToolTips").toBool()) return;
        const std::string tip = ToolTipAt(event->position().x(), event->position().y());
        if (tip.empty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), Q(tip), chart_);
    });
    ApplyScheme();
}

Graph::~Graph() {
    if (chartAlive_ && !chart_->parent()) delete chart_;
}

QWidget* Graph::ChartWidget() const {
    return chart_;
}

void Graph::SetupGraph(const GraphSetup& setup) {
    chart_->clearPlottables();
    chart_->clearItems();
    labels_.clear();
    chart_->setProperty("dilatoToolTips", false);
    shownGraphType = setup.graphType;
    shownTitle = setup.title;
    schemeNumber = std::clamp(setup.colorScheme, 1, kColorSchemes);
    unitsInches_ = setup.unitsInches;
    XAxisTitle = HorizontalAxisTitle(shownGraphType);
    YAxisTitle = VerticalAxisTitle(shownGraphType, unitsInches_);
    xScale_.reset();
    yScale_.reset();
    for (QCPAxis* axis : {chart_->xAxis, chart_->yAxis}) {
        Ticker(axis).step = 0.0;
        Ticker(axis).minor = -1;
        axis->setRange(0.0, 5.0);
    }
    chart_->xAxis->setLabel(Q(XAxisTitle));
    chart_->yAxis->setLabel(Q(YAxisTitle));
    static_cast<QCPTextElement*>(chart_->plotLayout()->element(0, 0))
        ->setText(Q(ChartTitle(shownTitle, setup.plotTitleText, shownGraphType)));
    chart_->legend->setVisible(false);
    ApplyScheme();
}

void Graph::ApplyScheme() {
    const ColorScheme& scheme = schemes_[static_cast<size_t>(schemeNumber - 1)];
    const QColor background = ToQColor(scheme.backgroundColor);
    if (gradient_) {
        QLinearGradient gradient(0, 0, 0, 1);
        gradient.setCoordinateMode(QGradient::ObjectMode);
        gradient.setColorAt(0, QColor(250, 251, 253));
        gradient.setColorAt(1, QColor(196, 205, 218));
        chart_->setBackground(QBrush(gradient));
    } else {
        chart_->setBackground(QBrush(background));
    }
    chart_->axisRect()->setBackground(QBrush(background));
    auto* title = static_cast<QCPTextElement*>(chart_->plotLayout()->element(0, 0));
    title->setTextColor(ToQColor(scheme.titleColor));
    const bool dark = background.lightness() < 128;
    const QColor gridColor = dark ? QColor(96, 96, 96) : QColor(200, 200, 200);
    for (QCPAxis* axis : {chart_->xAxis, chart_->yAxis}) {
        const QPen pen(ToQColor(scheme.axisPenColor));
        axis->setBasePen(pen);
        axis->setTickPen(pen);
        axis->setSubTickPen(pen);
        axis->setTickLabelColor(ToQColor(scheme.axisLabelColor));
        axis->setLabelColor(ToQColor(scheme.axisTitleColor));
        axis->grid()->setPen(QPen(gridColor, 0, Qt::DotLine));
        axis->grid()->setSubGridPen(QPen(gridColor.darker(dark ? 130 : 90), 0, Qt::DotLine));
        axis->grid()->setZeroLinePen(Qt::NoPen);
    }
    chart_->legend->setBrush(QBrush(background));
    chart_->legend->setBorderPen(QPen(gridColor));
}

void Graph::SetGradient(bool on) {
    gradient_ = on;
    ApplyScheme();
}

void Graph::SetAxesScaling(const std::optional<AxisScale>& x, const std::optional<AxisScale>& y) {
    xScale_ = x;
    yScale_ = y;
    ApplyScale(chart_->xAxis, x, false);
    ApplyScale(chart_->yAxis, y, true);
}

void Graph::AddSeries(const PlotSeries& series) {
    const QColor color = ToQColor(SchemePaletteColor(schemeNumber, series.colorIndex));
    const QVector<double> x(series.x.begin(), series.x.end());
    const QVector<double> y(series.y.begin(), series.y.end());
    QCPAbstractPlottable* plottable = nullptr;
    if (series.style == PointStyle::Star) {
        // In the order of the steps, which may go up and back down in temperature.
        auto* curve = new QCPCurve(chart_->xAxis, chart_->yAxis);
        curve->setData(x, y);
        curve->setPen(QPen(color, 2));
        curve->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssStar, color, 11));
        plottable = curve;
    } else {
        QCPGraph* graph = chart_->addGraph();
        graph->setData(x, y, std::is_sorted(x.begin(), x.end()));
        graph->setPen(QPen(color, 1));
        graph->setLineStyle(series.line ? QCPGraph::lsLine : QCPGraph::lsNone);
        // Thousands of readings merge into their line anyway: markers only where they can be
        // told apart, single pixels for a cloud of readings; a live redraw stays quick.
        const bool crowded = x.size() > kCrowded;
        if (!series.line)
            graph->setScatterStyle(crowded ? QCPScatterStyle(QCPScatterStyle::ssDot, color, 1)
                                           : QCPScatterStyle(QCPScatterStyle::ssDisc, color, 3));
        else if (!crowded)
            graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, color, 3));
        graph->setAntialiased(!crowded);
        graph->setAntialiasedScatters(!crowded);
        plottable = graph;
    }
    plottable->setName(Q(series.name));
    if (!series.inLegend || series.name.empty()) {
        plottable->removeFromLegend();
    } else if (auto* item = chart_->legend->itemWithPlottable(plottable)) {
        item->setTextColor(color);
    }
}

void Graph::AddAnnotation(const std::string& text, PlotColor color) {
    auto label = std::make_unique<Label>();
    label->item = new QCPItemText(chart_);
    label->item->setClipToAxisRect(false);
    label->item->setFont(LabelFont());
    label->item->setColor(ToQColor(color));
    // Right-aligned in its box: the lower right corner of a plot is where its data are not.
    label->item->setPositionAlignment(Qt::AlignRight | Qt::AlignTop);
    label->item->setText(Q(text));
    label->item->position->setType(QCPItemPosition::ptAbsolute);
    labels_.push_back(std::move(label));
    PlaceAnnotations();
}

void Graph::PlaceAnnotations() {
    if (labels_.empty()) return;
    const QRect area = chart_->axisRect()->rect();
    const auto boxes = CteLabelLayout(area.left(), area.top(), area.right(), area.bottom(),
                                      static_cast<int>(labels_.size()));
    for (size_t i = 0; i < labels_.size(); ++i)
        labels_[i]->item->position->setCoords(boxes[i].right, boxes[i].top);
}

void Graph::SetLegend(int legendPos) {
    if (legendPos < 0 || chart_->legend->itemCount() == 0) {
        chart_->legend->setVisible(false);
        return;
    }
    static constexpr Qt::Alignment kCorners[4] = {
        Qt::AlignTop | Qt::AlignLeft, Qt::AlignTop | Qt::AlignRight,
        Qt::AlignBottom | Qt::AlignRight, Qt::AlignBottom | Qt::AlignLeft};
    chart_->legend->setVisible(true);
    QCPLayoutInset* inset = chart_->axisRect()->insetLayout();
    inset->setInsetAlignment(0, kCorners[legendPos % 4]);
    inset->setMargins(QMargins(5, 5, 5, 5));
}

void Graph::AddMarkerToolTips() {
    chart_->setProperty("dilatoToolTips", true);
}

std::string Graph::ToolTipAt(double px, double py) const {
    int index = -1;
    QCPAbstractPlottable* plottable = chart_->plottableAt(QPointF(px, py), false, &index);
    if (!plottable || index < 0) return {};
    double key = 0, value = 0;
    if (auto* graph = qobject_cast<QCPGraph*>(plottable)) {
        if (index >= graph->data()->size()) return {};
        key = graph->data()->at(index)->key;
        value = graph->data()->at(index)->value;
    } else if (auto* curve = qobject_cast<QCPCurve*>(plottable)) {
        if (index >= curve->data()->size()) return {};
        key = curve->data()->at(index)->key;
        value = curve->data()->at(index)->value;
    } else {
        return {};
    }
    return PointToolTip(shownGraphType, unitsInches_, key, value);
}

void Graph::Plot(const PlotFigure& figure) {
    for (const PlotSeries& series : figure.series) AddSeries(series);
    SetAxesScaling(figure.xScale, figure.yScale);
    AddMarkerToolTips();
    SetLegend(figure.legendPos);
    for (const std::string& label : figure.labels)
        AddAnnotation(label, SchemePaletteColor(schemeNumber, 15));
    chart_->replot();
}

void Graph::FullView() {
    SetAxesScaling(xScale_, yScale_);
    chart_->replot();
}

bool Graph::ExportImage(const std::string& path, int imgType, std::string& error) {
    return ExportImage(path, imgType, 0, 0, error);
}

bool Graph::ExportImage(const std::string& path, int imgType, int width, int height,
                        std::string& error) {
    bool written = true;
    if (imgType == 1)
        written = chart_->saveJpg(Q(path), width, height);
    else if (imgType == 0)
        written = chart_->saveBmp(Q(path), width, height);
    if (!written) error = "The image could not be written to " + path;
    return written;
}

std::pair<double, double> Graph::PixelOf(double x, double y) const {
    return {chart_->xAxis->coordToPixel(x), chart_->yAxis->coordToPixel(y)};
}

std::pair<double, double> Graph::XRange() const {
    return {chart_->xAxis->range().lower, chart_->xAxis->range().upper};
}

std::string Graph::ChartTitleText() const {
    return static_cast<QCPTextElement*>(chart_->plotLayout()->element(0, 0))->text().toStdString();
}

std::vector<std::string> Graph::Annotations() const {
    std::vector<std::string> texts;
    for (const auto& label : labels_) texts.push_back(label->item->text().toStdString());
    return texts;
}

int Graph::SeriesCount() const {
    return chart_->plottableCount();
}

int Graph::LegendItemCount() const {
    return chart_->legend->visible() ? chart_->legend->itemCount() : 0;
}

} // namespace dilato
