#include "ui/TestTab.h"

#include "analysis/ReferenceMaterial.h"

#include "core/Program.h"
#include "core/TestTabControl.h"
#include "platform/DesktopChecks.h"
#include "ui/Guard.h"
#include "ui/HelpViewer.h"
#include "ui/Looks.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>

namespace dilato::ui {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QLineEdit* ReadOnlyField(const QString& name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setAlignment(Qt::AlignRight);
    field->setMinimumWidth(110);
    return field;
}

void SetText(QLineEdit& field, const std::string& text) {
    const QString t = Q(text);
    if (field.text() != t) field.setText(t);
}

void SetText(QLabel& label, const std::string& text) {
    const QString t = Q(text);
    if (label.text() != t) label.setText(t);
}

} // namespace

TestTab::TestTab(TabContext context, TestTabControl& control, QWidget* parent)
    : MainTab(context, parent), control_(control) {
    auto* files = new QGroupBox(QStringLiteral("File Parameters"), this);
    auto* parameters = new QGroupBox(QStringLiteral("Test Parameters"), this);
    auto* data = new QGroupBox(QStringLiteral("Test Data"), this);
    BuildFileFrame(files);
    BuildTestParameters(parameters);
    BuildTestData(data);

    status_ = new QLabel(QStringLiteral("Test Status"), this);
    status_->setObjectName(QStringLiteral("TestStatus0"));
    initializing_ = new QLabel(QStringLiteral("Initializing Temp. Stage... Please wait!"), this);
    initializing_->setObjectName(QStringLiteral("LabelTempInit"));
    initializing_->hide();
    outOfCalibration_ = new QLabel(QStringLiteral("Out-of-Calibration"), this);
    outOfCalibration_->setObjectName(QStringLiteral("OutOfCalib"));
    outOfCalibration_->hide();

    start_ = MakeButton(QStringLiteral("Start"), QStringLiteral("SonicClickStartBtn"), this);
    stop_ = MakeButton(QStringLiteral("Stop"), QStringLiteral("SonicClickStopTestBtn"), this);
    about_ = MakeButton(QStringLiteral("About"), QStringLiteral("SonicClickAboutBtn"), this);
    help_ = MakeHelpButton(QStringLiteral("SonicClickTestTabHelpBtn"), this);
    for (QPushButton* b : {start_, stop_, about_})
        b->setMinimumWidth(110);
    startNote_ = new QLabel(this);
    startNote_->setObjectName(QStringLiteral("StartNote"));
    startNote_->setWordWrap(true);

    auto* left = new QVBoxLayout;
    left->addWidget(files);
    left->addWidget(parameters);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(data);
    right->addStretch();
    auto* frames = new QHBoxLayout;
    frames->addLayout(left, 1);
    frames->addLayout(right, 1);

    auto* notes = new QHBoxLayout;
    notes->addWidget(status_);
    notes->addStretch();
    notes->addWidget(initializing_);
    notes->addWidget(outOfCalibration_);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(start_);
    buttons->addWidget(stop_);
    buttons->addWidget(startNote_, 1);
    buttons->addWidget(about_);
    buttons->addWidget(help_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames, 1);
    layout->addLayout(notes);
    layout->addLayout(buttons);
    Connect();
}

