#include "ui/plot/SaveOptionsDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dilato {

frmGrSimpleSaveOptions::frmGrSimpleSaveOptions(Operator& op, QWidget* owner)
    : QDialog(owner), op_(op) {
    setWindowTitle(QStringLiteral("Graph Save Options"));
    setModal(true);

    auto* nameFrame = new QGroupBox(QStringLiteral("File Name"));
    txtBoxFileName_ = new QLineEdit(QStringLiteral("file name .."));
    txtBoxFileName_->setMinimumWidth(280);
    (new QVBoxLayout(nameFrame))->addWidget(txtBoxFileName_);

    auto* formatFrame = new QGroupBox(QStringLiteral("Image Format"));
    auto* formatLayout = new QHBoxLayout(formatFrame);
    optImgType_[0] = new QRadioButton(QStringLiteral("BMP"));
    optImgType_[1] = new QRadioButton(QStringLiteral("JPEG"));
    formatLayout->addWidget(optImgType_[0]);
    formatLayout->addWidget(optImgType_[1]);
    formatLayout->addStretch();

    chkBoxNegativeImage_ = new QCheckBox(QStringLiteral("Use White Background"));
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
    layout->addWidget(chkBoxNegativeImage_);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, [this] { ClickOk(); });
    connect(cancel, &QPushButton::clicked, this, [this] { ClickCancel(); });
    // Escape and the title bar's close button cancel too.
    connect(this, &QDialog::rejected, this, [this] { options_.Cancel(); });
}

void frmGrSimpleSaveOptions::ToWidgets() {
    txtBoxFileName_->setText(QString::fromStdString(options_.nameBox));
    txtBoxFileName_->setSelection(options_.selectionStart,
                                  static_cast<int>(txtBoxFileName_->text().size()));
    optImgType_[options_.imgOption == 0 ? 0 : 1]->setChecked(true);
    chkBoxNegativeImage_->setChecked(options_.negativeImage);
    txtBoxFileName_->setFocus();
}

const GraphSaveOptions& frmGrSimpleSaveOptions::Show(const std::string& fileName) {
    options_.FileName = fileName;
    options_.Canceled = true;
    options_.Activate();
    ToWidgets();
    exec();
    return options_;
}

bool frmGrSimpleSaveOptions::ClickOk() {
    options_.nameBox = txtBoxFileName_->text().toStdString();
    options_.imgOption = optImgType_[0]->isChecked() ? 0 : 1;
    options_.negativeImage = chkBoxNegativeImage_->isChecked();
    if (!options_.Ok(op_)) return false;
    done(QDialog::Accepted);
    return true;
}

void frmGrSimpleSaveOptions::ClickCancel() {
    options_.Cancel();
    done(QDialog::Rejected);
}

} // namespace dilato
