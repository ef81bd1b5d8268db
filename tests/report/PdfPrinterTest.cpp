// The PDF writer's file layout, read back from the bytes it wrote.
#include "JpegBytes.h"
#include "PdfStructure.h"

#include "platform/VirtualClock.h"
#include "report/PdfPrinter.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace dilato {
namespace {

using test::ParsePdf;
using test::PdfObject;
using test::PdfStructure;

class PdfPrinterTest : public ::testing::Test {
  protected:
    // A printer set up as the report sets it up: points, letter, portrait.
    PDFPrinter& letter(const std::string& name = "doc.pdf") {
        pdf.PDFfileName(dir.file(name));
        pdf.PDFLoadAfm(DILATO_PROGRAM_FOLDER "Fonts");
        pdf.PDFFormatPage(pdfformat::Letter);
        pdf.PDFOrientation(1);
        pdf.PDFSetUnit(0);
        return pdf;
    }
    PdfStructure finish(const std::string& name = "doc.pdf") {
        pdf.PDFEndDoc();
        return ParsePdf(dir.read(name));
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        for (const auto& m : op.messages)
            t.push_back(m.title);
        return t;
    }

    test::TempFolder dir;
    test::RecordingOperator op;
    VirtualClock clock{QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9))};
    PDFPrinter pdf{op, clock};
};

TEST_F(PdfPrinterTest, AOnePageDocumentHasItsObjectsInOrderAndEveryOffsetExact) {
    letter();
    pdf.PDFTitle("Test PDF File");
    pdf.PDFBeginDoc();
    pdf.PDFSetFont(pdffont::Arial, 12);
    pdf.PDFTextOut("hello", 80, 100);
    pdf.PDFImage(dir.write("logo.jpg", test::MakeJpeg({.width = 700, .height = 160})), 80, 60, 350,
                 80);
    const PdfStructure doc = finish();
    ASSERT_TRUE(doc.problems.empty()) << doc.problems.front();

    // 1 information, 2 page content, 3 its length, 4 font, 5 pages, 6 resources, 7 image,
    // 8 the page, 9 the catalog
    std::vector<int> order;
    for (const auto& o : doc.objects)
        order.push_back(o.number);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(doc.size, 10);
    for (const auto& o : doc.objects) {
        EXPECT_EQ(doc.xref.at(o.number), o.offset) << "object " << o.number;
        EXPECT_EQ(
            doc.bytes.substr(static_cast<size_t>(o.offset), std::to_string(o.number).size() + 6),
            std::to_string(o.number) + " 0 obj")
            << "object " << o.number;
    }
    EXPECT_EQ(doc.startxref, doc.xrefOffset);
    EXPECT_EQ(doc.bytes.substr(0, 10), "%PDF-1.3\r\n");

    EXPECT_NE(doc.object(1)->body.find("/Title (Test PDF File)\r\n"), std::string::npos);
    EXPECT_NE(doc.object(1)->body.find("/CreationDate (D:20260307140509)\r\n"), std::string::npos);
    EXPECT_EQ(doc.object(2)->body.substr(0, 19), "<< /Length 3 0 R >>");
    EXPECT_EQ(doc.object(3)->body, std::to_string(doc.streamBytes(2).size()) + "\r\n");
    EXPECT_NE(
        doc.object(4)->body.find("/Name /F1\r\n/BaseFont /Helvetica\r\n/Encoding /WinAnsiEncoding"),
        std::string::npos);
    EXPECT_NE(doc.object(5)->body.find("/Kids [8 0 R]\r\n/Count 1"), std::string::npos);
    EXPECT_NE(doc.object(6)->body.find("/XObject << /ImgJPEG1 7 0 R >>"), std::string::npos);
    EXPECT_NE(doc.object(6)->body.find("/Font << /F1 4 0 R >>"), std::string::npos);
    const std::string& img = doc.object(7)->body;
    EXPECT_NE(
        img.find("/Width 700\r\n/Height 160\r\n/ColorSpace /DeviceRGB\r\n/BitsPerComponent 8\r\n"),
        std::string::npos);
    EXPECT_EQ(doc.streamBytes(7), test::MakeJpeg({.width = 700, .height = 160}));
    EXPECT_NE(doc.object(8)->body.find("/Parent 5 0 R\r\n/MediaBox [ 0 0 612.00 792.00]\r\n"
                                       "/Resources 6 0 R\r\n/Contents 2 0 R\r\n"),
              std::string::npos);
    EXPECT_NE(doc.object(9)->body.find("/Pages 5 0 R\r\n/OpenAction [8 0 R /Fit]"),
              std::string::npos);
    EXPECT_NE(doc.bytes.find("trailer\r\n<< /Size 10\r\n/Root 9 0 R\r\n/Info 1 0 R\r\n>>"),
              std::string::npos);
}