void TestTab::BuildFileFrame(QWidget* frame) {
    folderCombo_ = new QComboBox(frame);
    folderCombo_->setObjectName(QStringLiteral("DataFolderCombo"));
    fileCombo_ = new QComboBox(frame);
    fileCombo_->setObjectName(QStringLiteral("DataFileCombo"));
    for (QComboBox* box : {folderCombo_, fileCombo_}) {
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setMinimumWidth(200);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    }
    sampleId_ = new QLineEdit(frame);
    sampleId_->setObjectName(QStringLiteral("Comment"));
    browse_ =
        MakeButton(QStringLiteral("Browse Data"), QStringLiteral("SonicClickBrowseDataBtn"), frame);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(QStringLiteral("Data Folder:"), frame), 0, 0);
    grid->addWidget(folderCombo_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Data File:"), frame), 1, 0);
    grid->addWidget(fileCombo_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Sample ID:"), frame), 2, 0);
    grid->addWidget(sampleId_, 2, 1);
    grid->addWidget(browse_, 3, 1, Qt::AlignRight);
    grid->setColumnStretch(1, 1);
}

void TestTab::BuildTestParameters(QWidget* frame) {
    nextTemp_ = ReadOnlyField(QStringLiteral("TempCommTxt"), frame);
    length_ = new QLineEdit(frame);
    length_->setObjectName(QStringLiteral("TextBoxThickness"));
    length_->setAlignment(Qt::AlignRight);
    lengthLabel_ = new QLabel(QStringLiteral("Starting Sample Length:"), frame);
    lengthLabel_->setObjectName(QStringLiteral("LabelThickness"));
    lengthUnits_ = new QLabel(QStringLiteral("inches"), frame);
    lengthUnits_->setObjectName(QStringLiteral("LabelThicknessUnits"));
    lengthUnits_->setMinimumWidth(50);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(new QLabel(QStringLiteral("Next Sample Temperature:"), frame), 0, 0);
    grid->addWidget(nextTemp_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("\u00B0C"), frame), 0, 2);
    grid->addWidget(lengthLabel_, 1, 0);
    grid->addWidget(length_, 1, 1);
    grid->addWidget(lengthUnits_, 1, 2);
    materialClass_ = new QComboBox(frame);
    materialClass_->setObjectName(QStringLiteral("MaterialClassCombo"));
    for (const char* name : {"unknown", "metal", "glass", "polymer"})
        materialClass_->addItem(QString::fromLatin1(name));
    grid->addWidget(new QLabel(QStringLiteral("Material Class:"), frame), 2, 0);
    grid->addWidget(materialClass_, 2, 1);
    reference_ = new QComboBox(frame);
    reference_->setObjectName(QStringLiteral("ReferenceCombo"));
    reference_->addItem(QString());
    for (const ReferenceMaterial& m : ShippedReferenceMaterials())
        reference_->addItem(QString::fromStdString(m.name));
    reference_->setEditable(true); // a lab's own specimen by its name
    grid->addWidget(new QLabel(QStringLiteral("Reference:"), frame), 3, 0);
    grid->addWidget(reference_, 3, 1);
    referenceWarning_ = new QLabel(frame);
    referenceWarning_->setObjectName(QStringLiteral("ReferenceWarningLbl"));
    referenceWarning_->setWordWrap(true);
    referenceWarning_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    grid->addWidget(referenceWarning_, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);
}

