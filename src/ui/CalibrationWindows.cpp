#include "ui/CalibrationWindows.h"

#include "calibration/CalibratorTestUtility.h"
#include "ui/Guard.h"
#include "ui/HelpViewer.h"
#include "ui/Looks.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dilato::ui {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QDialogButtonBox* OkOnly(QDialog& dialog) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(box, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    return box;
}

} // namespace

std::optional<int> QtCalibrationDialogs::ChooseCalibratorType(int selected) {
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("frmTcCalType"));
    dialog.setWindowTitle(QStringLiteral("Tc Calibrator Type Selection"));
    auto* martel = new QRadioButton(QStringLiteral("Martel 8010"), &dialog);
    auto* manual = new QRadioButton(QStringLiteral("Manual Calibrator"), &dialog);
    martel->setObjectName(QStringLiteral("KitBtn3"));
    manual->setObjectName(QStringLiteral("KitBtn4"));
    QButtonGroup group(&dialog);
    group.addButton(martel, tccal::Martel8010);
    group.addButton(manual, tccal::Manual);
    QRadioButton* chosen = selected == tccal::Manual ? manual : martel;
    chosen->setChecked(true);
    chosen->setFocus();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(martel);
    layout->addWidget(manual);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt; // `bCanceled`
    return group.checkedId();
}

std::string QtCalibrationDialogs::AskThermocoupleReading(int commandedTemp) {
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("frmTcCalManEnter"));
    dialog.setWindowTitle(QStringLiteral("Thermocouple Reading Entry"));
    auto* entry = new QLineEdit(&dialog);
    entry->setObjectName(QStringLiteral("txtBoxTcEntry"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(
        QStringLiteral("Stage commanded to %1 \u00B0C. Enter the calibrator's reading (\u00B0C):")
            .arg(commandedTemp),
        &dialog));
    layout->addWidget(entry);
    layout->addWidget(OkOnly(dialog));
    entry->setFocus();
    dialog.exec(); // there is no way to cancel: a closed window counts as its text
    return entry->text().toStdString();
}

CalibratorIdentity QtCalibrationDialogs::AskCalibratorIdentity() {
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("frmTcCalSerialNum"));
    dialog.setWindowTitle(QStringLiteral("System Calibration"));
    auto* serial = new QLineEdit(&dialog);
    auto* cert = new QLineEdit(&dialog);
    serial->setObjectName(QStringLiteral("txtTcSerial"));
    cert->setObjectName(QStringLiteral("txtTcCert"));
    // Boxes that show the placeholder are emptied when the dialog opens.
    serial->setText(serial_ == kNotAvailable ? QString() : Q(serial_));
    cert->setText(certificate_ == kNotAvailable ? QString() : Q(certificate_));
    auto* form = new QFormLayout(&dialog);
    form->addRow(QStringLiteral("Tc Calibrator Serial #:"), serial);
    form->addRow(QStringLiteral("Tc Calibrator Cert. #:"), cert);
    form->addRow(OkOnly(dialog));
    dialog.exec();
    serial_ = serial->text().toStdString();
    certificate_ = cert->text().toStdString();
    return {serial_, certificate_};
}

void QtCalibrationDialogs::ShowCalibratorTest(CalibratorTestUtility& utility) {
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("frmTcCalTest"));
    dialog.setWindowTitle(QStringLiteral("TC Calibrator Test Utility"));
    auto* status = new QPlainTextEdit(&dialog);
    status->setObjectName(QStringLiteral("TextStatus"));
    status->setReadOnly(true);
    status->setMinimumSize(420, 90);
    auto* find = MakeButton(QStringLiteral("Find TC Calibrator"),
                            QStringLiteral("SonicClickFindTCCalibratorBtn"), &dialog);
    auto* poll = MakeButton(QStringLiteral("Poll Temperature"),
                            QStringLiteral("SonicClickPollTempBtn"), &dialog);
    auto* exit = MakeButton(QStringLiteral("Exit"), QStringLiteral("SonicClickExitBtn"), &dialog);
    auto* helpButton = MakeHelpButton(QStringLiteral("SonicClickTcTestHelpBtn"), &dialog);
    const auto show = [&] {
        status->setPlainText(Q(utility.TextStatus));
        find->setEnabled(utility.findEnabled);
        poll->setEnabled(utility.pollEnabled);
        if (utility.closed) dialog.accept();
    };
    utility.Activate();
    if (utility.closed) return; // found it by itself and closed
    QObject::connect(find, &QPushButton::clicked, &dialog, [&] {
        Guarded([&] { utility.Find(); });
        show();
    });
    QObject::connect(poll, &QPushButton::clicked, &dialog, [&] {
        Guarded([&] { utility.Poll(); });
        show();
    });
    QObject::connect(exit, &QPushButton::clicked, &dialog, [&] {
        utility.Exit();
        show();
    });
    QObject::connect(helpButton, &QPushButton::clicked, &dialog,
                     [this] { help_.showTopic(help::CalibratorTest); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(find);
    buttons->addWidget(poll);
    buttons->addStretch();
    buttons->addWidget(exit);
    buttons->addWidget(helpButton);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(status);
    layout->addLayout(buttons);
    show();
    if (dialog.exec() != QDialog::Accepted) utility.Exit();
}

} // namespace dilato::ui
