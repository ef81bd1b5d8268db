#include "instrument/TeProtocol.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

TEST(TeProtocol, FramesCarryTheChecksumOfCodeAndData) {
    EXPECT_EQ(TeChecksum("010000"), "21");
    EXPECT_EQ(TeChecksum("040000"), "24");
    EXPECT_EQ(BuildTeFrame("010000"), kTeReadSensor0);
    EXPECT_EQ(BuildTeFrame("040000"), kTeReadSensor1);
    EXPECT_EQ(BuildTeFrame("1c09c4"), "*1c09c494\r") << "set-point 25.0: 404 = 0x194";
    EXPECT_EQ(BuildTeFrame("22ffdd").size(), kTeFrameLength);
    EXPECT_NE(BuildTeFrame("1c09c").size(), kTeFrameLength) << "a short payload is refused";
    // the low eight bits only: "ffffff" sums to 612 = 0x264
    EXPECT_EQ(TeChecksum("ffffff"), "64");
}

TEST(TeProtocol, ValuesAreSixteenBitTwosComplementInLowerCaseHex) {
    EXPECT_EQ(EncodeTeValue(-35), "ffdd");
    EXPECT_EQ(EncodeTeValue(0), "0000");
    EXPECT_EQ(EncodeTeValue(2500), "09c4") << "25.0 degrees in hundredths";
    EXPECT_EQ(EncodeTeValue(110), "006e");
    EXPECT_EQ(EncodeTeValue(200), "00c8");
    EXPECT_EQ(EncodeTeValue(-3200), "f380");
    EXPECT_EQ(EncodeTeValue(2.5), "0002") << "ties go to even";
    EXPECT_EQ(EncodeTeValue(3.5), "0004");
    EXPECT_EQ(EncodeTeValue(-0.4), "0000") << "65535.6 rounds to 65536, whose last digits are 0";
    EXPECT_EQ(EncodeTeValue(70000), "1170") << "only the last four digits are kept";
    EXPECT_EQ(EncodeTeValue(-70000), "ee90") << "beyond -65536 the two's complement shows";
    EXPECT_THROW((void)EncodeTeValue(1e12), std::overflow_error);
    EXPECT_THROW((void)EncodeTeValue(std::numeric_limits<double>::quiet_NaN()),
                 std::overflow_error);
}

TEST(TeProtocol, AnswersDecodeAsSignedHundredthsWithTheWrapAbove110) {
    EXPECT_EQ(DecodeTeData("*ffff9c^"), -1);
    EXPECT_FLOAT_EQ(DecodeTeTemperature("*ffff9c^"), -0.01f);
    EXPECT_FLOAT_EQ(DecodeTeTemperature("*09c4xx^"), 25.0f) << "checksum and ends are ignored";
    EXPECT_FLOAT_EQ(DecodeTeTemperature("*2af8..^"), 110.0f);
    EXPECT_FLOAT_EQ(DecodeTeTemperature("*2af9..^"), -545.35f);
    EXPECT_FLOAT_EQ(DecodeTeTemperature("*8000..^"), -327.68f);
    EXPECT_FLOAT_EQ(DecodeTeTemperature("*09C4..^"), 25.0f) << "upper-case digits read too";
    EXPECT_THROW((void)DecodeTeData("*09g4xx^"), ConversionError);
    EXPECT_THROW((void)DecodeTeData("*09 4xx^"), ConversionError);
    EXPECT_THROW((void)DecodeTeData("*09c"), ConversionError);
}

TEST(TeProtocol, ParameterTableAndInitialSet) {
    EXPECT_FALSE(FindTeParameter(5)) << "index 5 is not used";
    EXPECT_FALSE(FindTeParameter(16));
    ASSERT_TRUE(FindTeParameter(0));
    EXPECT_EQ(FindTeParameter(0)->writeCode, "1c");
    EXPECT_EQ(FindTeParameter(0)->readCode, "50");
    EXPECT_EQ(FindTeParameter(9)->readCode, "") << "parameter 9 has no read-back";
    EXPECT_EQ(FindTeParameter(14)->writeCode, "47");
    EXPECT_EQ(FindTeParameter(14)->readCode, "7c");
    // every initial setting names a parameter of the table
    for (const auto& s : kTeInitialSettings)
        EXPECT_TRUE(FindTeParameter(s.index)) << s.index;
}

} // namespace
} // namespace dilato
