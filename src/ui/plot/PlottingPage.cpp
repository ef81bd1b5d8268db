#include "ui/plot/PlotTabs.h"
#include "ui/plot/PlotRules.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace dilato {

PlottingPage::PlottingPage(Graph& graph, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    auto* typeLabel = new QLabel(QStringLiteral("Graph Type:"));
    graphTypeName_ = new QLabel;
    graphTypeName_->setObjectName(QStringLiteral("graphTypeName"));
    savedTo_ = new QLabel;
    savedTo_->setObjectName(QStringLiteral("lblSavedTo"));
    savedTo_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    nextGraphButton = new QPushButton(QStringLiteral(">"));
    nextGraphButton->setToolTip(QStringLiteral("Next graph type"));
    nextGraphButton->setFixedWidth(40);
    saveButton = new QPushButton(QStringLiteral("Save"));
    helpButton = new QPushButton(QStringLiteral(" ?"));
    helpButton->setFixedWidth(40);
    bar->addWidget(typeLabel);
    bar->addWidget(graphTypeName_);
    bar->addWidget(nextGraphButton);
    bar->addStretch();
    bar->addWidget(saveButton);
    bar->addWidget(helpButton);
    layout->addLayout(bar);
    graph.ChartWidget()->setParent(this);
    graph.ChartWidget()->setToolTip(QString());
    layout->addWidget(graph.ChartWidget(), 1);
    layout->addWidget(savedTo_);
    connect(helpButton, &QPushButton::clicked, this, [this] {
        if (helpRequested) helpRequested();
    });
}

void PlottingPage::Bind(PlottingModel& model) {
    model_ = &model;
    connect(nextGraphButton, &QPushButton::clicked, this, [this] {
        model_->RotateGraph();
        Refresh();
    });
    connect(saveButton, &QPushButton::clicked, this, [this] {
        model_->Save();
        Refresh();
    });
}

void PlottingPage::Refresh() {
    if (!model_) return;
    saveButton->setEnabled(model_->view().saveEnabled);
    // The type's name without the default title's leading blank.
    const std::string name = DefaultTitle(model_->GraphType);
    graphTypeName_->setText(QString::fromStdString(name).trimmed());
    // As wide as the longest type's name (in the font it shows now): ">" stays where it is
    // while the names change.
    int widest = 0;
    for (const GraphKind kind : kGraphKinds)
        widest = std::max(widest, graphTypeName_->fontMetrics().horizontalAdvance(
                                      QString::fromStdString(DefaultTitle(kind)).trimmed()));
    if (graphTypeName_->minimumWidth() != widest + 8) graphTypeName_->setFixedWidth(widest + 8);
    savedTo_->setText(QString::fromStdString(model_->view().savedTo));
}

} // namespace dilato
