#include "ui/results/ResultsPage.h"

#include "results/Catalog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace dilato {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

template <class W> W* Named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* Button(const char* caption, const char* name) {
    return Named(new QPushButton(QString::fromUtf8(caption)), name);
}

// The date typed, when it is a whole date; empty (no limit) while it is not.
std::string DateOf(const QLineEdit& field) {
    const QDate date = QDate::fromString(field.text().trimmed(), Qt::ISODate);
    return date.isValid() ? date.toString(Qt::ISODate).toStdString() : std::string();
}


} // namespace

ResultsPage::ResultsPage(ResultsTabModel& model, ResultsChart& overlay, ResultsChart& alpha,
                         QWidget* parent)
    : QWidget(parent), model_(model), overlay_(overlay), alpha_(alpha) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);

    // The filter: two rows of fields and the marks.
    auto* filters = new QGridLayout;
    sampleFilter = Named(new QLineEdit, "ResultsSampleFilter");
    materialFilter = Named(new QComboBox, "ResultsMaterialFilter");
    fromDate = Named(new QLineEdit, "ResultsFromDate");
    toDate = Named(new QLineEdit, "ResultsToDate");
    operatorFilter = Named(new QLineEdit, "ResultsOperatorFilter");
    folderFilter = Named(new QLineEdit, "ResultsFolderFilter");
    for (QLineEdit* date : {fromDate, toDate}) {
        date->setPlaceholderText(QStringLiteral("yyyy-mm-dd"));
        date->setMaxLength(10);
    }
    notAtEquilibrium = Named(new QCheckBox(QStringLiteral("Not at equilibrium")), "ResultsNotAtEquilibrium");
    belowRange = Named(new QCheckBox(QStringLiteral("Below method range")), "ResultsBelowRange");
    outOfControl = Named(new QCheckBox(QStringLiteral("Out of control reference")), "ResultsOutOfControl");
    clearFilter = Button("Clear Filter", "ResultsClearFilterBtn");
    help = Button(" ?", "ResultsTabHelpBtn");
    help->setFixedWidth(40);
    // Each field with its caption before it (Alt and the underlined letter go to the field).
    const struct {
        const char* caption;
        QWidget* field;
        int row, column;
    } fields[] = {{"&Sample ID:", sampleFilter, 0, 0}, {"&Material:", materialFilter, 0, 2},
                  {"&From:", fromDate, 0, 4},          {"&To:", toDate, 0, 6},
                  {"O&perator:", operatorFilter, 1, 0}, {"F&older:", folderFilter, 1, 2}};
    for (const auto& f : fields) {
        auto* caption = new QLabel(QString::fromUtf8(f.caption));
        caption->setBuddy(f.field);
        filters->addWidget(caption, f.row, f.column);
        filters->addWidget(f.field, f.row, f.column + 1);
    }
    auto* marks = new QHBoxLayout;
    marks->addWidget(notAtEquilibrium);
    marks->addWidget(belowRange);
    marks->addWidget(outOfControl);
    marks->addStretch();
    filters->addLayout(marks, 1, 4, 1, 4);
    filters->addWidget(clearFilter, 0, 8);
    filters->addWidget(help, 1, 8);
    filters->setColumnStretch(1, 2);
    filters->setColumnStretch(3, 2);
    filters->setColumnStretch(5, 1);
    filters->setColumnStretch(7, 1);
    layout->addLayout(filters);

    // The table and, beside it, what is shown of the selected and the ticked tests.
    auto* split = Named(new QSplitter(Qt::Horizontal), "ResultsSplitter");
    table = Named(new QTableView, "ResultsTable");
    tableModel_ = new ResultsTableModel(model_, table);
    table->setModel(tableModel_);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    // The model sorts; a click on a column's head sorts by it, a second click the other way.
    table->horizontalHeader()->setSortIndicatorShown(true);
    table->horizontalHeader()->setSectionsClickable(true);
    table->horizontalHeader()->setSortIndicator(
        model_.sortColumn(), model_.sortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setWordWrap(false);
    table->setTabKeyNavigation(false);
    // Widths for the texts the columns hold (measured over ten thousand rows would be slow).
    const int em = table->fontMetrics().horizontalAdvance(QLatin1Char('m'));
    const int widths[column::Count] = {2 * em + 4, 7 * em, 7 * em, 5 * em, 7 * em,
                                       6 * em, 5 * em, 6 * em, 5 * em, 10 * em};
    for (int c = 0; c < column::Count; ++c)
        table->setColumnWidth(c, widths[c]);
    InstallSpaceTicks(*table, *tableModel_);
    split->addWidget(table);

    views = Named(new QTabWidget, "ResultsViews");
    auto* detailPage = new QWidget;
    auto* detailLayout = new QVBoxLayout(detailPage);
    details = Named(new QPlainTextEdit, "ResultsDetails");
    details->setReadOnly(true);
    details->setLineWrapMode(QPlainTextEdit::NoWrap);
    openReport = Button("Open &Report", "ResultsOpenReportBtn");
    openFolder = Button("Open Fol&der", "ResultsOpenFolderBtn");
    openPlot = Button("P&lot", "ResultsOpenPlotBtn");
    auto* opens = new QHBoxLayout;
    opens->addWidget(openReport);
    opens->addWidget(openFolder);
    opens->addWidget(openPlot);
    opens->addStretch();
    detailLayout->addLayout(opens);
    detailLayout->addWidget(details, 1);
    views->addTab(detailPage, QStringLiteral("Details"));

    imageFormat = Named(new QComboBox, "ResultsImageFormat");
    imageFormat->addItems({QStringLiteral("PNG"), QStringLiteral("PDF"), QStringLiteral("SVG")});
    auto chartPage = [&](ResultsChart& chart, const char* chartName, QPushButton*& image,
                         const char* imageName, QPushButton*& csv, const char* csvName) {
        auto* page = new QWidget;
        auto* pageLayout = new QVBoxLayout(page);
        chart.setObjectName(QString::fromLatin1(chartName));
        chart.widget()->setParent(page);
        image = Button("Save &Image", imageName);
        csv = Button("Save &CSV", csvName);
        auto* bar = new QHBoxLayout;
        bar->addWidget(image);
        bar->addWidget(csv);
        bar->addStretch();
        pageLayout->addWidget(chart.widget(), 1);
        pageLayout->addLayout(bar);
        return page;
    };
    views->addTab(chartPage(overlay_, "ResultsOverlayChart", overlayImage, "ResultsOverlayImageBtn",
                            overlayCsv, "ResultsOverlayCsvBtn"),
                  QStringLiteral("Overlay"));
    views->addTab(chartPage(alpha_, "ResultsAlphaChart", alphaImage, "ResultsAlphaImageBtn",
                            alphaCsv, "ResultsAlphaCsvBtn"),
                  QStringLiteral("α(T)"));
    auto* batchPage = new QWidget;
    auto* batchLayout = new QVBoxLayout(batchPage);
    batchTable = Named(new QTableWidget, "ResultsBatchTable");
    batchTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    batchTable->verticalHeader()->setVisible(false);
    batchTable->verticalHeader()->setDefaultSectionSize(batchTable->fontMetrics().height() + 6);
    batchCaption = Named(new QLabel, "ResultsBatchCaption");
    batchCaption->setWordWrap(true);
    batchLayout->addWidget(batchCaption);
    batchCsv = Button("Save &CSV", "ResultsBatchCsvBtn");
    batchPrint = Button("&Batch Summary PDF", "ResultsBatchPrintBtn");
    auto* batchBar = new QHBoxLayout;
    batchBar->addWidget(batchCsv);
    batchBar->addWidget(batchPrint);
    batchBar->addStretch();
    batchLayout->addWidget(batchTable, 1);
    batchLayout->addLayout(batchBar);
    views->addTab(batchPage, QStringLiteral("Batch"));
    split->addWidget(views);
    split->setStretchFactor(0, 5);
    split->setStretchFactor(1, 6);
    layout->addWidget(split, 1);

    auto* bottom = new QHBoxLayout;
    counts = Named(new QLabel, "ResultsCounts");
    exported = Named(new QLabel, "ResultsExported");
    exported->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bottom->addWidget(counts);
    bottom->addStretch();
    bottom->addWidget(new QLabel(QStringLiteral("Image format:")));
    bottom->addWidget(imageFormat);
    layout->addLayout(bottom);
    layout->addWidget(exported);

    // The keyboard's order: the filter, the table, the views.
    setTabOrder(sampleFilter, materialFilter);
    setTabOrder(materialFilter, fromDate);
    setTabOrder(fromDate, toDate);
    setTabOrder(toDate, operatorFilter);
    setTabOrder(operatorFilter, folderFilter);
    setTabOrder(folderFilter, notAtEquilibrium);
    setTabOrder(notAtEquilibrium, belowRange);
    setTabOrder(belowRange, outOfControl);
    setTabOrder(outOfControl, clearFilter);
    setTabOrder(clearFilter, table);
    setTabOrder(table, views);

    for (QLineEdit* field : {sampleFilter, fromDate, toDate, operatorFilter, folderFilter})
        connect(field, &QLineEdit::textEdited, this, &ResultsPage::FilterEdited);
    connect(materialFilter, &QComboBox::currentIndexChanged, this, &ResultsPage::FilterEdited);
    for (QCheckBox* box : {notAtEquilibrium, belowRange, outOfControl})
        connect(box, &QCheckBox::toggled, this, &ResultsPage::FilterEdited);
    connect(clearFilter, &QPushButton::clicked, this, [this] {
        model_.SetFilter({});
        Enter();
    });
    connect(table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        const bool ascending = section == model_.sortColumn() ? !model_.sortAscending() : true;
        tableModel_->sort(section, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
        const QSignalBlocker block(table->horizontalHeader());
        table->horizontalHeader()->setSortIndicator(section, ascending ? Qt::AscendingOrder
                                                                       : Qt::DescendingOrder);
    });
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ResultsPage::CurrentRowChanged);
    connect(tableModel_, &QAbstractItemModel::layoutChanged, this, [this] {
        if (model_.selectedRow() >= 0) table->selectRow(model_.selectedRow());
    });
    tableModel_->ticksChanged = [this] { ShowView(); };
    connect(views, &QTabWidget::currentChanged, this, [this] { ShowView(); });
    connect(openReport, &QPushButton::clicked, this, [this] { model_.OpenReport(); });
    connect(openFolder, &QPushButton::clicked, this, [this] { model_.OpenFolder(); });
    connect(openPlot, &QPushButton::clicked, this, [this] { model_.OpenPlot(); });
    connect(overlayImage, &QPushButton::clicked, this,
            [this] { Exported(model_.ExportOverlayImage(Format())); });
    connect(overlayCsv, &QPushButton::clicked, this, [this] { Exported(model_.ExportOverlayCsv()); });
    connect(alphaImage, &QPushButton::clicked, this,
            [this] { Exported(model_.ExportAlphaImage(Format())); });
    connect(alphaCsv, &QPushButton::clicked, this, [this] { Exported(model_.ExportAlphaCsv()); });
    connect(batchCsv, &QPushButton::clicked, this, [this] { Exported(model_.ExportBatchCsv()); });
    connect(batchPrint, &QPushButton::clicked, this, [this] { Exported(model_.ExportBatchPdf()); });
    connect(help, &QPushButton::clicked, this, [this] {
        if (helpRequested) helpRequested();
    });
}