TEST_F(PdfPrinterTest, ContentLinesUseTopDownCoordinatesOnTheLetterPage) {
    letter();
    pdf.PDFBeginDoc();
    pdf.PDFSetLineStyle(0);
    pdf.PDFSetLineWidth(1);
    pdf.PDFDrawLine(80, 50, 530, 50);
    pdf.PDFSetFont(pdffont::Arial, 16, "2");
    pdf.PDFTextOut(R"(Cal (a) \ b)", 143, 188);
    pdf.PDFSetTextColor("#FF0000");
    pdf.PDFTextOut("red", 80, 300);
    pdf.PDFImage(dir.write("l.jpg", test::MakeJpeg()), 80, 60, 350, 80);
    const PdfStructure doc = finish();
    EXPECT_EQ(doc.streamLines(2),
              (std::vector<std::string>{"[] 0 d", "80.00 742.00 m", "530.00 742.00 l", "1.00 w S",
                                        "BT", "/F1 16.00 Tf", "143.00 604.00 Td",
                                        R"((Cal \(a\) \\ b) Tj)", "ET", "q 1.000 0.000 0.000 rg",
                                        "BT", "/F1 16.00 Tf", "80.00 492.00 Td", "(red) Tj", "ET",
                                        "Q", "q 350.00 0 0 80.00 80.00 652.00 cm /ImgJPEG1 Do Q"}));
    EXPECT_NE(doc.find("/BaseFont /Helvetica-Bold"), nullptr);
}

TEST_F(PdfPrinterTest, CatalogEntriesFollowZoomLayoutAndViewerPreferences) {
    struct Case {
        int zoom, layout;
        std::string prefs, destination, layoutEntry, prefsEntry;
    };
    const Case cases[] = {
        {1, 3, "21", "/FitH null", "",
         "/ViewerPreferences<< /HideMenubar true /HideToolbar true >>"},
        {0, 0, "", "/Fit", "/PageLayout /SinglePage", ""},
        {2, 1, "3", "/XYZ null null 1", "/PageLayout /OneColumn",
         "/ViewerPreferences<< /HideWindowUI true >>"},
        {150, 2, "654", "/XYZ null null 1.5", "/PageLayout /TwoColumnLeft",
         "/ViewerPreferences<< /DisplayDocTitle true /CenterWindow true /FitWindow true >>"},
    };
    int i = 0;
    for (const Case& c : cases) {
        const std::string name = "c" + std::to_string(i++) + ".pdf";
        letter(name);
        pdf.PDFSetZoomMode(c.zoom);
        pdf.PDFSetLayoutMode(c.layout);
        pdf.PDFSetViewerPreferences(c.prefs);
        pdf.PDFBeginDoc();
        const PdfStructure doc = finish(name);
        const PdfObject* cat = doc.find("/Type /Catalog");
        ASSERT_NE(cat, nullptr);
        EXPECT_NE(cat->body.find(c.destination + "]"), std::string::npos) << cat->body;
        EXPECT_EQ(cat->body.find("/PageLayout") != std::string::npos, !c.layoutEntry.empty());
        if (!c.layoutEntry.empty()) {
            EXPECT_NE(cat->body.find(c.layoutEntry), std::string::npos);
        }
        EXPECT_EQ(cat->body.find("/ViewerPreferences") != std::string::npos, !c.prefsEntry.empty());
        if (!c.prefsEntry.empty()) {
            EXPECT_NE(cat->body.find(c.prefsEntry + "\r\n"), std::string::npos) << cat->body;
        }
    }
}

