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
    titleBox = new QLineEdit(QStringLiteral("plot title"));
    (new QVBoxLayout(titleFrame))->addWidget(titleBox);

    auto* typeFrame = new QGroupBox(QStringLiteral("Plot Type"));
    auto* typeLayout = new QVBoxLayout(typeFrame);
    xAxisChoice = new QButtonGroup(this);
    const char* const kTypes[] = {"Displacement Versus Time", "Temperature Versus Time",
                                  "Displacement Versus Temperature"};
    for (const GraphKind kind : kGraphKinds) {
        const int index = OptionIndex(kind);
        auto* option = new QRadioButton(QString::fromLatin1(kTypes[index]));
        xAxisChoice->addButton(option, index);
        typeLayout->addWidget(option);
    }

    dataFolderBox = new QComboBox;
    folderFilesList = new QListWidget;
    selectedFilesList = new QListWidget;
    selectedFilesList->setToolTip(QStringLiteral("Double-click a file to remove it"));
    addFilesButton = new QPushButton(QStringLiteral(">>"));
    clearButton = new QPushButton(QStringLiteral("Clear"));
    setupHelpButton = new QPushButton(QStringLiteral(" ?"));
    setupHelpButton->setFixedWidth(40);
    // The names the operator's manual uses (the tools that drive the tab find them so).
    dataFolderBox->setObjectName(QStringLiteral("cbDataFolder"));
    folderFilesList->setObjectName(QStringLiteral("LstBoxDirFiles"));
    selectedFilesList->setObjectName(QStringLiteral("LstBoxSelFiles"));
    addFilesButton->setObjectName(QStringLiteral("SonicClickXferRightBtn"));
    auto* note = new QLabel(QStringLiteral(
        " Note: CTE results are only displayed on the Displacement Vs Temperature Plot"));
    note->setWordWrap(true);

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(addFilesButton);
    middle->addWidget(clearButton);
    middle->addStretch();

    grid->addWidget(titleFrame, 0, 0, 1, 3);
    grid->addWidget(typeFrame, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Selected Folder:")), 2, 0);
    grid->addWidget(dataFolderBox, 3, 0);
    grid->addWidget(new QLabel(QStringLiteral("Folder Files:")), 4, 0);
    grid->addWidget(folderFilesList, 5, 0);
    grid->addLayout(middle, 5, 1);
    grid->addWidget(new QLabel(QStringLiteral("Selected File:")), 4, 2);
    grid->addWidget(selectedFilesList, 5, 2);
    grid->addWidget(note, 6, 0, 1, 2);
    grid->addWidget(setupHelpButton, 6, 2, Qt::AlignRight);
    grid->setRowStretch(5, 1);

    connect(titleBox, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.SetPlotTitleText(text.toStdString()); });
    connect(xAxisChoice, &QButtonGroup::idClicked, this, [this](int id) {
        if (const auto kind = GraphKindAt(id)) model_.ChoosePlotType(*kind);
        Refresh();
    });
    connect(dataFolderBox, &QComboBox::activated, this, [this](int index) {
        model_.ChooseFolder(index);
        Refresh();
    });
    connect(folderFilesList, &QListWidget::currentRowChanged, this,
            [this](int row) { model_.ChooseDirFile(row); });
    connect(selectedFilesList, &QListWidget::currentRowChanged, this,
            [this](int row) { model_.ChooseSelectedFile(row); });
    connect(selectedFilesList, &QListWidget::itemDoubleClicked, this, [this] {
        model_.ChooseSelectedFile(selectedFilesList->currentRow());
        model_.RemoveSelectedFile();
        Refresh();
    });
    connect(addFilesButton, &QPushButton::clicked, this, [this] {
        model_.TransferRight();
        Refresh();
    });
    connect(clearButton, &QPushButton::clicked, this, [this] {
        model_.ClearSelection();
        Refresh();
    });
    connect(setupHelpButton, &QPushButton::clicked, this, [this] {
        if (helpRequested) helpRequested();
    });
}

void PlottingSetupPage::Refresh() {
    const PlottingView& view = model_.view();
    {
        const QSignalBlocker block(dataFolderBox);
        dataFolderBox->clear();
        for (const std::string& folder : view.folderCombo.items)
            dataFolderBox->addItem(QString::fromStdString(folder));
        dataFolderBox->setCurrentIndex(view.folderCombo.selected);
    }
    Fill(folderFilesList, view.dirFiles);
    Fill(selectedFilesList, view.selFiles);
    addFilesButton->setEnabled(view.xferEnabled);
    clearButton->setEnabled(view.clearEnabled);
    if (titleBox->text().toStdString() != view.plotTitle)
        titleBox->setText(QString::fromStdString(view.plotTitle));
    if (auto* option = xAxisChoice->button(OptionIndex(view.plotTypeOption)))
        option->setChecked(true);
    if (view.focusOnDirFiles) folderFilesList->setFocus();
}

} // namespace dilato