ImageFormat ResultsPage::Format() const {
    switch (imageFormat->currentIndex()) {
    case 1: return ImageFormat::Pdf;
    case 2: return ImageFormat::Svg;
    default: return ImageFormat::Png;
    }
}

void ResultsPage::ShowMaterials() {
    const QSignalBlocker block(materialFilter);
    materialFilter->clear();
    materialFilter->addItem(QStringLiteral("(all)"));
    for (const std::string& m : model_.Materials())
        materialFilter->addItem(Q(m));
    const int at = materialFilter->findText(Q(model_.filter().material));
    materialFilter->setCurrentIndex(model_.filter().material.empty() || at < 0 ? 0 : at);
}

void ResultsPage::Enter() {
    resetting_ = true;
    ShowMaterials();
    const ResultsFilter& f = model_.filter();
    // The fields show the filter in force (kept from the last visit).
    if (sampleFilter->text() != Q(f.sample)) sampleFilter->setText(Q(f.sample));
    if (operatorFilter->text() != Q(f.operatorLogin)) operatorFilter->setText(Q(f.operatorLogin));
    if (folderFilter->text() != Q(f.folder)) folderFilter->setText(Q(f.folder));
    if (DateOf(*fromDate) != f.from) fromDate->setText(Q(f.from));
    if (DateOf(*toDate) != f.to) toDate->setText(Q(f.to));
    {
        const QSignalBlocker b1(notAtEquilibrium), b2(belowRange), b3(outOfControl);
        notAtEquilibrium->setChecked(f.marks & results::mark::NotAtEquilibrium);
        belowRange->setChecked(f.marks & results::mark::BelowMethodRange);
        outOfControl->setChecked(f.marks & results::mark::OutOfControlReference);
    }
    tableModel_->Reset();
    if (model_.selectedRow() >= 0) {
        table->selectRow(model_.selectedRow());
        table->scrollTo(tableModel_->index(model_.selectedRow(), 0));
    }
    resetting_ = false;
    ShowView();
    Refresh();
}

