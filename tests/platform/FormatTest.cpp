#include "platform/Format.h"
#include "platform/LeadingNumber.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

TEST(FormatNumber, RoundsHalfAwayFromZeroAtTheDecimalValue) {
    EXPECT_EQ(FormatNumber(2.675, "0.00"), "2.68"); // binary 2.67499999...
    EXPECT_EQ(FormatNumber(-2.675, "0.00"), "-2.68");
    EXPECT_EQ(FormatNumber(0.05, "0.0"), "0.1");
    EXPECT_EQ(FormatNumber(0.25, "0.0"), "0.3");
    EXPECT_EQ(FormatNumber(-0.25, "0.0"), "-0.3");
    EXPECT_EQ(FormatNumber(2.5, "0"), "3");
    EXPECT_EQ(FormatNumber(9.9996, "0.000"), "10.000");
    EXPECT_EQ(FormatNumber(1234.5678, "0.0"), "1234.6");
    EXPECT_EQ(FormatNumber(0.0004, "0.000"), "0.000");
    EXPECT_EQ(FormatNumber(-0.0004, "0.000"), "0.000") << "a rounded zero carries no sign";
    EXPECT_EQ(FormatNumber(1e-20, "0.0"), "0.0");
}

TEST(FormatNumber, PatternsOfTheFiles) {
    EXPECT_EQ(FormatNumber(1.0, "0.00000000000"), "1.00000000000");
    EXPECT_EQ(FormatNumber(-0.125, "0.00000000000"), "-0.12500000000");
    EXPECT_EQ(FormatNumber(0.0, "#"), "");
    EXPECT_EQ(FormatNumber(0.4, "#"), "") << "rounds to zero, shows nothing";
    EXPECT_EQ(FormatNumber(1234, "#"), "1234");
    EXPECT_EQ(FormatNumber(-3, "#"), "-3");
    EXPECT_EQ(FormatNumber(0.0, "0"), "0");
    EXPECT_EQ(FormatNumber(20, "0.0"), "20.0");
    EXPECT_THROW((void)FormatNumber(1, "0.#"), std::invalid_argument);
}

TEST(FormatNumber, SinglesAreReadAtSevenDigits) {
    EXPECT_EQ(FormatSingle(0.35f, "0.0"), "0.4"); // float 0.3499999940...
    EXPECT_EQ(FormatSingle(16.35f, "0.0"), "16.4");
    EXPECT_EQ(FormatSingle(2.000f, "0.000"), "2.000");
}

TEST(DateTexts, MonthDayYearAndBack) {
    EXPECT_EQ(FormatDateMDY(QDate(2026, 3, 7)), "03-07-2026");
    EXPECT_EQ(FormatTime24(QTime(14, 5, 9)), "14:05:09");
    EXPECT_EQ(ParseDateMDY("03-07-2026"), QDate(2026, 3, 7));
    EXPECT_EQ(ParseDateMDY("3-7-2026"), QDate(2026, 3, 7));
    EXPECT_FALSE(ParseDateMDY("2026/03/07").isValid());
    EXPECT_FALSE(ParseDateMDY("13-40-2026").isValid());
}

TEST(LeadingNumber, LongestLeadingDecimalNumberWithBlanksIgnored) {
    EXPECT_DOUBLE_EQ(LeadingNumber("4.6"), 4.6);
    EXPECT_DOUBLE_EQ(LeadingNumber("COM4"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(" 1 2.5kg"), 12.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("-0.125 : Offset relating"), -0.125);
    EXPECT_DOUBLE_EQ(LeadingNumber("+7"), 7.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(LeadingNumber("1E3"), 1000.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("2e"), 2.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("-"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("1e999"), 0.0) << "an overflow is no number";
}

TEST(LeadingNumber, AFileValueBeyondADoubleIsAnOverflowNeverZero) {
    for (const std::string& huge :
         std::vector<std::string>{"1e999", "-2E+400 : Slope", std::string(400, '9')}) {
        try {
            (void)FileNumber(huge);
            ADD_FAILURE() << huge << " read as a number";
        } catch (const std::overflow_error& e) {
            EXPECT_STREQ(e.what(), "Overflow");
        }
    }
    EXPECT_DOUBLE_EQ(FileNumber("1e-999"), 0.0) << "too small to hold is 0, no fault";
    EXPECT_DOUBLE_EQ(FileNumber("0.000"), 0.0);
    EXPECT_DOUBLE_EQ(FileNumber("1.5e3x"), 1500.0);
}

TEST(WholeNumber, ATextThatIsOneNumberAndNothingElse) {
    EXPECT_EQ(WholeNumber("  0012.345"), 12.345);
    EXPECT_EQ(WholeNumber("+0002.5400"), 2.54);
    EXPECT_EQ(WholeNumber("-1E3 "), -1000.0);
    EXPECT_FALSE(WholeNumber("12.3mm")) << "junk after the number";
    EXPECT_FALSE(WholeNumber("#?!zq@%&kx"));
    EXPECT_FALSE(WholeNumber("   ")) << "no digit";
    EXPECT_FALSE(WholeNumber("-.")) << "no digit";
    EXPECT_FALSE(WholeNumber("2e")) << "an exponent without digits";
    EXPECT_FALSE(WholeNumber("1.2.3"));
    EXPECT_FALSE(WholeNumber("1e999")) << "an overflow";
}

TEST(TextCodec, Windows1252RoundTripAndUtf8Acceptance) {
    const std::string utf8 = "25 \xC2\xB0"
                             "C, 3 \xC2\xB5m, \xE2\x82\xAC"; // 25 °C, 3 µm, €
    const std::string cp = Utf8ToCp1252(utf8);
    EXPECT_EQ(cp, "25 \xB0"
                  "C, 3 \xB5m, \x80");
    EXPECT_EQ(Cp1252ToUtf8(cp), utf8);
    EXPECT_EQ(DecodeFileText(cp), utf8) << "not UTF-8: read as Windows-1252";
    EXPECT_EQ(DecodeFileText(utf8), utf8) << "valid UTF-8 stays";
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?") << "no such character in the code page";
    EXPECT_EQ(Utf8Length(utf8), 14u);
    EXPECT_EQ(Utf8Left(utf8, 4), "25 \xC2\xB0");
}

} // namespace
} // namespace dilato
