// The writer's building blocks: number and string texts, colours, the JPEG marker walk and
// the font metrics.
#include "JpegBytes.h"

#include "platform/TextFile.h"
#include "report/AfmMetrics.h"
#include "report/JpegInfo.h"
#include "report/PdfText.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

TEST(PdfText, NumbersAreFixedPointWithTwoDecimalsAndAPoint) {
    EXPECT_EQ(PdfNumber(80), "80.00");
    EXPECT_EQ(PdfNumber(792 - 50), "742.00");
    EXPECT_EQ(PdfNumber(280.648), "280.65");
    EXPECT_EQ(PdfNumber(0.125), "0.13");
    EXPECT_EQ(PdfNumber(-3.5), "-3.50");
    EXPECT_EQ(PdfNumber(-0.001), "0.00");
}

TEST(PdfText, ParenthesesAndBackslashesAreEscapedAndDegreeAndMicroAreSingleBytes) {
    EXPECT_EQ(PdfLiteral(R"(a(b)c\d)"), R"(a\(b\)c\\d)");
    EXPECT_EQ(PdfLiteral("((x))"), R"(\(\(x\)\))");
    EXPECT_EQ(PdfLiteral("12.3 µ/°C"), "12.3 \xB5/\xB0"
                                       "C");
    EXPECT_EQ(PdfLiteral("€ ok"), "\x80 ok");
    EXPECT_EQ(PdfLiteral("Ω"), "?"); // outside WinAnsiEncoding
}

TEST(PdfText, HtmlColoursNeedAHashAndSixHexDigits) {
    EXPECT_EQ(ParseHtmlColour("#FF8000"), (Rgb{255, 128, 0}));
    EXPECT_EQ(ParseHtmlColour("#ffffff"), (Rgb{255, 255, 255}));
    for (const char* bad : {"FF8000", "#FF800", "#FF80000", "#GG0000", "", "#"})
        EXPECT_FALSE(ParseHtmlColour(bad)) << bad;
    EXPECT_EQ(ColourComponents({255, 128, 0}), "1.000 0.502 0.000");
    EXPECT_FALSE(ValidRgb({0, 256, 0}));
    EXPECT_FALSE(ValidRgb({-1, 0, 0}));
}

TEST(JpegScan, TheFrameHeaderGivesSizeComponentsAndBits) {
    struct Case {
        int marker, components;
        JpegColourSpace space;
    };
    for (const Case c :
         {Case{0xC0, 3, JpegColourSpace::DeviceRGB}, Case{0xC2, 1, JpegColourSpace::DeviceGray},
          Case{0xC1, 4, JpegColourSpace::DeviceCMYK}, Case{0xC7, 3, JpegColourSpace::DeviceRGB}}) {
        const auto scan = ScanJpeg(test::MakeJpeg(
            {.width = 700, .height = 160, .components = c.components, .frameMarker = c.marker}));
        const auto* info = std::get_if<JpegInfo>(&scan);
        ASSERT_TRUE(info) << std::hex << c.marker;
        EXPECT_EQ(info->width, 700);
        EXPECT_EQ(info->height, 160);
        EXPECT_EQ(info->components, c.components);
        EXPECT_EQ(info->bitsPerComponent, 8);
        EXPECT_EQ(info->colourSpace, c.space);
    }
}

TEST(JpegScan, TheDensityUnitTurnsTheResolutionIntoDotsPerInch) {
    auto dpi = [](int unit, int density) {
        const auto scan = ScanJpeg(test::MakeJpeg({.densityUnit = unit, .density = density}));
        return std::get<JpegInfo>(scan).dpiX;
    };
    EXPECT_DOUBLE_EQ(dpi(1, 300), 300.0);
    EXPECT_DOUBLE_EQ(dpi(2, 100), 254.0);
    EXPECT_DOUBLE_EQ(dpi(0, 1), 0.0); // an aspect ratio only
    const auto bad = ScanJpeg(test::MakeJpeg({.densityUnit = 7}));
    ASSERT_TRUE(std::holds_alternative<JpegRejection>(bad));
    EXPECT_EQ(std::get<JpegRejection>(bad).fault, JpegFault::BadDensityUnit);
    EXPECT_EQ(std::get<JpegRejection>(bad).densityUnit, 7);
}

