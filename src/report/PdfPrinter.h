#pragma once
// PDFPrinter: a writer of simple PDF 1.3 documents: pages of text in the fourteen standard
// Type 1 fonts, lines and closed shapes, embedded JPEG images, links, bookmarks and the
// document properties. The file is written while the document is built: each page's content
// as soon as the page ends, the shared objects (fonts, pages, resources, images, page
// objects, outlines, catalog, cross-reference) at the end.
//
// Measures are in user units (PDFSetUnit), x from the left and y from the top edge of the
// page. Bad arguments are reported in a message box whose title begins with "PDF Writer" and
// replaced by a default, so the document goes on; failures of the file system or of a
// missing metrics file are thrown to the caller.

#include "platform/Clock.h"
#include "platform/Operator.h"
#include "report/AfmMetrics.h"
#include "report/JpegInfo.h"
#include "report/PdfFileSink.h"
#include "report/PdfText.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dilato {

// Font families of PDFSetFont.
namespace pdffont {
inline constexpr int Arial = 0; // Helvetica
inline constexpr int Courier = 1;
inline constexpr int Times = 2;
inline constexpr int Symbol = 3;
inline constexpr int ZapfDingbats = 4;
} // namespace pdffont

// Page formats of PDFFormatPage.
namespace pdfformat {
inline constexpr int A4 = 0, A3 = 1, A5 = 2, Letter = 3, Legal = 4;
}

class PDFPrinter {
  public:
    PDFPrinter(Operator& op, const Clock& clock);

    // ---- document settings
    void PDFPathConfiguration(std::string folder); // where the .afm files are when
                                                   // PDFLoadAfm names no folder
    void PDFSetViewerPreferences(std::string digits);
    void PDFFiligran(std::string watermark);
    void PDFSetZoomMode(int mode); // 0 full page, 1 full width, 2 actual size, else percent
    [[nodiscard]] int PDFGetZoomMode() const { return zoomMode_; }
    void PDFUseThumbs(bool on) { thumbs_ = on; }
    void PDFUseOutlines(bool on) { outlines_ = on; }
    void PDFSetLayoutMode(int mode); // 0 single page, 1 one column, 2 two columns, 3 none
    [[nodiscard]] int PDFGetLayoutMode() const { return layoutMode_; }
    void PDFSetUnit(int unit); // 0 point, 1 millimetre, 2 centimetre
    [[nodiscard]] std::string PDFGetUnit() const;
    void PDFOrientation(int code);                   // 0 landscape, 1 portrait
    void PDFFormatPage(int format);                  // pdfformat::
    void PDFFormatPage(double width, double height); // custom size in user units
    [[nodiscard]] int PDFPageNumber() const { return page_; }
    [[nodiscard]] int PDFPageCount() const {
        return static_cast<int>(pages_.size()) + (open_ ? 1 : 0);
    }

    void PDFProducer(std::string text) { producer_ = std::move(text); }
    void PDFSubject(std::string text) { subject_ = std::move(text); }
    void PDFKeywords(std::string text) { keywords_ = std::move(text); }
    void PDFCreator(std::string text) { creator_ = std::move(text); }
    void PDFAuthor(std::string text) { author_ = std::move(text); }
    void PDFTitle(std::string text) { title_ = std::move(text); }

    // Creates the output file at once (throws FileError when it cannot).
    void PDFfileName(const std::string& path);
    [[nodiscard]] const std::string& PDFGetFileName() const { return fileName_; }
    void PDFConfirm(bool on) { confirm_ = on; } // "Fichier PDF généré." when done
    // Opening the finished file in a viewer is a facility of the Windows desktop; here the
    // flag is kept but nothing is started.
    void PDFView(bool on) { view_ = on; }

