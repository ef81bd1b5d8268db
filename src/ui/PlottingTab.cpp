#include "ui/PlottingTab.h"

#include "ui/HelpViewer.h"
#include "ui/plot/PlotTabs.h"

#include <QVBoxLayout>

namespace dilato::ui {

PlottingTab::PlottingTab(TabContext context, PlotTabs& plots, QWidget* parent)
    : MainTab(context, parent), plots_(plots) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&plots.plottingPage());
    plots.plottingPage().helpRequested = [this] { help().showTopic(help::PlottingTab); };
}

void PlottingTab::enterTab() { plots_.EnterPlotting(); }

bool PlottingTab::leaveTab(Tab) {
    plots_.LeavePlotting();
    return true;
}

void PlottingTab::refresh() { plots_.plottingPage().Refresh(); }

} // namespace dilato::ui
