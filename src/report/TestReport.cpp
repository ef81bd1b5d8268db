#include "report/TestReport.h"

#include "platform/Files.h"
#include "platform/Format.h"
#include "report/EvidencePage.h"
#include "report/PdfPrinter.h"

#include <stdexcept>

namespace dilato {

namespace {

constexpr const char* kRuleText = "==================================";

} // namespace

TestReport::TestReport(Operator& op, const Clock& clock, LogSink& log, RemoteFileCopier& remote,
                       const SystemParameters& params, ReportFolders folders)
    : op_(op), clock_(clock), log_(log), remote_(remote), params_(params),
      folders_(std::move(folders)) {}

std::string TestReport::LogoFile(const std::string& dataPath) const {
    const std::string own = WithTrailingSeparator(dataPath) + "PDFlogo.jpg";
    return IsFile(own) ? own : WithTrailingSeparator(folders_.sysFolder) + "Logosml.jpg";
}

void TestReport::WritePDF(const ReportLineList& list, const std::string& dataPath) {
    const std::string file = list.lines.empty() ? std::string() : list.lines.front();
    try {
        if (list.lines.empty()) throw std::invalid_argument("The report line list is empty");
        layOut(list, dataPath);
        remote_.WriteRemoteDataFile(file);
    } catch (const std::exception& e) {
        const std::string description = e.what();
        op_.show(Message{"Error in WritePDF: " + description + " for file " + file, kProgramTitle,
                         MessageIcon::Exclamation});
        log_.ErrorLog("Write PDF Error:" + description + " for file " + file);
    }
}

void TestReport::layOut(const ReportLineList& list, const std::string& dataPath) {
    PDFPrinter pdf(op_, clock_);
    pdf.PDFTitle("Test PDF File");
    pdf.PDFfileName(list.pdfPath());
    pdf.PDFLoadAfm(WithTrailingSeparator(folders_.appFolder) + "Fonts");
    pdf.PDFConfirm(false);
    pdf.PDFView(false);
    pdf.PDFFiligran("");
    pdf.PDFSetViewerPreferences("21");
    pdf.PDFFormatPage(pdfformat::Letter);
    pdf.PDFOrientation(1);
    pdf.PDFSetUnit(0);
    pdf.PDFSetZoomMode(1);
    pdf.PDFSetLayoutMode(3);
    pdf.PDFUseOutlines(true);
    pdf.PDFUseThumbs(false);
    pdf.PDFBeginDoc();

    // top rule and logo
    pdf.PDFSetLineStyle(0);
    pdf.PDFSetLineWidth(1);
    pdf.PDFDrawLine(80, 50, 530, 50);
    pdf.PDFImage(LogoFile(dataPath), 80, 60, 350, 80);

    // title box: a rule, then a double frame
    pdf.PDFDrawLine(80, 150, 530, 150);
    pdf.PDFSetDrawColor("#FFFFFF");
    pdf.PDFSetTextColor("#000000");
    pdf.PDFSetAlignment(0);
    pdf.PDFSetBorder("1");
    pdf.PDFSetFill(true);
    for (const double inset : {0.0, 3.0}) {
        const double l = 80 + inset, r = 530 - inset, t = 165 + inset, b = 240 - inset;
        pdf.PDFDrawLine(l, t, r, t);
        pdf.PDFDrawLine(l, t, l, b);
        pdf.PDFDrawLine(r, t, r, b);
        pdf.PDFDrawLine(l, b, r, b);
    }

    pdf.PDFSetFont(pdffont::Arial, 16, "2");
    pdf.PDFTextOut("Norvane CTE Tester " + params_.SysParam(slot::TesterModel).text() +
                       " Test Report",
                   80 + 63, 188);
    pdf.PDFSetFont(pdffont::Arial, 12, "");
    pdf.PDFTextOut("(CTE property measurement per ASTM D696)", 175, 208);
    pdf.PDFTextOut(kMakerWebAddress, 245, 228);

    const QDateTime now = clock_.now();
    pdf.PDFTextOut(kRuleText, 80, 258);
    pdf.PDFTextOut("Date / Time = " + FormatDateMDY(now.date()) + " / " + FormatTime24(now.time()),
                   80, 268);
    pdf.PDFTextOut(kRuleText, 80, 278);

    // the body, one line every 15 points, on this one page whatever its length
    double y = 278;
    for (size_t i = 1; i < list.lines.size(); ++i) {
        y += 15;
        pdf.PDFTextOut(list.lines[i], 80, y);
    }
    y += 15;
    pdf.PDFTextOut(kRuleText, 80, y);

    EndReportPage(pdf);
    if (list.evidence) LayOutEvidencePages(pdf, *list.evidence);
    pdf.PDFEndDoc();
}

} // namespace dilato
