// PDFPrinter: text cells and JPEG images.
#include "report/PdfPrinter.h"

#include "platform/TextFile.h"

#include <algorithm>
#include <cctype>

namespace dilato {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// A link the viewer can follow: a scheme with "://", or a mail address.
bool UsableUrl(const std::string& url) {
    return url.find("://") != std::string::npos || Lower(url).starts_with("mailto:");
}

} // namespace

void PDFPrinter::PDFCell(double width, double height, std::string_view text) {
    if (fontIndex_ == 0) registerFont(fontBase_);
    if (width <= 0) width = PDFGetPageWidth() - right_ - x_;
    const double room = width - 2 * cellMargin_;

    // break at explicit line ends, then between words wherever the next word would not fit
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string paragraph(text.substr(start, end - start));
        if (!paragraph.empty() && paragraph.back() == '\r') paragraph.pop_back();
        std::string current;
        size_t w = 0;
        while (w < paragraph.size()) {
            const size_t next = paragraph.find(' ', w);
            const std::string word =
                paragraph.substr(w, next == std::string::npos ? std::string::npos : next - w);
            const std::string candidate = current.empty() ? word : current + " " + word;
            if (!current.empty() && PDFGetStringWidth(candidate) > room) {
                lines.push_back(current);
                current = word;
            } else {
                current = candidate;
            }
            if (next == std::string::npos) break;
            w = next + 1;
        }
        lines.push_back(current);
        start = end + 1;
    }

    const double x = x_;
    double y = y_;
    const double savedX = x_, savedY = y_;
    for (const std::string& line : lines) {
        const bool outline = border_ == "1";
        if (fill_ || outline) {
            const std::string rect = px(x) + " " + py(y + height) + " " + PdfNumber(width * k_) +
                                     " " + PdfNumber(height * k_) + " re";
            if (fill_) {
                put("q " + ColourComponents(fillColour_) + " rg");
                put(rect + (outline ? std::string(" ") + PdfNumber(lineWidthPt_) + " w B"
                                    : std::string(" f")));
                put("Q");
            } else {
                put(rect + " " + PdfNumber(lineWidthPt_) + " w S");
            }
        }
        if (!outline) {
            if (border_.find('L') != std::string::npos) PDFDrawLine(x, y, x, y + height);
            if (border_.find('T') != std::string::npos) PDFDrawLine(x, y, x + width, y);
            if (border_.find('R') != std::string::npos)
                PDFDrawLine(x + width, y, x + width, y + height);
            if (border_.find('B') != std::string::npos)
                PDFDrawLine(x, y + height, x + width, y + height);
        }
        if (!line.empty()) {
            const double textWidth = PDFGetStringWidth(line);
            double tx = x + cellMargin_; // left and justified
            if (align_ == 0)
                tx = x + (width - textWidth) / 2;
            else if (align_ == 2)
                tx = x + width - cellMargin_ - textWidth;
            // baseline a little below the middle of the cell, as capitals centre there
            const double ty = y + height / 2 + 0.3 * PDFTextHeight();
            writeText(line, tx, ty);
        }
        y += height;
    }
    if (lines.size() > 1) {
        x_ = savedX;
        y_ = y;
    } else {
        x_ = savedX + width;
        y_ = savedY;
    }
}

const PDFPrinter::Image* PDFPrinter::loadImage(const std::string& file) {
    for (const Image& img : images_)
        if (img.file == file) return &img;
    auto bytes = ReadFileBytes(file);
    if (!bytes) throw FileError("File not found: " + file);
    const JpegScan scan = ScanJpeg(*bytes);
    if (const auto* bad = std::get_if<JpegRejection>(&scan)) {
        switch (bad->fault) {
        case JpegFault::BadStartOrEnd:
            complain("Fichier Image - ",
                     "Marqueur de début JPEG ou marqueur de fin JPEG non valide.");
            break;
        case JpegFault::BadDensityUnit:
            complain("Fichier Image - ", "Erreur de résolution d'image , l'Opcode est " +
                                             std::to_string(bad->densityUnit) +
                                             " Les Opcodes valides sont  0, 1, 2.");
            break;
        case JpegFault::NoFrameHeader:
            complain(
                "Fichier Image - ",
                "Format d'image non supportée.\nImpossible d'inclure l'image dans le fichier PDF.");
            break;
        }
        return nullptr;
    }
    images_.push_back(Image{file, std::get<JpegInfo>(scan), std::move(*bytes)});
    return &images_.back();
}

void PDFPrinter::PDFImage(const std::string& file, double x, double y, double width, double height,
                          const std::string& link) {
    if (!open_) throw std::runtime_error("No page is open in the PDF document");
    const size_t slash = file.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) {
        complain("Fichier Image - ", "Le fichier image " + file +
                                         " ne possède pas d'extension.\nImpossible d'inclure "
                                         "l'image dans le fichier PDF.");
        return;
    }
    const std::string ext = Lower(name.substr(dot + 1));
    if (ext != "jpg" && ext != "jpeg") {
        complain("Fichier Image - ", "Seule les images de types JPG sont supportées.\nImpossible "
                                     "d'inclure l'image dans le fichier PDF.");
        return;
    }
    const Image* img = loadImage(file);
    if (!img) return;
    const int index = static_cast<int>(img - images_.data()) + 1;

    if (width <= 0 && height <= 0) {
        const double dpiX = img->info.dpiX > 0 ? img->info.dpiX : 72.0;
        const double dpiY = img->info.dpiY > 0 ? img->info.dpiY : 72.0;
        width = img->info.width * 72.0 / dpiX / k_;
        height = img->info.height * 72.0 / dpiY / k_;
    } else if (width <= 0) {
        width = height * img->info.width / img->info.height;
    } else if (height <= 0) {
        height = width * img->info.height / img->info.width;
    }
    imageW_ = width;
    imageH_ = height;
    put("q " + PdfNumber(width * k_) + " 0 0 " + PdfNumber(height * k_) + " " + px(x) + " " +
        py(y + height) + " cm /ImgJPEG" + std::to_string(index) + " Do Q");

    if (link.empty()) return;
    if (!UsableUrl(link)) {
        complain("Lien URL Fichier Image - ", "URL objet image non valide : " + link +
                                                  ".\nImpossible d'inclure le lien dans l'image.");
        return;
    }
    PDFLink(x, y, width, height, link);
}

} // namespace dilato