TEST_F(PdfPrinterTest, OutlinesAreReferencedOnlyWhenThereAreBookmarks) {
    letter();
    pdf.PDFUseOutlines(true);
    pdf.PDFBeginDoc();
    PdfStructure doc = finish();
    EXPECT_EQ(doc.find("/Outlines"), nullptr) << "no dangling outline reference";

    letter("b.pdf");
    pdf.PDFUseOutlines(true);
    pdf.PDFBeginDoc();
    pdf.PDFSetBookmark("First (one)");
    pdf.PDFNewPage();
    pdf.PDFSetBookmark("Second");
    doc = finish("b.pdf");
    ASSERT_TRUE(doc.problems.empty());
    const PdfObject* root = doc.find("/Type /Outlines");
    ASSERT_NE(root, nullptr);
    EXPECT_NE(root->body.find("/Count 2"), std::string::npos);
    EXPECT_NE(doc.find("/Title (First \\(one\\))"), nullptr);
    EXPECT_NE(
        doc.find("/Outlines " + std::to_string(root->number) + " 0 R\r\n/PageMode /UseOutlines"),
        nullptr);
    for (const auto& o : doc.objects)
        EXPECT_EQ(doc.xref.at(o.number), o.offset);
}

TEST_F(PdfPrinterTest, EveryPageGetsItsContentLengthAndPageObject) {
    letter();
    pdf.PDFBeginDoc();
    pdf.PDFTextOut("one", 80, 100);
    pdf.PDFEndPage();
    pdf.PDFNewPage();
    pdf.PDFPageWidth(300);
    pdf.PDFTextOut("two", 80, 100);
    pdf.PDFLink(10, 20, 30, 40, "https://example.org/(x)");
    EXPECT_EQ(pdf.PDFPageNumber(), 2);
    const PdfStructure doc = finish();
    ASSERT_TRUE(doc.problems.empty());
    // contents 2 and 4, lengths 3 and 5
    EXPECT_EQ(doc.object(3)->body, std::to_string(doc.streamBytes(2).size()) + "\r\n");
    EXPECT_EQ(doc.object(5)->body, std::to_string(doc.streamBytes(4).size()) + "\r\n");
    const PdfObject* pages = doc.find("/Type /Pages");
    ASSERT_NE(pages, nullptr);
    EXPECT_NE(pages->body.find("/Count 2"), std::string::npos);
    const PdfObject* second = doc.find("/Contents 4 0 R");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->body.find("/MediaBox [ 0 0 300.00 792.00]"), std::string::npos);
    EXPECT_NE(second->body.find("/Rect [10.00 732.00 40.00 772.00] /Border [0 0 0] "
                                "/A <</S /URI /URI (https://example.org/\\(x\\))>>>>"),
              std::string::npos);
}

TEST_F(PdfPrinterTest, BadSettingsAreReportedAndReplacedByTheirDefault) {
    letter();
    pdf.PDFSetZoomMode(-4);
    EXPECT_EQ(pdf.PDFGetZoomMode(), 0);
    pdf.PDFSetLayoutMode(9);
    EXPECT_EQ(pdf.PDFGetLayoutMode(), 0);
    pdf.PDFSetUnit(5);
    EXPECT_EQ(pdf.PDFGetUnit(), "cm");
    pdf.PDFOrientation(2);
    pdf.PDFFormatPage(7);
    EXPECT_NEAR(pdf.PDFGetPageWidth() * 72 / 2.54, 595.28, 1e-9); // A4 portrait, in cm
    pdf.PDFSetDrawMode(3);
    pdf.PDFSetLineStyle(8);
    pdf.PDFSetFont(9, 12);
    pdf.PDFSetTextColor("red");
    EXPECT_EQ(pdf.PDFGetTextColor(), (Rgb{0, 0, 0}));
    pdf.PDFSetAlignment(4);
    EXPECT_EQ(pdf.PDFGetAlignment(), 1);

    EXPECT_EQ(titles(),
              (std::vector<std::string>{"PDF WriterZoom Mode - ", "PDF WriterLayout Mode - ",
                                        "PDF WriterCode Unité de Mesure - ",
                                        "PDF WriterPage Orientation Type - ",
                                        "PDF WriterPage Format - ", "PDF WriterRectangle Object - ",
                                        "PDF WriterLine Style - ", "PDF WriterFont Name - ",
                                        "PDF WriterHTML Color - ", "PDF WriterCode Alignment - "}));
    EXPECT_EQ(op.messages[0].text,
              "Zoom mode is incorrect : -4.\nThe Zoom used will be the full page Zoom ");
    EXPECT_EQ(op.messages[2].text,
              "Incorrect unit of measure : 5.\nThe measuring units will be centimeters.");
    EXPECT_EQ(
        op.messages[7].text,
        "Font name is incorrect : 9.\nThe font used is New Times Roman, non-bold, non-italic.");
    EXPECT_EQ(op.messages[8].text,
              "HTML color code is invalid red.\nThe color used will be black.");
    for (const auto& m : op.messages)
        EXPECT_EQ(m.icon, MessageIcon::Critical);

    // the document goes on with the defaults
    pdf.PDFBeginDoc();
    pdf.PDFTextOut("still written", 2, 2);
    const PdfStructure doc = finish();
    EXPECT_TRUE(doc.problems.empty());
    EXPECT_NE(doc.find("/BaseFont /Times-Roman"), nullptr);
    EXPECT_NE(doc.find("/MediaBox [ 0 0 595.28 841.89]"), nullptr);
}

