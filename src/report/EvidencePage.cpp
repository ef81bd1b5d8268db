#include "report/EvidencePage.h"

#include "storage/EvidenceSection.h"

namespace dilato {

namespace {

constexpr double kLeft = 80, kRight = 530;
constexpr double kTop = 50;
constexpr double kLastBaseline = 735; // above the bottom rule at 750 and its footer
constexpr double kLineStep = 11;      // 9-point text
constexpr double kGroupGap = 8;
constexpr double kTextSize = 9;

class PageWriter {
  public:
    explicit PageWriter(PDFPrinter& pdf) : pdf_(pdf) {}

    void Begin() {
        pdf_.PDFNewPage();
        pdf_.PDFSetLineStyle(0);
        pdf_.PDFSetLineWidth(1);
        pdf_.PDFDrawLine(kLeft, kTop, kRight, kTop);
        pdf_.PDFSetTextColor("#000000");
        pdf_.PDFSetFont(pdffont::Arial, 14, "2");
        pdf_.PDFTextOut("Evidence behind the results", kLeft, kTop + 22);
        pdf_.PDFSetLineWidth(0.5);
        pdf_.PDFDrawLine(kLeft, kTop + 30, kRight, kTop + 30);
        y_ = kTop + 34;
    }

    void Heading(const std::string& text) {
        Room(kGroupGap + 2 * kLineStep);
        y_ += kGroupGap + kLineStep;
        pdf_.PDFSetFont(pdffont::Arial, 10, "2");
        pdf_.PDFTextOut(text, kLeft, y_);
    }

    void Line(const std::string& text) {
        Room(kLineStep);
        y_ += kLineStep;
        pdf_.PDFSetFont(pdffont::Arial, kTextSize, "");
        pdf_.PDFTextOut(Fit(text), kLeft, y_);
    }

  private:
    // A new page when `height` more would reach past the last baseline.
    void Room(double height) {
        if (y_ + height <= kLastBaseline) return;
        EndReportPage(pdf_);
        Begin();
    }

    // A line too wide for the column is cut with "..." rather than run past the margin.
    std::string Fit(const std::string& text) {
        const double width = kRight - kLeft;
        if (pdf_.PDFGetStringWidth(text, "", kTextSize) <= width) return text;
        std::string cut = text;
        while (!cut.empty() && pdf_.PDFGetStringWidth(cut + "...", "", kTextSize) > width)
            cut.pop_back();
        // never leave half of a two-byte character behind
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80)
            cut.pop_back();
        if (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0xC0) cut.pop_back();
        return cut + "...";
    }

    PDFPrinter& pdf_;
    double y_ = kTop;
};

} // namespace

void EndReportPage(PDFPrinter& pdf) {
    pdf.PDFSetLineStyle(0);
    pdf.PDFSetLineWidth(1);
    pdf.PDFDrawLine(80, 750, 530, 750);

    // footer: the page number ends at the centre of the page
    pdf.PDFSetFont(pdffont::Arial, 8, "1");
    pdf.PDFSetTextColor("#000000");
    const std::string footer = "Page " + std::to_string(pdf.PDFPageNumber());
    pdf.PDFTextOut(footer, pdf.PDFGetPageWidth() / 2 - pdf.PDFGetStringWidth(footer, "", 8),
                   pdf.PDFGetPageHeight() - pdf.PDFTextHeight());

    pdf.PDFEndPage();
}

void LayOutEvidencePages(PDFPrinter& pdf, const TestEvidence& evidence) {
    PageWriter page(pdf);
    page.Begin();
    for (const EvidenceGroup& group : EvidencePageGroups(evidence)) {
        page.Heading(group.heading);
        if (group.lines.empty()) page.Line("(none)");
        for (const std::string& line : group.lines)
            page.Line(line);
    }
    EndReportPage(pdf);
}

} // namespace dilato
