#include "ui/SetupOptionsTab.h"

#include "core/Program.h"
#include "ui/Guard.h"
#include "ui/HelpViewer.h"
#include "ui/Looks.h"
#include "ui/SettingsWindows.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace dilato::ui {

namespace {
QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

SetupOptionsTab::SetupOptionsTab(TabContext context, QWidget* parent)
    : MainTab(context, parent),
      storeOptions_(context.program.folders, [&p = context.program] { p.settings.SaveSettings(); }),
      model_(
          SetupOptionsServices{context.program.params,
                               context.program.paramFile,
                               context.program.session.run,
                               context.program.links.services().op,
                               [&p = context.program] { return p.links.SampleTemp(); },
                               [&p = context.program] { p.session.window.RefreshDataFolderList(); },
                               {},
                               [this] { ShowDataStorageOptions(storeOptions_, help(), this); }}) {
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(BuildTemperatures(), 1);
    layout->addWidget(BuildOptions(), 1);
    Connect();
}

QWidget* SetupOptionsTab::BuildTemperatures() {
    auto* column = new QWidget(this);
    auto* end = new QGroupBox(QStringLiteral("Temperature After Testing"), column);
    const char* endCaptions[] = {"Revert to 20C (recommended)",
                                 "Remain at Final Temperature  (>20C)",
                                 "Revert to Start Temperature  (>20C)"};
    auto* endLayout = new QVBoxLayout(end);
    for (size_t i = 0; i < endTemp_.size(); ++i) {
        endTemp_[i] = new QRadioButton(QString::fromLatin1(endCaptions[i]), end);
        endTemp_[i]->setObjectName(QStringLiteral("OptTempEnd%1").arg(i));
        endLayout->addWidget(endTemp_[i]);
    }

    auto* points = new QGroupBox(QStringLiteral("Temperature Points"), column);
    auto* grid = new QGridLayout(points);
    points_ = new QSpinBox(points);
    points_->setObjectName(QStringLiteral("UpDownNumPts"));
    points_->setRange(1, kBatchPoints);
    grid->addWidget(new QLabel(QStringLiteral("Number of  Points"), points), 0, 0, 1, 2);
    grid->addWidget(points_, 0, 2);
    for (int c = 0; c < kBatchPoints; ++c) {
        const size_t i = static_cast<size_t>(c);
        labels_[i] = new QLabel(QString::number(c + 1), points);
        labels_[i]->setObjectName(QStringLiteral("LabelT%1").arg(c));
        temps_[i] = new QSpinBox(points);
        temps_[i]->setObjectName(QStringLiteral("TempBatch%1").arg(c));
        temps_[i]->setRange(kBatchTempLowest, kBatchTempHighest);
        temps_[i]->setSuffix(QStringLiteral(" \u00B0C"));
        grid->addWidget(labels_[i], 1 + c, 1, Qt::AlignRight);
        grid->addWidget(temps_[i], 1 + c, 2);
    }
    roundTrip_ = new QCheckBox(QStringLiteral("Add \"Round-Trip\" Test"), points);
    roundTrip_->setObjectName(QStringLiteral("ChkRoundTrip"));
    reorder_ = new QCheckBox(QStringLiteral("Reorder to Reduce Test Duration"), points);
    reorder_->setObjectName(QStringLiteral("OptimizeTempPts"));
    grid->addWidget(roundTrip_, 1 + kBatchPoints, 0, 1, 3);
    grid->addWidget(reorder_, 2 + kBatchPoints, 0, 1, 3);

    auto* layout = new QVBoxLayout(column);
    layout->addWidget(end);
    layout->addWidget(points);
    layout->addStretch();
    return column;
}

QWidget* SetupOptionsTab::BuildOptions() {
    auto* column = new QWidget(this);
    auto* passwordFrame = new QGroupBox(QStringLiteral("Full Operation Password"), column);
    password_ = new QLineEdit(passwordFrame);
    password_->setObjectName(QStringLiteral("TxtPassWord"));
    (new QVBoxLayout(passwordFrame))->addWidget(password_);

    auto* unitsFrame = new QGroupBox(QStringLiteral("Units"), column);
    auto* unitsLayout = new QVBoxLayout(unitsFrame);
    // Metric lengths are typed and shown in millimetres.
    const char* unitCaptions[] = {"English (inches)", "Metric (millimeters)"};
    for (size_t i = 0; i < units_.size(); ++i) {
        units_[i] = new QRadioButton(QString::fromLatin1(unitCaptions[i]), unitsFrame);
        units_[i]->setObjectName(QStringLiteral("OptUnits%1").arg(i));
        unitsLayout->addWidget(units_[i]);
    }

    auto* dataFrame = new QGroupBox(QStringLiteral("Data File Options"), column);
    pdf_ = new QCheckBox(QStringLiteral("Create PDF Files"), dataFrame);
    pdf_->setObjectName(QStringLiteral("CheckBoxCreatePDF"));
    dataStore_ = MakeButton(QStringLiteral("Data Store"), QStringLiteral("SonicClickDataStoreBtn"),
                            dataFrame);
    auto* dataLayout = new QHBoxLayout(dataFrame);
    dataLayout->addWidget(pdf_);
    dataLayout->addStretch();
    dataLayout->addWidget(dataStore_);

    auto* accuracyFrame = new QGroupBox(QStringLiteral("Accuracy / Speed"), column);
    auto* accuracyLayout = new QVBoxLayout(accuracyFrame);
    const char* accuracyCaptions[] = {"Normal Accuracy (recommended)",
                                      "High Accuracy (only for CTEs < 4\u00B5/C)"};
    for (size_t i = 0; i < accuracy_.size(); ++i) {
        accuracy_[i] = new QRadioButton(QString::fromUtf8(accuracyCaptions[i]), accuracyFrame);
        accuracy_[i]->setObjectName(QStringLiteral("AccuracyOpt%1").arg(i + 1));
        accuracyLayout->addWidget(accuracy_[i]);
    }

    auto* calibration = new QGroupBox(QStringLiteral("Calibration"), column);
    serial_ = new QLabel(calibration);
    serial_->setObjectName(QStringLiteral("TxtSerialNumberFld"));
    calibrationDate_ = new QLabel(calibration);
    calibrationDate_->setObjectName(QStringLiteral("TxtCalibrationDateFld"));
    auto* calGrid = new QGridLayout(calibration);
    calGrid->addWidget(new QLabel(QStringLiteral("Model / Serial #:"), calibration), 0, 0);
    calGrid->addWidget(serial_, 0, 1);
    calGrid->addWidget(new QLabel(QStringLiteral("Calibration Date:"), calibration), 1, 0);
    calGrid->addWidget(calibrationDate_, 1, 1);
    calGrid->setColumnStretch(1, 1);

    help_ = MakeHelpButton(QStringLiteral("SonicClickSetupTabHelpBtn"), column);
    auto* layout = new QVBoxLayout(column);
    for (QWidget* w : std::initializer_list<QWidget*>{passwordFrame, unitsFrame, dataFrame,
                                                       accuracyFrame, calibration})
        layout->addWidget(w);
    layout->addStretch();
    layout->addWidget(help_, 0, Qt::AlignRight);
    return column;
}

void SetupOptionsTab::Connect() {
    const auto operatorChange = [this](auto&& f) {
        return [this, f](auto&&...) {
            if (showing_) return;
            Guarded(f);
            Show();
        };
    };
    connect(points_, &QSpinBox::valueChanged, this,
            operatorChange([this] { model_.NumberOfPointsChanged(points_->value()); }));
    for (int c = 0; c < kBatchPoints; ++c)
        connect(temps_[size_t(c)], &QSpinBox::valueChanged, this, operatorChange([this, c] {
                    model_.BatchTempChanged(c, temps_[size_t(c)]->value());
                }));
    for (size_t i = 0; i < units_.size(); ++i) {
        // Only the option coming on acts: showing the tab again for the one going off would
        // tick it again while the model still holds it, before the other's signal arrives.
        const auto choose = operatorChange([this, i] { model_.UnitsChanged(static_cast<int>(i)); });
        connect(units_[i], &QRadioButton::toggled, this, [choose](bool on) {
            if (on) choose();
        });
    }
    // The options kept only on leaving are taken at once as well: any other change shows the
    // tab again from the model, which would otherwise put them back.
    const auto takeOptions = [this] {
        if (!showing_) TakeOptions();
    };
    for (QRadioButton* option : {endTemp_[0], endTemp_[1], endTemp_[2], accuracy_[0], accuracy_[1]})
        connect(option, &QRadioButton::toggled, this, takeOptions);
    for (QCheckBox* box : {roundTrip_, reorder_})
        connect(box, &QCheckBox::toggled, this, takeOptions);
    connect(pdf_, &QCheckBox::toggled, this,
            operatorChange([this] { model_.CreatePdfChanged(pdf_->isChecked()); }));
    connect(password_, &QLineEdit::textEdited, this,
            operatorChange([this] { model_.PasswordChanged(password_->text().toStdString()); }));
    connect(dataStore_, &QPushButton::clicked, this, operatorChange([this] { model_.DataStore(); }));
    connect(help_, &QPushButton::clicked, this, [this] { help().showTopic(help::SetupOptionsTab); });
}

void SetupOptionsTab::enterTab() {
    model_.EnterSetupOptions();
    Show();
}

bool SetupOptionsTab::leaveTab(Tab) {
    Take();
    model_.LeaveSetupOptions(); // a parameter file that cannot be written ends the program
    return true;
}

void SetupOptionsTab::refresh() {}

void SetupOptionsTab::Show() {
    showing_ = true;
    const SetupOptionsView& v = model_.view;
    endTemp_.at(static_cast<size_t>(v.endTempOption))->setChecked(true);
    units_.at(v.unitsOption == 1 ? 1 : 0)->setChecked(true);
    accuracy_.at(v.accuracyOption == 2 ? 1 : 0)->setChecked(true);
    if (password_->text() != Q(v.password)) password_->setText(Q(v.password));
    points_->setValue(v.numberOfPtsSpin);
    for (size_t i = 0; i < temps_.size(); ++i) {
        temps_[i]->setValue(v.batchSpin[i]);
        temps_[i]->setEnabled(v.batchEnabled[i]);
        labels_[i]->setEnabled(v.batchEnabled[i]);
    }
    roundTrip_->setChecked(v.roundTrip);
    reorder_->setChecked(v.reorder);
    pdf_->setChecked(v.createPdf);
    serial_->setText(Q(v.modelSerial));
    calibrationDate_->setText(Q(v.calibrationDate));
    showing_ = false;
}

void SetupOptionsTab::TakeOptions() {
    SetupOptionsView& v = model_.view;
    for (size_t i = 0; i < endTemp_.size(); ++i)
        if (endTemp_[i]->isChecked()) v.endTempOption = static_cast<int>(i);
    v.accuracyOption = accuracy_[1]->isChecked() ? 2 : 1;
    v.roundTrip = roundTrip_->isChecked();
    v.reorder = reorder_->isChecked();
}

void SetupOptionsTab::Take() {
    SetupOptionsView& v = model_.view;
    TakeOptions();
    if (password_->text().contains(QLatin1Char(' ')))
        model_.PasswordChanged(password_->text().toStdString());
    else
        v.password = password_->text().toStdString();
}

} // namespace dilato::ui
