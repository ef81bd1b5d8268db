#include "ui/plot/SaveOptionsDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dilato {

GraphSaveOptionsDialog::GraphSaveOptionsDialog(Operator& op, QWidget* owner)
    : QDialog(owner), op_(op) {
    setWindowTitle(QStringLiteral("Graph Save Options"));
    setModal(true);

    auto* nameFrame = new QGroupBox(QStringLiteral("File Name"));
    fileNameBox_ = new QLineEdit(QStringLiteral("file name .."));
    fileNameBox_->setMinimumWidth(280);
    (new QVBoxLayout(nameFrame))->addWidget(fileNameBox_);

    auto* formatFrame = new QGroupBox(QStringLiteral("Image Format"));
    auto* formatLayout = new QHBoxLayout(formatFrame);
    imageTypeOptions_[0] = new QRadioButton(QStringLiteral("BMP"));
    imageTypeOptions_[1] = new QRadioButton(QStringLiteral("JPEG"));
    formatLayout->addWidget(imageTypeOptions_[0]);
    formatLayout->addWidget(imageTypeOptions_[1]);
    formatLayout->addStretch();

    negativeImageBox_ = new QCheckBox(QStringLiteral("Use White Background"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    ok->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(nameFrame);
    layout->addWidget(formatFrame);
    layout->addWidget(negativeImageBox_);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] { ClickOk(); });
    connect(cancel, &QPushButton::clicked, this, [this] { ClickCancel(); });
    // Escape and the title bar's close button cancel too.
    connect(this, &QDialog::rejected, this, [this] { options_.Cancel(); });
}

void GraphSaveOptionsDialog::ToWidgets() {
    fileNameBox_->setText(QString::fromStdString(options_.nameBox));
    fileNameBox_->setSelection(options_.selectionStart,
                               static_cast<int>(fileNameBox_->text().size()));
    imageTypeOptions_[options_.imgOption == 0 ? 0 : 1]->setChecked(true);
    negativeImageBox_->setChecked(options_.negativeImage);
    fileNameBox_->setFocus();
}

const GraphSaveOptions& GraphSaveOptionsDialog::Show(const std::string& fileName) {
    options_.FileName = fileName;
    options_.Canceled = true;
    options_.Activate();
    ToWidgets();
    exec();
    return options_;
}

bool GraphSaveOptionsDialog::ClickOk() {
    options_.nameBox = fileNameBox_->text().toStdString();
    options_.imgOption = imageTypeOptions_[0]->isChecked() ? 0 : 1;
    options_.negativeImage = negativeImageBox_->isChecked();
    if (!options_.Ok(op_)) return false;
    done(QDialog::Accepted);
    return true;
}

void GraphSaveOptionsDialog::ClickCancel() {
    options_.Cancel();
    done(QDialog::Rejected);
}

} // namespace dilato
