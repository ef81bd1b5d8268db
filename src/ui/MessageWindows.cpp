#include "ui/MessageWindows.h"

#include "ui/HelpViewer.h"
#include "ui/Looks.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace dilato::ui {

namespace {

QLabel* WrappedLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    return label;
}

QLabel* Heading(const QString& text, const QString& name, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont f = label->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 2);
    label->setFont(f);
    return label;
}

// A dialog that records whether its own button closed it.
class ButtonDialog final : public QDialog {
  public:
    using QDialog::QDialog;
    bool byButton = false;
    void closeByButton() {
        byButton = true;
        accept();
    }
};

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QWidget* b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace

void ShowTimedMessage(const std::string& caption, const std::string& text, int ms,
                      QWidget* parent) {
    QDialog dialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    dialog.setObjectName(QStringLiteral("frmSystemMessage"));
    dialog.setWindowTitle(QString::fromStdString(caption));
    auto* label = Heading(QString::fromStdString(text), QStringLiteral("LabelMessage"), &dialog);
    label->setWordWrap(true);
    label->setMinimumWidth(420);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->addWidget(label);
    QTimer::singleShot(ms, &dialog, &QDialog::accept);
    dialog.exec();
}

void ShowGeneralMessage(const std::string& title, const std::string& text, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmGeneralMessage"));
    dialog.setWindowTitle(QString::fromStdString(title));
    auto* label = WrappedLabel(QString::fromStdString(text), QStringLiteral("Message"), &dialog);
    label->setMinimumWidth(360);
    auto* proceed =
        MakeButton(QStringLiteral("Continue"), QStringLiteral("SonicClickContinueBtn"), &dialog);
    QObject::connect(proceed, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addLayout(ButtonRow({proceed}));
    dialog.exec();
}

EnvironmentTexts EnvironmentWarningTexts(EnvironmentWarning which) {
    if (which == EnvironmentWarning::RegionalSettings)
        return {"Regional Settings Warning", "System Regional Settings are Incorrect.",
                "Dilato has detected that the Regional Settings on this computer are incorrect. "
                "Please reset the Regional Settings to 'English' (United States) using the "
                "Control Panel > Regional Settings option."};
    return {"Video Mode Alert", "System Video Mode is Insufficient.",
            "Dilato has detected an incompatible video mode setting.   Reset the vertical "
            "display-resolution to AT LEAST 768 pixels and restart.   900 pixels vertical is "
            "the minimum recommended."};
}

DialogClose ShowEnvironmentWarning(EnvironmentWarning which, HelpViewer& help, QWidget* parent) {
    const EnvironmentTexts t = EnvironmentWarningTexts(which);
    ButtonDialog dialog(parent);
    dialog.setObjectName(which == EnvironmentWarning::RegionalSettings
                             ? QStringLiteral("frmSystemRegionalSettingsWarning")
                             : QStringLiteral("frmSystemVideoModeWarning"));
    dialog.setWindowTitle(QString::fromLatin1(t.caption));
    auto* text =
        WrappedLabel(QString::fromLatin1(t.text), QStringLiteral("lblInstructions2"), &dialog);
    text->setMinimumWidth(420);
    auto* ok = MakeButton(QStringLiteral("OK"), QStringLiteral("SonicClickOKBtn"), &dialog);
    auto* helpButton = MakeHelpButton(QStringLiteral("SonicClickHelpBtn"), &dialog);
    const int topic =
        which == EnvironmentWarning::RegionalSettings ? help::RegionalSettings : help::VideoMode;
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog] { dialog.closeByButton(); });
    QObject::connect(helpButton, &QPushButton::clicked, &dialog,
                     [&help, topic] { help.showTopic(topic); });
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        Heading(QString::fromLatin1(t.heading), QStringLiteral("lblInstructions1"), &dialog));
    layout->addWidget(text);
    layout->addLayout(ButtonRow({ok, helpButton}));
    dialog.exec();
    return dialog.byButton ? DialogClose::Button : DialogClose::OtherMeans;
}

DialogClose ShowPdfViewerPrompt(HelpViewer& help, QWidget* parent) {
    ButtonDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmSystemAcrobatInstallPrompt"));
    dialog.setWindowTitle(QString::fromLatin1(kPdfPromptCaption));
    auto* text =
        WrappedLabel(QString::fromLatin1(kPdfPromptText), QStringLiteral("LabelText"), &dialog);
    text->setMinimumWidth(420);
    auto* closeButton =
        MakeButton(QStringLiteral("Close"), QStringLiteral("SonicClickCloseBtn"), &dialog);
    auto* goOnButton = MakeButton(QStringLiteral("Continue without"),
                                  QStringLiteral("SonicClickContinueWithoutBtn"), &dialog);
    auto* helpButton = MakeHelpButton(QStringLiteral("SonicClickAdobeInstallHelpBtn"), &dialog);
    QObject::connect(closeButton, &QPushButton::clicked, &dialog,
                     [&dialog] { dialog.closeByButton(); });
    bool goOn = false;
    QObject::connect(goOnButton, &QPushButton::clicked, &dialog, [&dialog, &goOn] {
        goOn = true;
        dialog.accept();
    });
    QObject::connect(helpButton, &QPushButton::clicked, &dialog,
                     [&help] { help.showTopic(help::PdfViewer); });
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(
        Heading(QString::fromLatin1(kPdfPromptHeading), QStringLiteral("LabelHeading"), &dialog));
    layout->addWidget(text);
    layout->addLayout(ButtonRow({goOnButton, closeButton, helpButton}));
    goOnButton->setDefault(true);
    dialog.exec();
    if (goOn) return DialogClose::GoOnWithout;
    return dialog.byButton ? DialogClose::Button : DialogClose::OtherMeans;
}

} // namespace dilato::ui