void TestTab::BuildTestData(QWidget* frame) {
    const char* names[] = {"txtBoxTestData0", "txtBoxTestData1", "txtBoxTestData2"};
    for (size_t i = 0; i < testData_.size(); ++i)
        testData_[i] = ReadOnlyField(QString::fromLatin1(names[i]), frame);
    slope_ = ReadOnlyField(QStringLiteral("txtSlope"), frame);
    elapsed_ = ReadOnlyField(QStringLiteral("TimeKeeper"), frame);
    indicatorUnits_ = new QLabel(QStringLiteral("in."), frame);
    indicatorUnits_->setObjectName(QStringLiteral("LabelIndicatorUnits"));

    auto* grid = new QGridLayout(frame);
    int row = 0;
    const auto addRow = [&](const QString& caption, QWidget* field, QWidget* units) {
        grid->addWidget(new QLabel(caption, frame), row, 0);
        grid->addWidget(field, row, 1);
        if (units) grid->addWidget(units, row, 2);
        ++row;
    };
    addRow(QStringLiteral("Indicator Reading:"), testData_[0], indicatorUnits_);
    addRow(QStringLiteral("Test Vial Temp.:"), testData_[1],
           new QLabel(QStringLiteral("\u00B0C"), frame));
    addRow(QStringLiteral("Projected CTE:"), testData_[2],
           new QLabel(QStringLiteral("\u00B5/\u00B0C"), frame));
    addRow(QStringLiteral("Indicator Slope:"), slope_,
           new QLabel(QStringLiteral("\u00B5/min"), frame));
    addRow(QStringLiteral("Test Duration:"), elapsed_,
           new QLabel(QStringLiteral("Minutes"), frame));

    auto* lights = new QHBoxLayout;
    for (size_t i = 0; i < lights_.size(); ++i) {
        lights_[i] = new QLabel(frame);
        lights_[i]->setObjectName(QStringLiteral("ShapeTestStage%1").arg(i + 1));
        lights_[i]->setFixedSize(56, 24);
        lights->addWidget(lights_[i]);
    }
    lights->addStretch();
    grid->addWidget(new QLabel(QStringLiteral("Test Stage:"), frame), row, 0);
    grid->addLayout(lights, row, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    // The live readings are read from the bench, a step away from the screen: larger type.
    QFont readable = frame->font();
    readable.setPointSize(readable.pointSize() + 3);
    for (QWidget* w : frame->findChildren<QWidget*>())
        w->setFont(readable);
}

void TestTab::Connect() {
    connect(folderCombo_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& t) {
        Guarded([&] { control_.DataFolderTyped(t.toStdString()); });
    });
    connect(folderCombo_, &QComboBox::activated, this, [this](int index) {
        Guarded([&] {
            control_.DataFolderTyped(folderCombo_->itemText(index).toStdString());
            control_.DataFolderSelected();
        });
        refresh();
    });
    folderCombo_->installEventFilter(this);
    connect(folderCombo_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        // A message about the folder takes the focus from the box, which may finish the
        // same edit a second time: one choice, one message.
        if (folderCombo_->currentText().trimmed().isEmpty() || choosingFolder_) return;
        choosingFolder_ = true;
        Guarded([&] { control_.DataFolderSelected(); });
        choosingFolder_ = false;
        refresh();
    });
    connect(fileCombo_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& t) {
        Guarded([&] { control_.DataFileTyped(t.toStdString()); });
        refresh();
    });
    connect(fileCombo_, &QComboBox::activated, this, [this](int index) {
        Guarded([&] { control_.DataFilePicked(index); });
        refresh();
    });
    connect(sampleId_, &QLineEdit::textEdited, this, [this](const QString& t) {
        control_.SampleIdEdited(t.toStdString());
        refresh(); // a sample tested before shows its class at once
    });
    connect(length_, &QLineEdit::textEdited, this, &TestTab::SampleLengthEdited);
    connect(materialClass_, &QComboBox::activated, this, [this](int) {
        control_.MaterialClassPicked(materialClass_->currentText().toStdString());
    });
    connect(reference_, &QComboBox::currentTextChanged, this, [this](const QString& name) {
        control_.ReferencePicked(name.trimmed().toStdString());
    });
    connect(start_, &QPushButton::clicked, this, [this] {
        Guarded([&] { control_.Start(); });
        refresh();
    });
    connect(stop_, &QPushButton::clicked, this, [this] {
        Guarded([&] { control_.Stop(); });
        refresh();
    });
    connect(browse_, &QPushButton::clicked, this, &TestTab::BrowseData);
    connect(about_, &QPushButton::clicked, this, [this] {
        if (onAbout_) onAbout_();
    });
    connect(help_, &QPushButton::clicked, this, [this] { help().showTopic(help::TestTab); });
}

bool TestTab::eventFilter(QObject* watched, QEvent* event) {
    // Return in the folder box reaches the combo box after its line edit has taken it, and
    // the combo box hands it to the line edit once more: the folder would be chosen twice.
    if (watched == folderCombo_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) return true;
    }
    return MainTab::eventFilter(watched, event);
}

void TestTab::SampleLengthEdited(const QString& typed) {
    const FilteredText result =
        control_.SampleLengthEdited(lengthBefore_, typed.toStdString(), length_->cursorPosition());
    if (result.text != typed.toStdString()) {
        const QSignalBlocker block(length_);
        length_->setText(Q(result.text));
        length_->setCursorPosition(result.caret);
    }
    if (result.beep) QApplication::beep();
    lengthBefore_ = result.text;
}

void TestTab::BrowseData() {
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Browse Data"), Q(program().folders.DataPath),
        QStringLiteral("All Files (*);;Text Files (*.txt);;PDF Files (*.pdf)"));
    if (file.isEmpty()) return;
    // A file that no program of the desktop opens would otherwise leave the button silent.
    bool registered = false;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(file);
    for (const QString& name : QStringList{type.name()} + type.allAncestors())
        registered = registered || ProgramRegistered(name.toStdString());
    if (!registered || !QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        ShowMessage(program().links.services().op,
                    "No program on this computer is set up to open " + file.toStdString() + ".",
                    "Browse Data", MessageIcon::Exclamation);
}