void ResultsPage::FilterEdited() {
    if (resetting_) return;
    ResultsFilter f;
    f.sample = sampleFilter->text().trimmed().toStdString();
    f.material = materialFilter->currentIndex() > 0 ? materialFilter->currentText().toStdString() : "";
    f.from = DateOf(*fromDate);
    f.to = DateOf(*toDate);
    f.operatorLogin = operatorFilter->text().trimmed().toStdString();
    f.folder = folderFilter->text().trimmed().toStdString();
    if (notAtEquilibrium->isChecked()) f.marks |= results::mark::NotAtEquilibrium;
    if (belowRange->isChecked()) f.marks |= results::mark::BelowMethodRange;
    if (outOfControl->isChecked()) f.marks |= results::mark::OutOfControlReference;
    resetting_ = true;
    model_.SetFilter(f);
    tableModel_->Reset();
    if (model_.selectedRow() >= 0) table->selectRow(model_.selectedRow());
    resetting_ = false;
    Refresh();
}

void ResultsPage::CurrentRowChanged() {
    if (resetting_) return;
    const QModelIndex current = table->currentIndex();
    model_.Select(current.isValid() ? current.row() : -1);
    ShowView();
}

void ResultsPage::ShowView() {
    const QWidget* page = views->currentWidget();
    if (page == views->widget(0)) ShowDetails();
    if (page == views->widget(1)) model_.DrawOverlay();
    if (page == views->widget(2)) model_.DrawAlpha();
    if (page == views->widget(3)) ShowBatch();
    Refresh();
}

