#include "ui/plot/PlotTabs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace dilato {

namespace {

void Fill(QListWidget* list, const ChoiceList& choices) {
    const QSignalBlocker block(list);
    list->clear();
    for (const std::string& item : choices.items) list->addItem(QString::fromStdString(item));
    list->setCurrentRow(choices.selected);
    if (choices.selected < 0) list->clearSelection();
}

} // namespace

PlottingSetupPage::PlottingSetupPage(PlottingModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    auto* frame = new QGroupBox(QStringLiteral("Plotting Setup"));
    (new QVBoxLayout(this))->addWidget(frame);
    auto* grid = new QGridLayout(frame);

    auto* titleFrame = new QGroupBox(QStringLiteral("Plot Title"));
    PlotTitle = new QLineEdit(QStringLiteral("plot title"));
    (new QVBoxLayout(titleFrame))->addWidget(PlotTitle);

    auto* typeFrame = new QGroupBox(QStringLiteral("Plot Type"));
    auto* typeLayout = new QVBoxLayout(typeFrame);
    OptXAxisData = new QButtonGroup(this);
    const char* const kTypes[] = {"Displacement Versus Time", "Temperature Versus Time",
                                  "Displacement Versus Temperature"};
    for (const GraphKind kind : kGraphKinds) {
        const int index = OptionIndex(kind);
        auto* option = new QRadioButton(QString::fromLatin1(kTypes[index]));
        OptXAxisData->addButton(option, index);
        typeLayout->addWidget(option);
    }

    cbDataFolder = new QComboBox;
    LstBoxDirFiles = new QListWidget;
    LstBoxSelFiles = new QListWidget;
    LstBoxSelFiles->setToolTip(QStringLiteral("Double-click a file to remove it"));
    SonicClickXferRightBtn = new QPushButton(QStringLiteral(">>"));
    SonicClickClearBtn = new QPushButton(QStringLiteral("Clear"));
    SonicClickPlottingSetupTabHelpBtn = new QPushButton(QStringLiteral(" ?"));
    SonicClickPlottingSetupTabHelpBtn->setFixedWidth(40);
    // The names the operator's manual uses (the tools that drive the tab find them so).
    cbDataFolder->setObjectName(QStringLiteral("cbDataFolder"));
    LstBoxDirFiles->setObjectName(QStringLiteral("LstBoxDirFiles"));
    LstBoxSelFiles->setObjectName(QStringLiteral("LstBoxSelFiles"));
    SonicClickXferRightBtn->setObjectName(QStringLiteral("SonicClickXferRightBtn"));
    auto* note = new QLabel(QStringLiteral(
        " Note: CTE results are only displayed on the Displacement Vs Temperature Plot"));
    note->setWordWrap(true);

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(SonicClickXferRightBtn);
    middle->addWidget(SonicClickClearBtn);
    middle->addStretch();

    grid->addWidget(titleFrame, 0, 0, 1, 3);
    grid->addWidget(typeFrame, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Selected Folder:")), 2, 0);
    grid->addWidget(cbDataFolder, 3, 0);
    grid->addWidget(new QLabel(QStringLiteral("Folder Files:")), 4, 0);
    grid->addWidget(LstBoxDirFiles, 5, 0);
    grid->addLayout(middle, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("Selected File:")), 4, 2);
    grid->addWidget(LstBoxSelFiles, 5, 2);
    grid->addWidget(note, 6, 0, 1, 2);
    grid->addWidget(SonicClickPlottingSetupTabHelpBtn, 6, 2, Qt::AlignRight);
    grid->setRowStretch(5, 1);

    connect(PlotTitle, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.SetPlotTitleText(text.toStdString()); });
    connect(OptXAxisData, &QButtonGroup::idClicked, this, [this](int id) {
        if (const auto kind = GraphKindAt(id)) model_.ChoosePlotType(*kind);
        Refresh();
    });
    connect(cbDataFolder, &QComboBox::activated, this, [this](int index) {
        model_.ChooseFolder(index);
        Refresh();
    });
    connect(LstBoxDirFiles, &QListWidget::currentRowChanged, this,
            [this](int row) { model_.ChooseDirFile(row); });
    connect(LstBoxSelFiles, &QListWidget::currentRowChanged, this,
            [this](int row) { model_.ChooseSelFile(row); });
    connect(LstBoxSelFiles, &QListWidget::itemDoubleClicked, this, [this] {
        model_.ChooseSelFile(LstBoxSelFiles->currentRow());
        model_.RemoveSelectedFile();
        Refresh();
    });
    connect(SonicClickXferRightBtn, &QPushButton::clicked, this, [this] {
        model_.TransferRight();
        Refresh();
    });
    connect(SonicClickClearBtn, &QPushButton::clicked, this, [this] {
        model_.ClearSelection();
        Refresh();
    });
    connect(SonicClickPlottingSetupTabHelpBtn, &QPushButton::clicked, this, [this] {
        if (helpRequested) helpRequested();
    });
}

void PlottingSetupPage::Refresh() {
    const PlottingView& view = model_.view();
    {
        const QSignalBlocker block(cbDataFolder);
        cbDataFolder->clear();
        for (const std::string& folder : view.folderCombo.items)
            cbDataFolder->addItem(QString::fromStdString(folder));
        cbDataFolder->setCurrentIndex(view.folderCombo.selected);
    }
    Fill(LstBoxDirFiles, view.dirFiles);
    Fill(LstBoxSelFiles, view.selFiles);
    SonicClickXferRightBtn->setEnabled(view.xferEnabled);
    SonicClickClearBtn->setEnabled(view.clearEnabled);
    if (PlotTitle->text().toStdString() != view.plotTitle)
        PlotTitle->setText(QString::fromStdString(view.plotTitle));
    if (auto* option = OptXAxisData->button(OptionIndex(view.plotTypeOption)))
        option->setChecked(true);
    if (view.focusOnDirFiles) LstBoxDirFiles->setFocus();
}

} // namespace dilato
