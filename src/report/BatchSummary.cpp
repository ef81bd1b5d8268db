#include "report/BatchSummary.h"

#include "platform/Files.h"
#include "platform/Format.h"
#include "report/EvidencePage.h"

namespace dilato {

namespace {

constexpr double kLeft = 80, kRight = 530, kTop = 50;
constexpr double kLastBaseline = 735; // above the bottom rule at 750 and its footer
constexpr double kLineStep = 13;
// Left edges of the table's columns: interval, n, mean, s, weighted mean, Birge ratio.
constexpr double kColumns[] = {80, 190, 225, 300, 370, 465};

std::string Num(double value, std::string_view pattern) { return FormatNumber(value, pattern); }

class Pages {
  public:
    Pages(PDFPrinter& pdf, std::string title) : pdf_(pdf), title_(std::move(title)) {}

    // The document's first page is open already; a later one is opened here.
    void Begin(bool newPage) {
        if (newPage) pdf_.PDFNewPage();
        pdf_.PDFSetLineStyle(0);
        pdf_.PDFSetLineWidth(1);
        pdf_.PDFDrawLine(kLeft, kTop, kRight, kTop);
        pdf_.PDFSetTextColor("#000000");
        pdf_.PDFSetFont(pdffont::Arial, 14, "2");
        pdf_.PDFTextOut(title_, kLeft, kTop + 22);
        pdf_.PDFSetLineWidth(0.5);
        pdf_.PDFDrawLine(kLeft, kTop + 30, kRight, kTop + 30);
        y_ = kTop + 36;
    }
    // Room for `lines` more lines, on a new page when this one is full.
    void Room(int lines) {
        if (y_ + lines * kLineStep <= kLastBaseline) return;
        EndReportPage(pdf_);
        Begin(true);
    }
    void Line(const std::string& text, const char* style = "", double size = 10) {
        Room(1);
        y_ += kLineStep;
        pdf_.PDFSetFont(pdffont::Arial, size, style);
        pdf_.PDFTextOut(text, kLeft, y_);
    }
    void Row(const std::vector<std::string>& cells, const char* style) {
        Room(1);
        y_ += kLineStep;
        pdf_.PDFSetFont(pdffont::Arial, 9, style);
        for (size_t c = 0; c < cells.size() && c < std::size(kColumns); ++c)
            pdf_.PDFTextOut(cells[c], kColumns[c], y_);
    }
    void Gap() { y_ += kLineStep / 2; }

  private:
    PDFPrinter& pdf_;
    std::string title_;
    double y_ = kTop;
};

} // namespace

void LayOutBatchSummary(PDFPrinter& pdf, const BatchSummary& s, const QDateTime& made) {
    Pages page(pdf, "Batch summary: " + s.material);
    page.Begin(false);
    page.Line(std::to_string(s.tests.size()) + " specimens of " + s.material + ", made " +
              FormatDateMDY(made.date()) + " " + FormatTime24(made.time()));
    for (const std::string& test : s.tests)
        page.Line("    " + test, "", 9);
    page.Gap();
    page.Row({"Interval", "n", "Mean (µ/°C)", "s (µ/°C)", "Weighted mean", "Birge ratio"}, "2");
    for (const BatchSummary::Row& r : s.rows) {
        const BatchStatistics& b = r.stats;
        page.Row({r.interval, std::to_string(b.count), Num(b.mean, "0.000"),
                  Num(b.standardDeviation, "0.000"),
                  b.weightedMean ? Num(*b.weightedMean, "0.000") : "-",
                  b.birgeRatio ? Num(*b.birgeRatio, "0.00") : "-"},
                 "");
    }
    page.Gap();
    page.Line("s: standard deviation of one specimen. The weighted mean weights each result by its",
              "", 8);
    page.Line("own expanded uncertainty U (k = 2); the Birge ratio is the spread about it against",
              "", 8);
    page.Line("those uncertainties (about 1: the specimens agree within them).", "", 8);
    EndReportPage(pdf);
}

bool WriteBatchSummaryPdf(Operator& op, const Clock& clock, const std::string& fontsFolder,
                          const std::string& path, const BatchSummary& summary,
                          std::string& error) {
    try {
        PDFPrinter pdf(op, clock);
        pdf.PDFTitle("Batch Summary");
        pdf.PDFfileName(path);
        pdf.PDFLoadAfm(WithTrailingSeparator(fontsFolder));
        pdf.PDFConfirm(false);
        pdf.PDFView(false);
        pdf.PDFFiligran("");
        pdf.PDFFormatPage(pdfformat::Letter);
        pdf.PDFOrientation(1);
        pdf.PDFSetUnit(0);
        pdf.PDFBeginDoc();
        LayOutBatchSummary(pdf, summary, clock.now());
        pdf.PDFEndDoc();
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

} // namespace dilato
