#include "ui/AboutBox.h"

#include "core/WindowTexts.h"
#include "ui/Looks.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace dilato::ui {

namespace {
constexpr const char* kKeyMap = "F1: help on the main window\n"
                                "\" ?\" buttons: help on that window or tab\n"
                                "Tab / Shift+Tab: next / previous field\n"
                                "Ctrl+Tab: next tab of the main window";
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About CTE Tester"));
    setModal(false);
    version_ = new QLabel(this);
    version_->setObjectName(QStringLiteral("lblVersion"));
    auto* keys = new QLabel(QString::fromLatin1(kKeyMap), this);
    keys->setObjectName(QStringLiteral("LabelKeyMap"));
    auto* ok = MakeButton(QStringLiteral("OK"), QStringLiteral("SonicClickOKBtn"), this);
    ok->setMinimumWidth(90);
    connect(ok, &QPushButton::clicked, this, &QDialog::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(version_);
    layout->addSpacing(8);
    layout->addWidget(keys);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AboutBox::showEvent(QShowEvent* event) {
    version_->setText(QString::fromStdString(AboutVersionText(QDate::currentDate().year())));
    QDialog::showEvent(event);
}

} // namespace dilato::ui