void ResultsPage::ShowDetails() {
    QStringList lines;
    for (const std::string& line : model_.DetailLines())
        lines << Q(line);
    details->setPlainText(lines.isEmpty() ? QStringLiteral("Select a test in the table.")
                                          : lines.join(QLatin1Char('\n')));
}

void ResultsPage::ShowBatch() {
    const BatchTable batch = model_.Batch();
    batchTable->clear();
    const QStringList heads{QStringLiteral("Interval"), QStringLiteral("n"),
                            QStringLiteral("Mean (µ/°C)"), QStringLiteral("s (µ/°C)"),
                            QStringLiteral("Weighted mean (µ/°C)"), QStringLiteral("Birge ratio")};
    batchTable->setColumnCount(static_cast<int>(heads.size()));
    batchTable->setHorizontalHeaderLabels(heads);
    QStringList names;
    for (const std::string& n : batch.tests)
        names << Q(n);
    batchCaption->setText(batch.problem.empty()
                              ? QStringLiteral("%1 tests of %2: %3")
                                    .arg(batch.tests.size())
                                    .arg(Q(batch.material), names.join(QStringLiteral(", ")))
                              : QString());
    if (!batch.problem.empty()) {
        batchTable->setRowCount(1);
        batchTable->setItem(0, 0, new QTableWidgetItem(Q(batch.problem)));
        batchTable->setSpan(0, 0, 1, static_cast<int>(heads.size()));
        return;
    }
    batchTable->setRowCount(static_cast<int>(batch.rows.size()));
    auto num = [](double v, int decimals) { return QString::number(v, 'f', decimals); };
    for (int r = 0; r < static_cast<int>(batch.rows.size()); ++r) {
        const BatchStatistics& s = batch.rows[static_cast<size_t>(r)].stats;
        const QString cells[] = {Q(batch.rows[static_cast<size_t>(r)].interval),
                                 QString::number(s.count), num(s.mean, 3),
                                 num(s.standardDeviation, 3),
                                 s.weightedMean ? num(*s.weightedMean, 3) : QStringLiteral("-"),
                                 s.birgeRatio ? num(*s.birgeRatio, 2) : QStringLiteral("-")};
        for (int c = 0; c < static_cast<int>(std::size(cells)); ++c)
            batchTable->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
    batchTable->resizeColumnsToContents();
}

void ResultsPage::Exported(const std::string& path) {
    if (!path.empty()) exported->setText(Q("Saved to " + path));
}

void ResultsPage::Refresh() {
    const QString text = QStringLiteral("%1 of %2 tests shown, %3 ticked")
                             .arg(model_.rows())
                             .arg(model_.total())
                             .arg(model_.tickedUids().size());
    if (counts->text() != text) counts->setText(text);
    const bool selected = !model_.selectedUid().empty();
    for (QPushButton* b : {openReport, openFolder, openPlot})
        if (b->isEnabled() != selected) b->setEnabled(selected);
    batchPrint->setVisible(model_.batchPdfOffered());
}

} // namespace dilato
