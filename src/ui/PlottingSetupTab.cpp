#include "ui/PlottingSetupTab.h"

#include <QLabel>
#include <QVBoxLayout>

namespace dilato::ui {

PlottingSetupTab::PlottingSetupTab(TabContext context, QWidget* parent) : MainTab(context, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Plotting Setup"), this), 0, Qt::AlignCenter);
}

} // namespace dilato::ui