void TestTab::ShowChoices(QComboBox& box, const std::vector<std::string>& items, int selected,
                          const std::string& text, std::vector<std::string>& shown) {
    const QSignalBlocker block(&box);
    if (items != shown) {
        box.clear();
        for (const auto& item : items)
            box.addItem(Q(item));
        shown = items;
    }
    if (box.lineEdit()->hasFocus() && box.currentText() == Q(text)) return;
    if (selected >= 0 && box.currentIndex() != selected) box.setCurrentIndex(selected);
    if (box.currentText() != Q(text)) box.setEditText(Q(text));
}

void TestTab::refresh() {
    const TestTabView& view = program().session.window.view();
    ShowChoices(*folderCombo_, control_.folderList().items, -1, view.dataFolder, shownFolders_);
    ShowChoices(*fileCombo_, control_.fileList().items, -1, view.dataFile, shownFiles_);
    if (!sampleId_->hasFocus()) SetText(*sampleId_, view.sampleId);
    if (!length_->hasFocus() || Q(view.sampleLength) != length_->text()) {
        if (Q(view.sampleLength) != length_->text()) {
            length_->setText(Q(view.sampleLength));
            lengthBefore_ = view.sampleLength;
        }
    }
    for (QWidget* w : {static_cast<QWidget*>(folderCombo_), static_cast<QWidget*>(fileCombo_),
                       static_cast<QWidget*>(sampleId_)})
        w->setEnabled(view.fileFieldsEnabled);
    length_->setEnabled(view.sampleLengthEnabled);
    materialClass_->setEnabled(view.sampleLengthEnabled);
    reference_->setEnabled(view.sampleLengthEnabled);
    if (reference_->currentText() != Q(view.referenceMaterial)) {
        const QSignalBlocker block(reference_);
        reference_->setCurrentText(Q(view.referenceMaterial));
    }
    referenceWarning_->setText(Q(view.referenceWarning));
    referenceWarning_->setVisible(!view.referenceWarning.empty());
    if (materialClass_->currentText() != Q(view.materialClass)) {
        const QSignalBlocker block(materialClass_);
        materialClass_->setCurrentText(Q(view.materialClass));
    }
    lengthLabel_->setEnabled(view.sampleLengthEnabled);
    lengthUnits_->setEnabled(view.sampleLengthEnabled);
    const bool inches = program().session.run.UnitsInches;
    SetText(*lengthUnits_, inches ? "inches" : "mm");
    SetText(*indicatorUnits_, inches ? "in." : "mm");

    SetText(*nextTemp_, view.nextTemp);
    SetText(*testData_[0], view.indicator);
    SetText(*testData_[1], view.sampleTemp);
    SetText(*testData_[2], view.projectedCte);
    SetText(*slope_, view.slope);
    SetText(*elapsed_, view.elapsed);
    for (QLineEdit* field : {testData_[2], slope_, elapsed_})
        ShowTestDataLook(*field, view.testDataEnabled);
    ShowTestDataLook(*testData_[0], view.testDataEnabled, view.indicatorStale);
    ShowTestDataLook(*testData_[1], view.testDataEnabled, view.sampleTempStale);
    for (size_t i = 0; i < lights_.size(); ++i)
        ShowLight(*lights_[i], view.lights[i]);
    SetText(*status_, view.statusText[0]);
    initializing_->setVisible(view.initializingLabelVisible);

    start_->setEnabled(view.startEnabled);
    const bool noteShown = !view.startEnabled && !view.startNote.empty();
    SetText(*startNote_, noteShown ? view.startNote : std::string());
    stop_->setEnabled(view.stopEnabled);
    browse_->setEnabled(view.browseDataEnabled);
    about_->setEnabled(view.aboutEnabled);
    help_->setEnabled(view.helpEnabled);
}

void TestTab::setOutOfCalibrationVisible(bool visible) {
    outOfCalibration_->setVisible(visible);
}

} // namespace dilato::ui
