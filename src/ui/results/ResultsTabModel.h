#pragma once
// The Results tab as plain state: the store's tests filtered and sorted, the test selected
// with its results and evidence, the tests ticked for the overlay, α(T) and the batch
// statistics, and the tab's actions (open a report, its folder or its plot; export figures and
// their data). The Qt tab shows this state and forwards the operator's input; tests drive it
// without a display. Filter, selection and ticks stay when the tab is left and entered again.

#include "platform/Operator.h"
#include "report/BatchSummary.h"
#include "ui/results/ResultsPorts.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace dilato {

// Every field left empty matches all. Texts match anywhere in the field, in any case; the
// material matches whole; dates are "yyyy-mm-dd", both ends included.
struct ResultsFilter {
    std::string sample{}, material{}, operatorLogin{}, folder{};
    std::string from{}, to{};
    unsigned marks = 0; // results::mark bits a test must all carry
};

// The table's columns.
namespace column {
inline constexpr int Tick = 0, Date = 1, Sample = 2, Material = 3, Test = 4, Folder = 5,
                     Operator = 6, Cte = 7, U = 8, Marks = 9;
inline constexpr int Count = 10;
} // namespace column

[[nodiscard]] const char* ColumnTitle(int column);
// The marks of a test as the table's Flags column writes them.
[[nodiscard]] std::string MarksText(unsigned marks);

struct ResultsServices {
    ResultsSource& source;
    Operator& op;
    FileOpener& opener;
    ResultsCanvas& overlayCanvas;
    ResultsCanvas& alphaCanvas;
    // The folder exports are written to (ends in "/"), and the stamp that makes their names.
    std::function<std::string()> exportFolder;
    std::function<std::string()> stamp;
    // Writes the batch summary page as a PDF; none: the tab offers no such page.
    std::function<bool(const std::string& path, const BatchSummary&, std::string& error)>
        writeBatchPdf = {};
};

class ResultsTabModel {
  public:
    explicit ResultsTabModel(const ResultsServices& services) : s_(services) {}

    // Where a test's raw data file goes to be plotted (the Plotting tab).
    void setShowPlot(std::function<void(const std::string&)> show) { showPlot_ = std::move(show); }
    // Where certified curves come from (none by default).
    void setReferenceCurves(ReferenceCurveSource source) { reference_ = std::move(source); }
    // Where a stored test's measured system correction comes from (none by default: every test
    // is drawn with the fixed fixture correction).
    void setTestCorrections(TestCorrectionSource source) { corrections_ = std::move(source); }

    // The entry step: reads the store's tests again; filter, ticks and selection are kept
    // where their tests are still there. A store that cannot be read is told once.
    void Enter();

    // The table.
    void SetFilter(const ResultsFilter& filter);
    [[nodiscard]] const ResultsFilter& filter() const { return filter_; }
    void SortBy(int column, bool ascending);
    [[nodiscard]] int sortColumn() const { return sortColumn_; }
    [[nodiscard]] bool sortAscending() const { return ascending_; }
    [[nodiscard]] int rows() const { return static_cast<int>(shown_.size()); }
    [[nodiscard]] int total() const { return static_cast<int>(all_.size()); }
    [[nodiscard]] const results::CatalogTest& test(int row) const;
    [[nodiscard]] std::string Cell(int row, int column) const;
    [[nodiscard]] std::vector<std::string> Materials() const; // for the material filter

    // Selection (the row whose results and evidence are shown).
    void Select(int row);
    [[nodiscard]] int selectedRow() const; // -1: none shown
    [[nodiscard]] const std::string& selectedUid() const { return selected_; }
    [[nodiscard]] const results::CatalogDetail* selectedDetail();
    // The selected test's results and evidence, line by line.
    [[nodiscard]] std::vector<std::string> DetailLines();

    // Ticks (tests laid over each other), in the order they were ticked.
    void Tick(int row, bool on);
    [[nodiscard]] bool ticked(int row) const;
    [[nodiscard]] const std::vector<std::string>& tickedUids() const { return ticked_; }
    void ClearTicks();

    // Figures of the ticked tests (of the selected one when none is ticked).
    [[nodiscard]] OverlayFigure Overlay();
    [[nodiscard]] AlphaFigure Alpha();
    [[nodiscard]] BatchTable Batch();
    void DrawOverlay();
    void DrawAlpha();

    // Actions on the selected test; false (the operator told why) when nothing opened.
    bool OpenReport();
    bool OpenFolder();
    bool OpenPlot();

    // Exports to the export folder; the path written, empty when nothing was (told why).
    std::string ExportOverlayImage(ImageFormat format);
    std::string ExportOverlayCsv();
    std::string ExportAlphaImage(ImageFormat format);
    std::string ExportAlphaCsv();
    std::string ExportBatchCsv();
    std::string ExportBatchPdf();
    [[nodiscard]] bool batchPdfOffered() const { return static_cast<bool>(s_.writeBatchPdf); }
    [[nodiscard]] const std::string& lastExport() const { return lastExport_; }

  private:
    void Refilter();
    [[nodiscard]] bool Matches(size_t index) const;
    [[nodiscard]] const results::CatalogTest* Find(const std::string& uid) const;
    const results::CatalogDetail& DetailOf(const std::string& uid);
    const std::vector<results::CatalogReading>& ReadingsOf(const std::string& uid);
    // The measured correction the test's results used; nullptr for the fixed one.
    const ColumnCorrection* CorrectionOf(const results::CatalogTest& test);
    [[nodiscard]] std::vector<std::string> FigureUids() const;
    [[nodiscard]] unsigned ColourOf(const std::string& uid) const;
    // The certified curve over lo..hi when every test shown is of the one material it certifies.
    [[nodiscard]] std::optional<ReferenceCurve> CertifiedFor(double lo, double hi) const;
    // Writes the export folder's file `name` with `write`; the path, or empty (told why).
    using FileWriter = std::function<bool(const std::string& path, std::string& error)>;
    std::string WriteExport(const std::string& name, const FileWriter& write);
    std::string WriteText(const std::string& name, const std::string& text);
    std::string ExportImage(ResultsCanvas& canvas, const std::string& name, ImageFormat format);
    bool OpenPath(const std::string& path, const std::string& what);
    void Tell(const std::string& text, MessageIcon icon = MessageIcon::Exclamation);

    ResultsServices s_;
    std::function<void(const std::string&)> showPlot_;
    ReferenceCurveSource reference_;
    TestCorrectionSource corrections_;
    std::vector<results::CatalogTest> all_;
    // Lower-cased sample ID, operator and folder of every test, for the filter.
    std::vector<std::string> sampleKeys_, operatorKeys_, folderKeys_;
    std::map<std::string, size_t> byUid_;
    std::vector<size_t> shown_;
    ResultsFilter filter_;
    std::string sampleKey_, operatorKey_, folderKey_;
    int sortColumn_ = column::Date;
    bool ascending_ = false;
    std::string selected_;
    std::vector<std::string> ticked_;
    std::map<std::string, int> colourOf_; // a test keeps its colour while ticked
    int nextColour_ = 0;
    std::map<std::string, results::CatalogDetail> details_;
    std::map<std::string, std::vector<results::CatalogReading>> readings_;
    std::map<std::string, std::optional<ColumnCorrection>> correctionOf_;
    std::string lastExport_;
    bool storeFailureTold_ = false;
};

} // namespace dilato
