#include "ui/PlottingSetupTab.h"

#include "ui/HelpViewer.h"
#include "ui/plot/PlotTabs.h"

#include <QVBoxLayout>

namespace dilato::ui {

// The page shows its lists again after each of its own actions; the window's periodic
// refresh would only disturb a selection in progress.
PlottingSetupTab::PlottingSetupTab(TabContext context, PlotTabs& plots, QWidget* parent)
    : MainTab(context, parent), plots_(plots) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&plots.plottingSetupPage());
    plots.plottingSetupPage().helpRequested = [this] {
        help().showTopic(help::PlottingSetupTab);
    };
}

void PlottingSetupTab::enterTab() { plots_.EnterPlottingSetup(); }

bool PlottingSetupTab::leaveTab(Tab) {
    plots_.LeavePlottingSetup();
    return true;
}

} // namespace dilato::ui
