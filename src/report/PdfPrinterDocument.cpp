// PDFPrinter: the document's life and its file layout: header and information dictionary,
// one content stream and length object per page as it ends, then the shared objects, the
// catalog, the cross-reference table and the trailer.
#include "report/PdfPrinter.h"

#include "platform/Format.h"

#include <QDateTime>

#include <cstdio>

namespace dilato {

namespace {

constexpr const char* kEol = "\r\n";

std::string Ref(int object) {
    return std::to_string(object) + " 0 R";
}

// Joins lines into one object text, each line ended by CR LF.
std::string Lines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& l : lines)
        out += l + kEol;
    return out;
}

std::string TenDigits(long long offset) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%010lld", offset);
    return buf;
}

// A zoom factor without superfluous zeros ("1.5", "0.75", "2").
std::string ZoomFactor(int percent) {
    std::string text = FormatFixed(percent / 100.0, 2);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

} // namespace

void PDFPrinter::PDFBeginDoc() {
    if (!out_) throw std::runtime_error("No file name was given for the PDF document");
    objects_ = 0;
    page_ = 0;
    open_ = false;
    content_.clear();
    pages_.clear();
    fonts_.clear();
    images_.clear();
    bookmarks_.clear();
    fontIndex_ = 0;

    out_->line("%PDF-1.3");
    const std::string created = clock_.now().toString("yyyyMMddHHmmss").toStdString();
    objects_ = 1;
    out_->object(
        1, Lines({"1 0 obj", "<<", "/Producer (" + PdfLiteral(producer_) + ")",
                  "/Author (" + PdfLiteral(author_) + ")", "/CreationDate (D:" + created + ")",
                  "/Creator (" + PdfLiteral(creator_) + ")",
                  "/Keywords (" + PdfLiteral(keywords_) + ")",
                  "/Subject (" + PdfLiteral(subject_) + ")", "/Title (" + PdfLiteral(title_) + ")",
                  "/ModDate ()", ">>", "endobj"}));
    openPage();
}

void PDFPrinter::openPage() {
    ++page_;
    open_ = true;
    content_.clear();
    current_ = Page{};
    current_.contentObject = objects_ + 1;
    // a new page starts with the stroke settings the document is drawing with
    if (lineColour_ != Rgb{0, 0, 0}) put(ColourComponents(lineColour_) + " RG");
    if (!dash_.empty()) put("[" + dash_ + " ] 0 d");
}

void PDFPrinter::PDFNewPage() {
    if (!out_) throw std::runtime_error("No file name was given for the PDF document");
    if (open_) closePage();
    openPage();
}

void PDFPrinter::PDFEndPage() {
    if (open_) closePage();
}

void PDFPrinter::drawWatermark() {
    const std::string savedBase = fontBase_;
    const int savedIndex = fontIndex_;
    const double savedSize = fontSize_, savedRotation = rotation_;
    const Rgb savedColour = textColour_;
    PDFSetFont(pdffont::Arial, 50, "2");
    textColour_ = Rgb{217, 217, 217};
    rotation_ = 45;
    // across the page from the lower left, about centred without needing the metrics
    const double w = PDFGetPageWidth(), h = PDFGetPageHeight();
    writeText(watermark_, w * 0.2, h * 0.8);
    fontBase_ = savedBase;
    fontIndex_ = savedIndex;
    fontSize_ = savedSize;
    rotation_ = savedRotation;
    textColour_ = savedColour;
}

void PDFPrinter::closePage() {
    if (!watermark_.empty()) drawWatermark();
    std::string body;
    for (size_t i = 0; i < content_.size(); ++i) {
        if (i) body += kEol;
        body += content_[i];
    }
    const int n = current_.contentObject;
    out_->object(n, std::to_string(n) + " 0 obj" + kEol + "<< /Length " + Ref(n + 1) + " >>" +
                        kEol + "stream" + kEol + body + kEol + "endstream" + kEol + "endobj" +
                        kEol);
    out_->object(n + 1,
                 Lines({std::to_string(n + 1) + " 0 obj", std::to_string(body.size()), "endobj"}));
    objects_ = n + 1;
    current_.width = pageW_;
    current_.height = pageH_;
    pages_.push_back(std::move(current_));
    current_ = Page{};
    content_.clear();
    open_ = false;
}

