#include "ui/InstrCalibrationTab.h"

#include <QLabel>
#include <QVBoxLayout>

namespace dilato::ui {

InstrCalibrationTab::InstrCalibrationTab(TabContext context, QWidget* parent)
    : MainTab(context, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Instr. Calibration"), this), 0, Qt::AlignCenter);
}

} // namespace dilato::ui
