#include "ui/plot/PlotTabs.h"

namespace dilato {

PlotTabs::PlotTabs(const PlotTabServices& services, QWidget* window)
    : lists_(services.folders, services.op), graph_(std::make_unique<Graph>()) {
    // Before its first plot the chart already wears the screen's colours, as every plot does.
    graph_->schemeNumber = kScreenScheme;
    graph_->SetGradient(true);
    plotting_ = new PlottingPage(*graph_, window);
    dialog_ = new GraphSaveOptionsDialog(services.op, window);
    model_ = std::make_unique<PlottingModel>(PlottingServices{services.run, services.params,
                                                              services.folders, services.files, lists_, services.op,
                                                              *graph_, *dialog_});
    plotting_->Bind(*model_);
    setup_ = new PlottingSetupPage(*model_, window);
}

PlotTabs::~PlotTabs() {
    // The model and the graph object go first; widgets nobody hosts go with this object.
    model_.reset();
    for (QWidget* w : {static_cast<QWidget*>(setup_), static_cast<QWidget*>(dialog_),
                       static_cast<QWidget*>(plotting_)})
        if (w && !w->parent()) delete w;
    graph_.reset();
}

void PlotTabs::EnterPlotting() {
    model_->EnterPlotting();
    plotting_->Refresh();
}

void PlotTabs::LeavePlotting() { model_->LeavePlotting(); }

void PlotTabs::EnterPlottingSetup() {
    model_->EnterPlottingSetup();
    setup_->Refresh();
}

void PlotTabs::LeavePlottingSetup() {
    model_->LeavePlottingSetup();
    setup_->Refresh();
}

} // namespace dilato