void PDFPrinter::PDFEndDoc() {
    if (!out_) throw std::runtime_error("No file name was given for the PDF document");
    if (open_) closePage();
    if (pages_.empty()) throw std::runtime_error("The PDF document has no page");
    writeTrailerObjects();
    out_->commit();
    out_.reset();
    if (confirm_)
        op_.show(Message{"Fichier PDF généré.",
                         "PDF Writer" + std::string("Génération du Fichier PDF - "),
                         MessageIcon::Information});
}

void PDFPrinter::writeTrailerObjects() {
    const int firstFont = objects_ + 1;
    const int pagesObject = firstFont + static_cast<int>(fonts_.size());
    const int resources = pagesObject + 1;
    const int firstImage = resources + 1;
    const int firstPage = firstImage + static_cast<int>(images_.size());
    const int afterPages = firstPage + static_cast<int>(pages_.size());
    // an outline tree only when there is something in it, so that the catalog never points
    // at an object that does not exist
    const bool withOutlines = outlines_ && !bookmarks_.empty();
    const int outlineRoot = afterPages;
    const int catalog =
        withOutlines ? outlineRoot + 1 + static_cast<int>(bookmarks_.size()) : afterPages;
    auto head = [](int n) { return std::to_string(n) + " 0 obj"; };

    for (size_t i = 0; i < fonts_.size(); ++i) {
        const int n = firstFont + static_cast<int>(i);
        const std::string& base = fonts_[i].baseName;
        // the symbol fonts keep their own encoding: WinAnsi would remap their glyphs
        const bool symbolic = base == "Symbol" || base == "ZapfDingbats";
        std::string body = head(n) + kEol + "<< /Type /Font" + kEol + "/Subtype /Type1" + kEol +
                           "/Name /F" + std::to_string(i + 1) + kEol + "/BaseFont /" + base + kEol;
        if (!symbolic) body += std::string("/Encoding /WinAnsiEncoding") + kEol;
        body += std::string(">>") + kEol + "endobj" + kEol;
        out_->object(n, body);
    }

    std::string kids;
    for (size_t i = 0; i < pages_.size(); ++i)
        kids += (i ? " " : "") + Ref(firstPage + static_cast<int>(i));
    out_->object(pagesObject, Lines({head(pagesObject), "<< /Type /Pages", "/Kids [" + kids + "]",
                                     "/Count " + std::to_string(pages_.size()), ">>", "endobj"}));

    std::string xobjects, fonts;
    for (size_t i = 0; i < images_.size(); ++i)
        xobjects +=
            "/ImgJPEG" + std::to_string(i + 1) + " " + Ref(firstImage + static_cast<int>(i)) + " ";
    for (size_t i = 0; i < fonts_.size(); ++i)
        fonts += "/F" + std::to_string(i + 1) + " " + Ref(firstFont + static_cast<int>(i)) + " ";
    std::string res = head(resources) + kEol + "<< /ProcSet [ /PDF /Text /ImageC]" + kEol;
    if (!images_.empty()) res += "/XObject << " + xobjects + ">>" + kEol;
    res += "/Font << " + fonts + ">>" + kEol + ">>" + kEol + "endobj" + kEol;
    out_->object(resources, res);

    for (size_t i = 0; i < images_.size(); ++i) {
        const Image& img = images_[i];
        const int n = firstImage + static_cast<int>(i);
        std::string body =
            Lines({head(n), "<</Type /XObject", "/Subtype /Image", "/Filter [/DCTDecode ]",
                   "/Width " + std::to_string(img.info.width),
                   "/Height " + std::to_string(img.info.height),
                   "/ColorSpace /" + ColourSpaceName(img.info.colourSpace),
                   "/BitsPerComponent " + std::to_string(img.info.bitsPerComponent),
                   "/Length " + std::to_string(img.bytes.size()),
                   "/Name /ImgJPEG" + std::to_string(i + 1), ">>", "stream"});
        body += img.bytes + kEol + "endstream" + kEol + "endobj" + kEol;
        out_->object(n, body);
    }

    for (size_t i = 0; i < pages_.size(); ++i) {
        const Page& p = pages_[i];
        const int n = firstPage + static_cast<int>(i);
        std::string body = head(n) + kEol + "<< /Type /Page" + kEol + "/Parent " +
                           Ref(pagesObject) + kEol + "/MediaBox [ 0 0 " + PdfNumber(p.width) + " " +
                           PdfNumber(p.height) + "]" + kEol + "/Resources " + Ref(resources) + kEol;
        if (!p.links.empty()) {
            body += "/Annots [";
            for (const Link& l : p.links)
                body += "<</Type /Annot /Subtype /Link /Rect [" + PdfNumber(l.x1) + " " +
                        PdfNumber(l.y1) + " " + PdfNumber(l.x2) + " " + PdfNumber(l.y2) +
                        "] /Border [0 0 0] /A <</S /URI /URI (" + PdfLiteral(l.url) + ")>>>>";
            body += std::string("]") + kEol;
        }
        body += "/Contents " + Ref(p.contentObject) + kEol + ">>" + kEol + "endobj" + kEol;
        out_->object(n, body);
    }

    if (withOutlines) {
        const int count = static_cast<int>(bookmarks_.size());
        out_->object(outlineRoot,
                     Lines({head(outlineRoot), "<< /Type /Outlines",
                            "/First " + Ref(outlineRoot + 1), "/Last " + Ref(outlineRoot + count),
                            "/Count " + std::to_string(count), ">>", "endobj"}));
        for (int i = 0; i < count; ++i) {
            const Bookmark& b = bookmarks_[static_cast<size_t>(i)];
            const int n = outlineRoot + 1 + i;
            std::string body = head(n) + kEol + "<< /Title (" + PdfLiteral(b.title) + ")" + kEol +
                               "/Parent " + Ref(outlineRoot) + kEol;
            if (i > 0) body += "/Prev " + Ref(n - 1) + kEol;
            if (i + 1 < count) body += "/Next " + Ref(n + 1) + kEol;
            body += "/Dest [" + Ref(firstPage + b.page - 1) + " /XYZ 0 " + PdfNumber(b.y) +
                    " null]" + kEol + ">>" + kEol + "endobj" + kEol;
            out_->object(n, body);
        }
    }

    std::string destination;
    switch (zoomMode_) {
    case 0:
        destination = "/Fit";
        break;
    case 1:
        destination = "/FitH null";
        break;
    case 2:
        destination = "/XYZ null null 1";
        break;
    default:
        destination = "/XYZ null null " + ZoomFactor(zoomMode_);
    }
    std::string cat = head(catalog) + kEol + "<< /Type /Catalog" + kEol + "/Pages " +
                      Ref(pagesObject) + kEol + "/OpenAction [" + Ref(firstPage) + " " +
                      destination + "]" + kEol;
    static const char* const kLayouts[] = {"/PageLayout /SinglePage", "/PageLayout /OneColumn",
                                           "/PageLayout /TwoColumnLeft"};
    if (layoutMode_ >= 0 && layoutMode_ <= 2) cat += std::string(kLayouts[layoutMode_]) + kEol;
    if (thumbs_) cat += std::string("/PageMode /UseThumbs") + kEol;
    if (withOutlines)
        cat += "/Outlines " + Ref(outlineRoot) + kEol + "/PageMode /UseOutlines" + kEol;
    if (!viewerPrefs_.empty()) {
        static const std::pair<char, const char*> kPrefs[] = {
            {'2', "/HideMenubar true"},  {'1', "/HideToolbar true"},
            {'3', "/HideWindowUI true"}, {'6', "/DisplayDocTitle true"},
            {'5', "/CenterWindow true"}, {'4', "/FitWindow true"}};
        std::string prefs;
        for (const auto& [digit, entry] : kPrefs)
            if (viewerPrefs_.find(digit) != std::string::npos) prefs += std::string(" ") + entry;
        cat += "/ViewerPreferences<<" + prefs + " >>" + kEol;
    }
    cat += std::string(">>") + kEol + "endobj" + kEol;
    out_->object(catalog, cat);

    const long long xref = out_->offset();
    const int size = catalog + 1;
    std::string table = std::string("xref") + kEol + "0 " + std::to_string(size) + kEol +
                        "0000000000 65535 f" + kEol;
    for (int n = 1; n < size; ++n)
        table += TenDigits(out_->offsetOf(n)) + " 00000 n" + kEol;
    table += Lines({"trailer", "<< /Size " + std::to_string(size), "/Root " + Ref(catalog),
                    "/Info 1 0 R", ">>", "startxref", std::to_string(xref), "%%EOF"});
    out_->write(table);
}

} // namespace dilato