    void PDFPageWidth(double width);
    void PDFPageHeight(double height);
    [[nodiscard]] double PDFGetPageWidth() const { return pageW_ / k_; }
    [[nodiscard]] double PDFGetPageHeight() const { return pageH_ / k_; }
    void PDFSetLeftMargin(double m) { left_ = m; }
    void PDFSetRightMargin(double m) { right_ = m; }
    void PDFSetTopMargin(double m) { top_ = m; }
    void PDFSetBottomMargin(double m) { bottom_ = m; }
    void PDFSetCellMargin(double m) { cellMargin_ = m; }
    void PDFSetMargins(double left, double top, double right, double bottom);
    [[nodiscard]] double PDFGetLeftMargin() const { return left_; }
    [[nodiscard]] double PDFGetRightMargin() const { return right_; }
    [[nodiscard]] double PDFGetTopMargin() const { return top_; }
    [[nodiscard]] double PDFGetBottomMargin() const { return bottom_; }
    [[nodiscard]] double PDFGetCellMargin() const { return cellMargin_; }
    [[nodiscard]] double PDFGetX() const { return x_; }
    [[nodiscard]] double PDFGetY() const { return y_; }

    // ---- drawing state
    void PDFSetLineStyle(int style); // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot
    void PDFSetLineWidth(double width);
    void PDFSetDrawMode(int mode); // closed shapes: 0 outline, 1 fill, 2 both
    // family pdffont::, size in points, style digits "1" italic, "2" bold
    void PDFSetFont(int family, double size, std::string_view style = {});
    void PDFSetTextColor(std::string_view html);
    void PDFSetTextColor(int red, int green, int blue);
    void PDFSetLineColor(std::string_view html);
    void PDFSetLineColor(int red, int green, int blue);
    void PDFSetDrawColor(std::string_view html); // fill colour of cells and closed shapes
    void PDFSetDrawColor(int red, int green, int blue);
    [[nodiscard]] Rgb PDFGetTextColor() const { return textColour_; }
    [[nodiscard]] Rgb PDFGetLineColor() const { return lineColour_; }
    [[nodiscard]] Rgb PDFGetDrawColor() const { return fillColour_; }
    void PDFSetAlignment(int code); // cells: 0 centre, 1 left, 2 right, 3 justified
    [[nodiscard]] int PDFGetAlignment() const { return align_; }
    void PDFSetBorder(std::string border) { border_ = std::move(border); } // "1" or "LTRB"
    void PDFSetFill(bool on) { fill_ = on; }
    void PDFSetRotation(double degrees) { rotation_ = degrees; }
    // The current font size in user units.
    [[nodiscard]] double PDFTextHeight() const { return fontSize_ / k_; }

    // ---- drawing operations (on the open page)
    void PDFDrawLine(double x1, double y1, double x2, double y2);
    void PDFDrawLineHor(double x, double y, double length);
    void PDFDrawLineVer(double x, double y, double length);
    void PDFDrawRectangle(double x, double y, double width, double height);
    void PDFDrawEllipse(double cx, double cy, double rx, double ry);
    void PDFDrawPolygon(const std::vector<std::pair<double, double>>& points);
    // x or y of 0 keeps the current position's.
    void PDFTextOut(std::string_view text, double x = 0, double y = 0);
    // A cell at the current position: fill and border as set, the text aligned inside and
    // wrapped onto further lines of `height` when wider than the cell; width 0 reaches the
    // right margin. Moves the position to the cell's right (or below a wrapped cell).
    void PDFCell(double width, double height, std::string_view text);
    void PDFLink(double x, double y, double width, double height, const std::string& url);
    // A JPEG at (x, y); a width or height of 0 follows from the other, or from the file's
    // resolution when both are 0. A bad file is reported and skipped; a missing one throws.
    void PDFImage(const std::string& file, double x, double y, double width = 0, double height = 0,
                  const std::string& link = {});
    // Size in user units of the last image placed.
    [[nodiscard]] double PDFImageWidth() const { return imageW_; }
    [[nodiscard]] double PDFImageHeight() const { return imageH_; }
    void PDFSetBookmark(std::string title);

