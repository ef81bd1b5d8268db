#include "ui/ResultsTab.h"

#include "ui/HelpViewer.h"
#include "ui/results/ResultsTabs.h"

#include <QVBoxLayout>

namespace dilato::ui {

ResultsTab::ResultsTab(TabContext context, ResultsTabs& results, QWidget* parent)
    : MainTab(context, parent), results_(results) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(&results.page());
    results.page().helpRequested = [this] { help().showTopic(help::ResultsTab); };
}

void ResultsTab::enterTab() { results_.Enter(); }

void ResultsTab::refresh() { results_.page().Refresh(); }

} // namespace dilato::ui
