// PDFPrinter: the document and drawing settings, with the reports of bad arguments.
#include "report/PdfPrinter.h"

#include "platform/Files.h"
#include "platform/TextFile.h"

#include <cmath>

namespace dilato {

namespace {

struct Format {
    double width, height; // points, portrait
};
constexpr Format kFormats[] = {
    {595.28, 841.89}, {841.89, 1190.55}, {420.94, 595.28}, {612, 792}, {612, 1008}};

std::string Num(double v) {
    // a value in a message as the operator typed it: whole numbers without decimals
    if (v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(static_cast<long long>(v));
    return PdfNumber(v);
}

} // namespace

PDFPrinter::PDFPrinter(Operator& op, const Clock& clock) : op_(op), clock_(clock) {
    PDFInit();
}

void PDFPrinter::complain(std::string_view title, const std::string& text) {
    op_.show(Message{text, "PDF Writer" + std::string(title), MessageIcon::Critical});
}

void PDFPrinter::PDFInit() {
    out_.reset();
    fileName_.clear();
    unit_ = 2;
    k_ = 72.0 / 2.54;
    formatW_ = kFormats[pdfformat::A4].width;
    formatH_ = kFormats[pdfformat::A4].height;
    portrait_ = true;
    pageW_ = formatW_;
    pageH_ = formatH_;
    left_ = right_ = top_ = bottom_ = cellMargin_ = 1;
    zoomMode_ = 0;
    layoutMode_ = 3;
    viewerPrefs_.clear();
    outlines_ = thumbs_ = confirm_ = view_ = false;
    watermark_.clear();
    title_.clear();
    subject_.clear();
    author_.clear();
    keywords_.clear();
    producer_ = creator_ = "Dilato";
    x_ = y_ = 0;
    lineWidthPt_ = 0.567;
    dash_.clear();
    drawMode_ = 0;
    textColour_ = lineColour_ = fillColour_ = Rgb{0, 0, 0};
    fontBase_ = "Helvetica";
    fontIndex_ = 0;
    fontSize_ = 12;
    align_ = 1;
    border_.clear();
    fill_ = false;
    rotation_ = 0;
    imageW_ = imageH_ = 0;
    objects_ = page_ = 0;
    open_ = false;
    content_.clear();
    current_ = Page{};
    pages_.clear();
    fonts_.clear();
    images_.clear();
    bookmarks_.clear();
    metrics_.clear();
}

void PDFPrinter::PDFPathConfiguration(std::string folder) {
    configFolder_ = std::move(folder);
}

void PDFPrinter::PDFSetViewerPreferences(std::string digits) {
    viewerPrefs_ = std::move(digits);
}

void PDFPrinter::PDFFiligran(std::string watermark) {
    watermark_ = std::move(watermark);
}

void PDFPrinter::PDFSetZoomMode(int mode) {
    if (mode < 0) {
        complain("Zoom Mode - ", "Zoom mode is incorrect : " + Num(mode) +
                                     ".\nThe Zoom used will be the full page Zoom ");
        mode = 0;
    }
    zoomMode_ = mode;
}

void PDFPrinter::PDFSetLayoutMode(int mode) {
    if (mode < 0 || mode > 3) {
        complain("Layout Mode - ", "Layout incorrect : " + Num(mode) +
                                       ".\nThe Layout used will be the simple Layout.");
        mode = 0;
    }
    layoutMode_ = mode;
}

void PDFPrinter::PDFSetUnit(int unit) {
    if (unit < 0 || unit > 2) {
        complain("Code Unité de Mesure - ", "Incorrect unit of measure : " + Num(unit) +
                                                ".\nThe measuring units will be centimeters.");
        unit = 2;
    }
    unit_ = unit;
    k_ = unit == 0 ? 1.0 : unit == 1 ? 72.0 / 25.4 : 72.0 / 2.54;
}

std::string PDFPrinter::PDFGetUnit() const {
    return unit_ == 0 ? "pt" : unit_ == 1 ? "mm" : "cm";
}

void PDFPrinter::PDFOrientation(int code) {
    if (code != 0 && code != 1) {
        complain("Page Orientation Type - ",
                 "Code orientation for page is incorrect : " + Num(code) +
                     ".\nThe orientation of the page will be portrait mode.");
        code = 1;
    }
    portrait_ = code == 1;
    pageW_ = portrait_ ? formatW_ : formatH_;
    pageH_ = portrait_ ? formatH_ : formatW_;
}

void PDFPrinter::PDFFormatPage(int format) {
    if (format < 0 || format > 4) {
        complain("Page Format - ", "Format of page is incorrect : " + Num(format) +
                                       ".\nThe page will be formatted in A4 format.");
        format = pdfformat::A4;
    }
    formatW_ = kFormats[format].width;
    formatH_ = kFormats[format].height;
    PDFOrientation(portrait_ ? 1 : 0);
}

void PDFPrinter::PDFFormatPage(double width, double height) {
    if (!(width > 0) || !(height > 0) || !std::isfinite(width) || !std::isfinite(height)) {
        complain("Page Format - ", "Format of page is incorrect : " + Num(width) + " x " +
                                       Num(height) + ".\nThe page will be formatted in A4 format.");
        PDFFormatPage(pdfformat::A4);
        return;
    }
    // a custom size is given as it stands on the page, width first
    formatW_ = std::min(width, height) * k_;
    formatH_ = std::max(width, height) * k_;
    portrait_ = height >= width;
    PDFOrientation(portrait_ ? 1 : 0);
}

void PDFPrinter::PDFPageWidth(double width) {
    if (width > 0 && std::isfinite(width)) pageW_ = width * k_;
}

void PDFPrinter::PDFPageHeight(double height) {
    if (height > 0 && std::isfinite(height)) pageH_ = height * k_;
}

void PDFPrinter::PDFSetMargins(double left, double top, double right, double bottom) {
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
}

void PDFPrinter::PDFfileName(const std::string& path) {
    out_.reset();
    fileName_ = path;
    out_ = std::make_unique<PdfFileSink>(path);
}

void PDFPrinter::PDFSetLineStyle(int style) {
    static const char* const kDashes[] = {"", "6 3", "1 2", "6 3 1 3", "6 3 1 3 1 3"};
    if (style < 0 || style > 4) {
        complain("Line Style - ", "Line style code is incorrect : " + Num(style) +
                                      ".\nThe Line style used is solid.");
        style = 0;
    }
    dash_ = kDashes[style];
    if (open_) put(dash_.empty() ? "[] 0 d" : "[" + dash_ + " ] 0 d");
}

void PDFPrinter::PDFSetLineWidth(double width) {
    if (width >= 0 && std::isfinite(width)) lineWidthPt_ = width * k_;
}

void PDFPrinter::PDFSetDrawMode(int mode) {
    if (mode < 0 || mode > 2) {
        complain("Rectangle Object - ", "Incorrect trace code : " + Num(mode) +
                                            ".\nThe type of tracing used will be edge and filled.");
        mode = 2;
    }
    drawMode_ = mode;
}

void PDFPrinter::PDFSetFont(int family, double size, std::string_view style) {
    const bool italic = style.find('1') != std::string_view::npos;
    const bool bold = style.find('2') != std::string_view::npos;
    const std::string suffix = bold && italic ? "-BoldOblique"
                               : bold         ? "-Bold"
                               : italic       ? "-Oblique"
                                              : "";
    std::string base;
    switch (family) {
    case pdffont::Arial:
        base = "Helvetica" + suffix;
        break;
    case pdffont::Courier:
        base = "Courier" + suffix;
        break;
    case pdffont::Times:
        base = bold && italic ? "Times-BoldItalic"
               : bold         ? "Times-Bold"
               : italic       ? "Times-Italic"
                              : "Times-Roman";
        break;
    case pdffont::Symbol:
        base = "Symbol";
        break;
    case pdffont::ZapfDingbats:
        base = "ZapfDingbats";
        break;
    default:
        complain("Font Name - ", "Font name is incorrect : " + Num(family) +
                                     ".\nThe font used is New Times Roman, non-bold, non-italic.");
        base = "Times-Roman";
    }
    if (size > 0 && std::isfinite(size)) fontSize_ = size;
    registerFont(base);
}

void PDFPrinter::registerFont(const std::string& base) {
    fontBase_ = base;
    fontIndex_ = 0;
    for (size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i].baseName == base) fontIndex_ = static_cast<int>(i) + 1;
    if (fontIndex_ == 0) {
        fonts_.push_back(Font{base});
        fontIndex_ = static_cast<int>(fonts_.size());
    }
}

std::optional<Rgb> PDFPrinter::colourArgument(std::string_view html) {
    if (auto c = ParseHtmlColour(html)) return c;
    complain("HTML Color - ", "HTML color code is invalid " + std::string(html) +
                                  ".\nThe color used will be black.");
    return Rgb{0, 0, 0};
}

std::optional<Rgb> PDFPrinter::colourArgument(int red, int green, int blue) {
    const Rgb c{red, green, blue};
    if (ValidRgb(c)) return c;
    complain("HTML Color - ", "HTML color code is invalid " + Num(red) + ", " + Num(green) + ", " +
                                  Num(blue) + ".\nThe color used will be black.");
    return Rgb{0, 0, 0};
}

void PDFPrinter::PDFSetTextColor(std::string_view html) {
    textColour_ = *colourArgument(html);
}
void PDFPrinter::PDFSetTextColor(int r, int g, int b) {
    textColour_ = *colourArgument(r, g, b);
}
void PDFPrinter::PDFSetDrawColor(std::string_view html) {
    fillColour_ = *colourArgument(html);
}
void PDFPrinter::PDFSetDrawColor(int r, int g, int b) {
    fillColour_ = *colourArgument(r, g, b);
}

void PDFPrinter::PDFSetLineColor(std::string_view html) {
    lineColour_ = *colourArgument(html);
    if (open_) put(ColourComponents(lineColour_) + " RG");
}

void PDFPrinter::PDFSetLineColor(int r, int g, int b) {
    lineColour_ = *colourArgument(r, g, b);
    if (open_) put(ColourComponents(lineColour_) + " RG");
}

void PDFPrinter::PDFSetAlignment(int code) {
    if (code < 0 || code > 3) {
        complain("Code Alignment - ", "Code alignment is incorrect : " + Num(code) +
                                          ".\nThe alignment used will be left justification.");
        code = 1;
    }
    align_ = code;
}

void PDFPrinter::PDFLoadAfm(std::string folder) {
    afmFolder_ = std::move(folder);
    metrics_.clear();
}

const AfmMetrics& PDFPrinter::metricsFor(const std::string& baseName) {
    if (const auto it = metrics_.find(baseName); it != metrics_.end()) return it->second;
    const std::string folder = afmFolder_.empty() ? configFolder_ : afmFolder_;
    const std::string path = WithTrailingSeparator(folder) + baseName + ".afm";
    const auto bytes = ReadFileBytes(path);
    if (!bytes) throw FileError("File not found: " + path);
    return metrics_.emplace(baseName, AfmMetrics::Parse(*bytes)).first->second;
}

double PDFPrinter::PDFGetStringWidth(std::string_view text, std::string_view fontName,
                                     double size) {
    const std::string base = fontName.empty() ? fontBase_ : std::string(fontName);
    const double points = size > 0 ? size : fontSize_;
    const AfmMetrics& m = metricsFor(base);
    return static_cast<double>(m.textWidth(ToWinAnsi(text))) * points / 1000.0 / k_;
}

} // namespace dilato