TEST_F(PdfPrinterTest, BadImagesAreReportedAndSkippedWhileAMissingOneThrows) {
    letter();
    pdf.PDFBeginDoc();
    const std::string good = test::MakeJpeg();
    struct Case {
        std::string name, bytes, text;
    };
    const Case cases[] = {
        {"logo", good,
         "Le fichier image " + dir.file("logo") +
             " ne possède pas d'extension.\nImpossible d'inclure l'image dans le fichier PDF."},
        {"logo.png", good,
         "Seule les images de types JPG sont supportées.\nImpossible d'inclure l'image dans le "
         "fichier PDF."},
        {"text.jpg", "this is not a picture",
         "Marqueur de début JPEG ou marqueur de fin JPEG non valide."},
        {"cut.jpg", good.substr(0, 30),
         "Marqueur de début JPEG ou marqueur de fin JPEG non valide."},
        {"noframe.jpg", test::MakeJpeg({.withFrame = false}),
         "Format d'image non supportée.\nImpossible d'inclure l'image dans le fichier PDF."},
        {"unit.jpg", test::MakeJpeg({.densityUnit = 3}),
         "Erreur de résolution d'image , l'Opcode est 3 Les Opcodes valides sont  0, 1, 2."},
    };
    for (const Case& c : cases) {
        op.messages.clear();
        pdf.PDFImage(dir.write(c.name, c.bytes), 80, 60, 350, 80);
        ASSERT_EQ(op.messages.size(), 1u) << c.name;
        EXPECT_EQ(op.last().title, "PDF WriterFichier Image - ") << c.name;
        EXPECT_EQ(op.last().text, c.text) << c.name;
    }
    op.messages.clear();
    pdf.PDFImage(dir.write("ok.JPEG", good), 80, 60, 350, 80, "not a link");
    EXPECT_EQ(op.last().title, "PDF WriterLien URL Fichier Image - ");
    EXPECT_EQ(op.last().text, "URL objet image non valide : not a link.\nImpossible d'inclure le "
                              "lien dans l'image.");
    EXPECT_THROW(pdf.PDFImage(dir.file("missing.jpg"), 0, 0, 1, 1), std::exception);

    const PdfStructure doc = finish();
    ASSERT_TRUE(doc.problems.empty());
    // only the good file (placed once) became an image, and the page draws it once
    ASSERT_NE(doc.find("/Name /ImgJPEG1\r\n"), nullptr);
    const auto lines = doc.streamLines(2);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.ends_with("/ImgJPEG1 Do Q"); }),
              1);
    EXPECT_EQ(std::count_if(doc.objects.begin(), doc.objects.end(),
                            [](const auto& o) {
                                return o.body.find("/Subtype /Image") != std::string::npos;
                            }),
              1);
}