TEST(JpegScan, BadFilesAreRejectedWithTheirReason) {
    auto fault = [](const std::string& bytes) {
        const auto scan = ScanJpeg(bytes);
        return std::holds_alternative<JpegRejection>(scan) ? std::get<JpegRejection>(scan).fault
                                                           : static_cast<JpegFault>(-1);
    };
    const std::string good = test::MakeJpeg();
    EXPECT_EQ(fault("GIF89a not a jpeg at all"), JpegFault::BadStartOrEnd);
    EXPECT_EQ(fault(good.substr(0, good.size() / 2)), JpegFault::BadStartOrEnd); // truncated
    EXPECT_EQ(fault(""), JpegFault::BadStartOrEnd);
    EXPECT_EQ(fault("\xFF\xD8\xFF\xD9"), JpegFault::NoFrameHeader);
    EXPECT_EQ(fault(test::MakeJpeg({.withFrame = false})), JpegFault::NoFrameHeader);
    EXPECT_EQ(fault(test::MakeJpeg({.components = 2})), JpegFault::NoFrameHeader);
    EXPECT_EQ(fault(test::MakeJpeg({.width = 0})), JpegFault::NoFrameHeader);
    // a segment whose length runs past the end of the file
    std::string overrun = "\xFF\xD8\xFF\xE1" + test::Word(60000) + "abc\xFF\xD9";
    EXPECT_EQ(fault(overrun), JpegFault::NoFrameHeader);
    // junk between segments instead of a marker
    EXPECT_EQ(fault("\xFF\xD8junk\xFF\xD9"), JpegFault::NoFrameHeader);
}

TEST(JpegScan, FillBytesAndStandaloneMarkersAreStepedOver) {
    std::string b = test::MakeJpeg({.width = 12, .height = 34});
    b.insert(2, "\xFF\xFF\xFF\xD0"); // fill bytes, then a restart marker
    const auto scan = ScanJpeg(b);
    ASSERT_TRUE(std::holds_alternative<JpegInfo>(scan));
    EXPECT_EQ(std::get<JpegInfo>(scan).width, 12);
    EXPECT_EQ(std::get<JpegInfo>(scan).height, 34);
}

TEST(AfmMetrics, WidthsFollowTheWinAnsiGlyphsNotTheFontsOwnCodes) {
    const std::string afm = "StartFontMetrics 3.0\r\nEncodingScheme AdobeStandardEncoding\r\n"
                            "StartCharMetrics 6\r\n"
                            "C 32 ; WX 278 ; N space ; B 0 0 0 0 ;\r\n"
                            "C 39 ; WX 222 ; N quoteright ; B 0 0 0 0 ;\r\n"
                            "C 65 ; WX 667 ; N A ; B 0 0 0 0 ;\r\n"
                            "C -1 ; WX 400 ; N degree ; B 0 0 0 0 ;\r\n"
                            "C -1 ; WX 191 ; N quotesingle ; B 0 0 0 0 ;\r\n"
                            "C 66 ; garbage line without a width\r\n"
                            "EndCharMetrics\r\n"
                            "C 67 ; WX 999 ; N C ;\r\n";
    const AfmMetrics m = AfmMetrics::Parse(afm);
    EXPECT_FALSE(m.symbolic());
    EXPECT_EQ(m.width(' '), 278);
    EXPECT_EQ(m.width('A'), 667);
    EXPECT_EQ(m.width(0xB0), 400); // "°", unencoded in the font's own encoding
    EXPECT_EQ(m.width('\''), 191); // WinAnsi 0x27 is quotesingle, not quoteright
    EXPECT_EQ(m.width('B'), 0);
    EXPECT_EQ(m.width('C'), 0); // after EndCharMetrics
    EXPECT_EQ(m.textWidth("A A\xB0"), 667 + 278 + 667 + 400);
}

TEST(AfmMetrics, SymbolicFontsAreMeasuredByTheirOwnCodes) {
    const AfmMetrics m = AfmMetrics::Parse("EncodingScheme FontSpecific\nStartCharMetrics 1\n"
                                           "C 97 ; WX 631 ; N alpha ;\nEndCharMetrics\n");
    EXPECT_TRUE(m.symbolic());
    EXPECT_EQ(m.width('a'), 631);
}

TEST(AfmMetrics, TheShippedHelveticaMetricsMatchTheStandardFont) {
    const std::string folder = DILATO_PROGRAM_FOLDER "Fonts/";
    for (const char* name : {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Times-Roman",
                             "Courier", "Symbol", "ZapfDingbats"}) {
        const auto bytes = ReadFileBytes(folder + name + ".afm");
        ASSERT_TRUE(bytes) << name;
    }
    const AfmMetrics helvetica = AfmMetrics::Parse(*ReadFileBytes(folder + "Helvetica.afm"));
    // the published Helvetica widths
    EXPECT_EQ(helvetica.textWidth("Page 1"), 667 + 556 + 556 + 556 + 278 + 556);
    EXPECT_EQ(helvetica.width(0xB0), 400);
    EXPECT_EQ(helvetica.width(0xB5), 556);
    const AfmMetrics courier = AfmMetrics::Parse(*ReadFileBytes(folder + "Courier.afm"));
    EXPECT_EQ(courier.textWidth("iW\xB0"), 3 * 600);
}

} // namespace
} // namespace dilato
