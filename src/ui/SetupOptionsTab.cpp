#include "ui/SetupOptionsTab.h"

#include <QLabel>
#include <QVBoxLayout>

namespace dilato::ui {

SetupOptionsTab::SetupOptionsTab(TabContext context, QWidget* parent) : MainTab(context, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Setup Options"), this), 0, Qt::AlignCenter);
}

} // namespace dilato::ui