TEST_F(PdfPrinterTest, ImageSizeFollowsFromTheFileWhenNotGiven) {
    letter();
    pdf.PDFBeginDoc();
    pdf.PDFImage(dir.write("a.jpg", test::MakeJpeg({.width = 300, .height = 150, .density = 150})),
                 10, 10);
    EXPECT_DOUBLE_EQ(pdf.PDFImageWidth(), 144.0);
    EXPECT_DOUBLE_EQ(pdf.PDFImageHeight(), 72.0);
    pdf.PDFImage(dir.file("a.jpg"), 10, 10, 100);
    EXPECT_DOUBLE_EQ(pdf.PDFImageHeight(), 50.0);
    const PdfStructure doc = finish();
    EXPECT_EQ(doc.streamLines(2).back(), "q 100.00 0 0 50.00 10.00 732.00 cm /ImgJPEG1 Do Q");
}

TEST_F(PdfPrinterTest, StringWidthsComeFromTheMetricsFiles) {
    letter();
    pdf.PDFSetFont(pdffont::Arial, 8, "1");
    EXPECT_NEAR(pdf.PDFGetStringWidth("Page 1"), 3169 * 8 / 1000.0, 1e-9);
    EXPECT_NEAR(pdf.PDFGetStringWidth("Page 1", "Helvetica-Bold", 10), 3224 * 10 / 1000.0, 1e-9);
    EXPECT_DOUBLE_EQ(pdf.PDFTextHeight(), 8.0);
    pdf.PDFLoadAfm(dir.path());
    EXPECT_THROW((void)pdf.PDFGetStringWidth("x"), std::exception);
}

TEST_F(PdfPrinterTest, AFileThatCannotBeCreatedThrowsAndAFailedDocumentKeepsTheOldFile) {
    EXPECT_THROW(pdf.PDFfileName(dir.file("no/such/folder/x.pdf")), std::exception);
    const std::string old = dir.write("keep.pdf", "the previous report");
    letter("keep.pdf");
    pdf.PDFBeginDoc();
    pdf.PDFTextOut("half", 10, 10);
    EXPECT_THROW(pdf.PDFImage(dir.file("gone.jpg"), 0, 0, 1, 1), std::exception);
    pdf.PDFInit(); // the document is given up
    EXPECT_EQ(dir.read("keep.pdf"), "the previous report");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(PdfPrinterTest, CellsWrapTheirTextAndShapesPaintByTheDrawMode) {
    letter();
    pdf.PDFBeginDoc();
    pdf.PDFSetFont(pdffont::Courier, 10);
    pdf.PDFSetCellMargin(0);
    pdf.PDFSetDrawColor(255, 255, 255);
    pdf.PDFSetBorder("1");
    pdf.PDFSetFill(true);
    pdf.PDFSetAlignment(1);
    pdf.PDFTextOut("", 100, 100);
    // Courier is 6 points a character at size 10: 60 points hold "aaaa bbbb" but not more
    pdf.PDFCell(60, 12, "aaaa bbbb cccc");
    EXPECT_DOUBLE_EQ(pdf.PDFGetY(), 124);
    pdf.PDFSetDrawMode(0);
    pdf.PDFDrawRectangle(10, 20, 30, 40);
    pdf.PDFSetDrawMode(1);
    pdf.PDFDrawPolygon({{0, 0}, {10, 0}, {10, 10}});
    pdf.PDFDrawEllipse(50, 50, 10, 5);
    const PdfStructure doc = finish();
    ASSERT_TRUE(doc.problems.empty());
    const auto lines = doc.streamLines(2);
    auto has = [&](const std::string& l) {
        return std::find(lines.begin(), lines.end(), l) != lines.end();
    };
    EXPECT_TRUE(has("(aaaa bbbb) Tj"));
    EXPECT_TRUE(has("(cccc) Tj"));
    EXPECT_TRUE(has("100.00 680.00 60.00 12.00 re 0.57 w B"));
    EXPECT_TRUE(has("10.00 732.00 30.00 40.00 re 0.57 w S"));
    EXPECT_TRUE(has("10.00 782.00 l h f"));
    EXPECT_TRUE(has("q 1.000 1.000 1.000 rg"));
}

TEST_F(PdfPrinterTest, TheConfirmationIsShownWhenAsked) {
    letter();
    pdf.PDFConfirm(true);
    pdf.PDFBeginDoc();
    pdf.PDFEndDoc();
    EXPECT_EQ(op.last().text, "Fichier PDF généré.");
    EXPECT_EQ(op.last().title, "PDF WriterGénération du Fichier PDF - ");
}

} // namespace
} // namespace dilato
