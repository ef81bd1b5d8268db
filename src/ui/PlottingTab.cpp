#include "ui/PlottingTab.h"

#include <QLabel>
#include <QVBoxLayout>

namespace dilato::ui {

PlottingTab::PlottingTab(TabContext context, QWidget* parent) : MainTab(context, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Plotting"), this), 0, Qt::AlignCenter);
}

} // namespace dilato::ui
