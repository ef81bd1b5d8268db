// PDFPrinter: the drawing operations, each appending content lines to the open page.
#include "report/PdfPrinter.h"

#include "platform/Format.h"

#include <cmath>
#include <numbers>

namespace dilato {

void PDFPrinter::put(std::string line) {
    if (!open_) throw std::runtime_error("No page is open in the PDF document");
    content_.push_back(std::move(line));
}

void PDFPrinter::PDFDrawLine(double x1, double y1, double x2, double y2) {
    put(px(x1) + " " + py(y1) + " m");
    put(px(x2) + " " + py(y2) + " l");
    put(PdfNumber(lineWidthPt_) + " w S");
}

void PDFPrinter::PDFDrawLineHor(double x, double y, double length) {
    PDFDrawLine(x, y, x + length, y);
}

void PDFPrinter::PDFDrawLineVer(double x, double y, double length) {
    PDFDrawLine(x, y, x, y + length);
}

std::string PDFPrinter::paintOperator() const {
    const std::string width = PdfNumber(lineWidthPt_) + " w ";
    switch (drawMode_) {
    case 0:
        return width + "S";
    case 1:
        return "f";
    default:
        return width + "B";
    }
}

// A closed shape painted by the draw mode; the fill colour applies to it alone.
void PDFPrinter::paintClosedPath(const std::string& path) {
    if (drawMode_ == 0) {
        put(path + " " + paintOperator());
        return;
    }
    put("q " + ColourComponents(fillColour_) + " rg");
    put(path + " " + paintOperator());
    put("Q");
}

void PDFPrinter::PDFDrawRectangle(double x, double y, double width, double height) {
    paintClosedPath(px(x) + " " + py(y + height) + " " + PdfNumber(width * k_) + " " +
                    PdfNumber(height * k_) + " re");
}

void PDFPrinter::PDFDrawEllipse(double cx, double cy, double rx, double ry) {
    // four Bézier quarters; 0.5523 puts the control points on the tangents
    const double c = 4.0 / 3.0 * (std::numbers::sqrt2 - 1.0);
    const double lx = c * rx, ly = c * ry;
    auto pt = [&](double x, double y) { return px(x) + " " + py(y); };
    std::string path = pt(cx + rx, cy) + " m\r\n";
    path += pt(cx + rx, cy - ly) + " " + pt(cx + lx, cy - ry) + " " + pt(cx, cy - ry) + " c\r\n";
    path += pt(cx - lx, cy - ry) + " " + pt(cx - rx, cy - ly) + " " + pt(cx - rx, cy) + " c\r\n";
    path += pt(cx - rx, cy + ly) + " " + pt(cx - lx, cy + ry) + " " + pt(cx, cy + ry) + " c\r\n";
    path += pt(cx + lx, cy + ry) + " " + pt(cx + rx, cy + ly) + " " + pt(cx + rx, cy) + " c h";
    paintClosedPath(path);
}

void PDFPrinter::PDFDrawPolygon(const std::vector<std::pair<double, double>>& points) {
    if (points.size() < 2) return;
    std::string path = px(points[0].first) + " " + py(points[0].second) + " m";
    for (size_t i = 1; i < points.size(); ++i)
        path += "\r\n" + px(points[i].first) + " " + py(points[i].second) + " l";
    paintClosedPath(path + " h");
}

void PDFPrinter::PDFTextOut(std::string_view text, double x, double y) {
    if (x != 0) x_ = x;
    if (y != 0) y_ = y;
    writeText(text, x_, y_);
}

void PDFPrinter::writeText(std::string_view text, double x, double y) {
    if (fontIndex_ == 0) registerFont(fontBase_);
    const bool coloured = textColour_ != Rgb{0, 0, 0};
    if (coloured) put("q " + ColourComponents(textColour_) + " rg");
    put("BT");
    put("/F" + std::to_string(fontIndex_) + " " + PdfNumber(fontSize_) + " Tf");
    if (rotation_ == 0) {
        put(px(x) + " " + py(y) + " Td");
    } else {
        const double a = rotation_ * std::numbers::pi / 180.0;
        const std::string c = FormatFixed(std::cos(a), 5), s = FormatFixed(std::sin(a), 5);
        put(c + " " + s + " " + FormatFixed(-std::sin(a), 5) + " " + c + " " + px(x) + " " + py(y) +
            " Tm");
    }
    std::string shown = PdfLiteral(text);
    shown.insert(0, 1, '(');
    put(shown + ") Tj");
    put("ET");
    if (coloured) put("Q");
}

void PDFPrinter::PDFLink(double x, double y, double width, double height, const std::string& url) {
    if (!open_) throw std::runtime_error("No page is open in the PDF document");
    current_.links.push_back(
        Link{x * k_, pageH_ - (y + height) * k_, (x + width) * k_, pageH_ - y * k_, url});
}

void PDFPrinter::PDFSetBookmark(std::string title) {
    if (!open_) throw std::runtime_error("No page is open in the PDF document");
    bookmarks_.push_back(Bookmark{std::move(title), page_, pageH_ - y_ * k_});
}

} // namespace dilato