    // ---- metrics
    void PDFLoadAfm(std::string folder);
    // Width in user units of the text in a font ("Helvetica-Oblique"; empty: the current
    // font) at a size in points (0: the current size). Throws when the metrics file is missing.
    [[nodiscard]] double PDFGetStringWidth(std::string_view text, std::string_view fontName = {},
                                           double size = 0);

    // ---- lifecycle
    void PDFInit();
    void PDFBeginDoc();
    void PDFNewPage();
    void PDFEndPage();
    void PDFEndDoc();

  private:
    struct Font {
        std::string baseName;
    };
    struct Image {
        std::string file;
        JpegInfo info;
        std::string bytes;
    };
    struct Link {
        double x1, y1, x2, y2; // points, PDF space
        std::string url;
    };
    struct Page {
        int contentObject = 0;
        double width = 0, height = 0; // points
        std::vector<Link> links;
    };
    struct Bookmark {
        std::string title;
        int page = 0;
        double y = 0; // points, PDF space
    };

    void complain(std::string_view title, const std::string& text);
    void put(std::string line); // a content line of the open page
    void writeText(std::string_view text, double x, double y);
    // Makes `base` the current font, adding it to the document's fonts on first use.
    void registerFont(const std::string& base);
    [[nodiscard]] std::string px(double x) const { return PdfNumber(x * k_); }
    [[nodiscard]] std::string py(double y) const { return PdfNumber(pageH_ - y * k_); }
    [[nodiscard]] std::string paintOperator() const;
    void paintClosedPath(const std::string& path);
    void openPage();
    void closePage();
    void drawWatermark();
    void writeTrailerObjects();
    std::optional<Rgb> colourArgument(std::string_view html);
    std::optional<Rgb> colourArgument(int red, int green, int blue);
    [[nodiscard]] const AfmMetrics& metricsFor(const std::string& baseName);
    [[nodiscard]] const Image* loadImage(const std::string& file);

    Operator& op_;
    const Clock& clock_;

    // settings
    double k_ = 72.0 / 2.54;
    int unit_ = 2;
    double formatW_ = 595.28, formatH_ = 841.89; // points, portrait
    bool portrait_ = true;
    double pageW_ = 595.28, pageH_ = 841.89; // points, current page
    double left_ = 1, right_ = 1, top_ = 1, bottom_ = 1, cellMargin_ = 1;
    int zoomMode_ = 0;
    int layoutMode_ = 3;
    std::string viewerPrefs_;
    bool outlines_ = false, thumbs_ = false, confirm_ = false, view_ = false;
    std::string watermark_, configFolder_, afmFolder_;
    std::string title_, subject_, author_, keywords_, creator_, producer_;

    // drawing state
    double x_ = 0, y_ = 0;
    double lineWidthPt_ = 0.567;
    std::string dash_; // empty: solid
    int drawMode_ = 0;
    Rgb textColour_{0, 0, 0}, lineColour_{0, 0, 0}, fillColour_{0, 0, 0};
    std::string fontBase_ = "Helvetica";
    int fontIndex_ = 0; // 1-based index into fonts_, 0 before any PDFSetFont
    double fontSize_ = 12;
    int align_ = 1;
    std::string border_;
    bool fill_ = false;
    double rotation_ = 0;
    double imageW_ = 0, imageH_ = 0;

    // document
    std::string fileName_;
    std::unique_ptr<PdfFileSink> out_;
    int objects_ = 0; // highest object number written
    int page_ = 0;
    bool open_ = false;
    std::vector<std::string> content_;
    Page current_;
    std::vector<Page> pages_;
    std::vector<Font> fonts_;
    std::vector<Image> images_;
    std::vector<Bookmark> bookmarks_;
    std::map<std::string, AfmMetrics, std::less<>> metrics_;
};

} // namespace dilato
