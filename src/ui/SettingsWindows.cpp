#include "ui/SettingsWindows.h"

#include "core/ComSettingsModel.h"
#include "core/DataStorageOptionsModel.h"
#include "core/SysparamBackupModel.h"
#include "ui/Guard.h"
#include "ui/HelpViewer.h"
#include "ui/Looks.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <array>
#include <optional>

namespace dilato::ui {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void ShowPortList(QComboBox& box, const PortList& list) {
    box.clear();
    for (const auto& item : list.items)
        box.addItem(Q(item));
    box.setCurrentIndex(list.listIndex);
}

// Runs a handler of a modal window; "the program ends" closes the window and goes on after
// its exec() returns.
template <class F> void InDialog(QDialog& dialog, std::optional<ProgramEnd>& ended, F&& handler) {
    try {
        handler();
    } catch (const ProgramEnd& end) {
        ended = end;
        dialog.reject();
    }
}

} // namespace

void ShowComSettings(ComSettingsModel& form, HelpViewer& help, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmSystemCOMError"));
    dialog.setWindowTitle(QString::fromLatin1(kSystemComErrorCaption));
    auto* sensor = new QComboBox(&dialog);
    sensor->setObjectName(QStringLiteral("ComboKeyenceComPort"));
    auto* stage = new QComboBox(&dialog);
    stage->setObjectName(QStringLiteral("ComboTEComPort"));
    auto* findSensor =
        MakeButton(QStringLiteral("Find"), QStringLiteral("SonicClickFindKeyence"), &dialog);
    auto* findStage =
        MakeButton(QStringLiteral("Find"), QStringLiteral("SonicClickFindTE"), &dialog);
    auto* demo =
        MakeButton(QStringLiteral("Demo Mode"), QStringLiteral("SonicClickDemoMode"), &dialog);
    auto* ok = MakeButton(QStringLiteral("OK"), QStringLiteral("SonicClickOKBtn"), &dialog);
    auto* helpButton = MakeHelpButton(QStringLiteral("SonicClickHelpBtn"), &dialog);

    std::optional<ProgramEnd> ended;
    form.onHelp = [&help] { help.showTopic(help::ComPorts); };
    const auto show = [&] {
        ShowPortList(*sensor, form.displacementPorts);
        ShowPortList(*stage, form.tempStagePorts);
        dialog.setEnabled(form.enabled);
        if (form.closed) dialog.accept();
    };
    const auto take = [&] {
        form.displacementPorts.listIndex = sensor->currentIndex();
        form.tempStagePorts.listIndex = stage->currentIndex();
    };
    QObject::connect(findSensor, &QPushButton::clicked, &dialog, [&] {
        take();
        InDialog(dialog, ended, [&] { form.FindDisplacementPort(); });
        show();
    });
    QObject::connect(findStage, &QPushButton::clicked, &dialog, [&] {
        take();
        InDialog(dialog, ended, [&] { form.FindTempStagePort(); });
        show();
    });
    QObject::connect(demo, &QPushButton::clicked, &dialog, [&] {
        InDialog(dialog, ended, [&] { form.ChooseDemoMode(); });
        dialog.accept();
    });
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        take();
        bool close = false;
        InDialog(dialog, ended, [&] { close = form.AcceptPorts(); });
        if (close) dialog.accept();
    });
    QObject::connect(helpButton, &QPushButton::clicked, &dialog, [&] { form.ShowHelp(); });

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Displacement Sensor COM Port:"), &dialog), 0, 0);
    grid->addWidget(sensor, 0, 1);
    grid->addWidget(findSensor, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Temp-Stage COM Port:"), &dialog), 1, 0);
    grid->addWidget(stage, 1, 1);
    grid->addWidget(findStage, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(demo);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(helpButton);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    form.Activate();
    show();
    // Closing the window without OK leaves the ports as they were; the link check decides.
    dialog.exec();
    form.onHelp = nullptr;
    if (ended) throw *ended;
}

void ShowSysparamBackup(SysparamBackupModel& form, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmSysparamBackup"));
    dialog.setWindowTitle(QString::fromLatin1(SysparamBackupModel::kCaption));
    form.Activate();
    auto* label = new QLabel(Q(form.label()), &dialog);
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("SerialNumList"));
    for (const auto& serial : form.SerialNumbers())
        list->addItem(Q(serial));
    list->setCurrentRow(form.selected());
    auto* change =
        MakeButton(QStringLiteral("Change Serial #"), QStringLiteral("ChangeSerialBtn"), &dialog);
    auto* keep = MakeButton(QStringLiteral("No Change"), QStringLiteral("NoChangeBtn"), &dialog);
    QObject::connect(change, &QPushButton::clicked, &dialog, [&] {
        form.Select(list->currentRow());
        if (form.ChangeSerial()) dialog.accept();
    });
    QObject::connect(keep, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(change);
    buttons->addWidget(keep);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addLayout(buttons);
    dialog.exec();
}

void ShowDataStorageOptions(DataStorageOptionsModel& form, HelpViewer& help, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("frmDataStorageOptions"));
    dialog.setWindowTitle(QString::fromLatin1(DataStorageOptionsModel::kCaption));
    struct Row {
        QLabel* label;
        QLineEdit* text;
        QPushButton* browse;
        QPushButton* clear;
    };
    std::array<Row, kRemoteStores> rows{};
    auto* grid = new QGridLayout;
    const auto show = [&] {
        for (int i = 0; i < kRemoteStores; ++i) {
            const StoreRow& r = form.row(i);
            Row& w = rows[static_cast<size_t>(i)];
            w.label->setText(Q(r.label));
            if (w.text->text() != Q(r.text)) w.text->setText(Q(r.text));
            w.label->setEnabled(r.labelEnabled);
            w.text->setEnabled(r.textEnabled);
            w.browse->setEnabled(r.browseEnabled);
            w.clear->setEnabled(r.clearEnabled);
        }
        if (form.focusedRow() >= 0) {
            QLineEdit* focused = rows[static_cast<size_t>(form.focusedRow())].text;
            focused->setFocus();
            focused->end(false);
        }
    };
    for (int i = 0; i < kRemoteStores; ++i) {
        Row& w = rows[static_cast<size_t>(i)];
        w.label = new QLabel(&dialog);
        w.label->setObjectName(QStringLiteral("LabelDir%1").arg(i));
        w.text = new QLineEdit(&dialog);
        w.text->setObjectName(QStringLiteral("TxtDataDir%1").arg(i));
        w.text->setMinimumWidth(320);
        w.browse =
            MakeButton(QStringLiteral("..."), QStringLiteral("cmdDataDir%1").arg(i), &dialog);
        w.clear = MakeButton(QStringLiteral("Clear"), QStringLiteral("SonicClickClearBtn%1").arg(i),
                             &dialog);
        grid->addWidget(w.label, i, 0);
        grid->addWidget(w.text, i, 1);
        grid->addWidget(w.browse, i, 2);
        grid->addWidget(w.clear, i, 3);
        QObject::connect(w.text, &QLineEdit::textEdited, &dialog,
                         [&form, i](const QString& t) { form.Edit(i, t.toStdString()); });
        QObject::connect(w.browse, &QPushButton::clicked, &dialog, [&, i] {
            const QString chosen = QFileDialog::getExistingDirectory(
                &dialog, QString::fromLatin1(DataStorageOptionsModel::kBrowseTitle),
                Q(form.BrowseStartFolder()));
            form.Browse(i, chosen.toStdString());
            show();
        });
        QObject::connect(w.clear, &QPushButton::clicked, &dialog, [&, i] {
            form.Clear(i);
            show();
        });
    }
    auto* ok = MakeButton(QStringLiteral("OK"), QStringLiteral("SonicClickOKBtn"), &dialog);
    auto* cancel =
        MakeButton(QStringLiteral("Cancel"), QStringLiteral("SonicClickCancelBtn"), &dialog);
    auto* helpButton = MakeHelpButton(QStringLiteral("SonicClickHelpBtn"), &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&] {
        form.Ok();
        dialog.accept();
    });
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&] {
        form.Cancel();
        dialog.reject();
    });
    QObject::connect(helpButton, &QPushButton::clicked, &dialog,
                     [&help] { help.showTopic(help::DataStorageOptions); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(helpButton);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    form.Activate();
    show();
    dialog.exec();
}

} // namespace dilato::ui
