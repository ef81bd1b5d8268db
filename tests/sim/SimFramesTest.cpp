// The simulated instruments' own bytes, checked against the protocol descriptions' examples
// rather than against the program's coding of them.

#include "sim/BenchInstruments.h"
#include "sim/ControllerFrames.h"

#include <gtest/gtest.h>

#include <string>

namespace dilato::sim {
namespace {

BenchParams Quiet() {
    BenchParams p;
    p.stage.noiseSigma = 0;
    p.stage.thermistorOffset = 0;
    p.sample.noiseMicrons = 0;
    p.calibrator.noiseSigma = 0;
    return p;
}

// Sends a command at `now` and collects the whole answer a second later.
std::string Exchange(SimDevice& device, const std::string& bytes, double& now) {
    device.receive(bytes, now, device.baud());
    now += 1.0;
    return device.takeDue(now);
}

TEST(ControllerFrames, ChecksumsAndDataDigitsFollowTheProtocol) {
    EXPECT_EQ(FrameChecksum("010000"), "21");
    EXPECT_EQ(FrameChecksum("040000"), "24");
    EXPECT_EQ(FrameChecksum("ffffff"), "64") << "only the low eight bits of 612";
    EXPECT_EQ(FrameChecksum("1c09c4"), "94") << "all eight bits of 404";
    EXPECT_EQ(FrameChecksum("22ffdd"), "f8");
    EXPECT_EQ(DataDigits(-35), "ffdd");
    EXPECT_EQ(DataDigits(0), "0000");
    EXPECT_EQ(DataDigits(2500), "09c4") << "25.0 degrees in hundredths";
    EXPECT_EQ(DataDigits(-32768), "8000");
    EXPECT_EQ(ParseDataDigits("ffff"), int16_t{-1});
    EXPECT_EQ(ParseDataDigits("2af9"), int16_t{11001});
    EXPECT_EQ(ParseDataDigits("7fff"), int16_t{32767});
    EXPECT_FALSE(ParseDataDigits("FFFF")) << "digits are lower case";
    EXPECT_FALSE(ParseDataDigits("12g4"));
    EXPECT_FALSE(ParseDataDigits("123"));

    const auto write = ParseControllerCommand("*1c09c4" + FrameChecksum("1c09c4"));
    ASSERT_TRUE(write);
    EXPECT_EQ(write->code, "1c");
    EXPECT_EQ(write->data, 2500);
    EXPECT_FALSE(ParseControllerCommand("*01000022")) << "wrong checksum";
    EXPECT_FALSE(ParseControllerCommand("*1C09C4" + FrameChecksum("1C09C4")))
        << "upper-case digits, checksum of their own";
    EXPECT_FALSE(ParseControllerCommand("*0100002")) << "a digit short";
    EXPECT_FALSE(ParseControllerCommand("#01000021"));
    EXPECT_EQ(ControllerAnswer("09c4"), "*09c4" + FrameChecksum("09c4") + "^");
}

TEST(SimController, WritesAreStoredEchoedAndReadBackAndTheSetPointMovesTheStage) {
    BenchInstruments s(Quiet(), 0.0);
    double now = 0.0;
    // The set point 25.0 °C, then its read-back, then a negative parameter.
    const std::string echo = "*09c400^";
    EXPECT_EQ(Exchange(s.controller, "*1c09c494\r", now), echo);
    EXPECT_EQ(Exchange(s.controller, "*50000025\r", now), echo);
    EXPECT_DOUBLE_EQ(s.bench.controllerSetPoint(), 25.0);
    EXPECT_EQ(s.controller.parameter("1c"), int16_t{2500});
    EXPECT_EQ(Exchange(s.controller, "*22ffddf8\r", now), "*ffdd94^");
    EXPECT_EQ(s.controller.parameter("22"), int16_t{-35});
    EXPECT_EQ(s.controller.writes(), 2u);

    // The stage reading: sensor 0 is the thermistor, in hundredths.
    s.bench.advanceTo(3600.0);
    now = 3600.0;
    EXPECT_EQ(Exchange(s.controller, "*01000021\r", now), "*09c400^");
    const std::string cold = "*1cf83095\r"; // -20.00 °C
    EXPECT_EQ(Exchange(s.controller, cold, now).substr(0, 5), "*f830");
    s.bench.advanceTo(7200.0);
    now = 7200.0;
    EXPECT_EQ(Exchange(s.controller, "*01000021\r", now), "*f83001^")
        << "a negative reading in two's complement";

    const std::string bad = "*XXXX" + FrameChecksum("XXXX") + "^";
    EXPECT_EQ(Exchange(s.controller, "*01000022\r", now), bad) << "wrong checksum";
    EXPECT_EQ(Exchange(s.controller, "*ee0000" + FrameChecksum("ee0000") + "\r", now), bad)
        << "unknown code";
    EXPECT_EQ(Exchange(s.controller, "*1C09C4" + FrameChecksum("1C09C4") + "\r", now), bad)
        << "upper-case digits";
    EXPECT_DOUBLE_EQ(s.bench.controllerSetPoint(), -20.0) << "a refused frame changes nothing";
    EXPECT_EQ(Exchange(s.controller, "*01000021\r", now).size(), 8u);
}

// Every parameter the program writes, by its write code and read-back code: the read-back
// answers what the write stored.
TEST(SimController, EachParameterReadsBackWhatWasWritten) {
    const struct {
        const char* write;
        const char* read;
    } table[] = {{"1c", "50"}, {"25", "59"}, {"26", "5a"}, {"22", "56"}, {"23", "57"},
                 {"28", "5c"}, {"29", "5d"}, {"31", "65"}, {"2b", "5f"}, {"2d", "61"},
                 {"3a", "6e"}, {"20", "54"}, {"47", "7c"}, {"30", "64"}};
    BenchInstruments s(Quiet(), 0.0);
    double now = 0.0;
    int16_t value = 100;
    for (const auto& p : table) {
        SCOPED_TRACE(p.write);
        value = static_cast<int16_t>(value * -3 + 7);
        const std::string data = DataDigits(value);
        const std::string write = std::string(p.write) + data;
        const std::string answer = "*" + data + FrameChecksum(data) + "^";
        EXPECT_EQ(Exchange(s.controller, "*" + write + FrameChecksum(write) + "\r", now), answer);
        const std::string read = std::string(p.read) + "0000";
        EXPECT_EQ(Exchange(s.controller, "*" + read + FrameChecksum(read) + "\r", now), answer);
        EXPECT_EQ(s.controller.parameter(p.write), value);
    }
    const std::string nine = "750000";
    EXPECT_EQ(Exchange(s.controller, "*" + nine + FrameChecksum(nine) + "\r", now), "*0000c0^")
        << "index 9 is written without a read-back";
    EXPECT_EQ(s.controller.writes(), 15u);
}

TEST(SimController, AnswersOnlyAtItsLineRateAndCharacterByCharacter) {
    BenchInstruments s(Quiet(), 0.0);
    s.controller.receive("*01000021\r", 0.0, 9600);
    EXPECT_EQ(s.controller.takeDue(1.0), "") << "9600 baud is noise to a 230400-baud UART";
    EXPECT_EQ(s.controller.noiseBytes(), 10u);
    s.controller.receive("*01000021\r", 1.0, 230400);
    const double charTime = 10.0 / 230400;
    EXPECT_EQ(s.controller.takeDue(1.0 + 0.002 + 4.5 * charTime).size(), 4u);
    EXPECT_EQ(s.controller.takeDue(2.0).size(), 4u);
}

TEST(SimSensor, AnswersSeventeenCharactersWithTheReadingInMillimetres) {
    BenchInstruments s(Quiet(), 0.0);
    double now = 0.0;
    EXPECT_EQ(Exchange(s.sensor, "MS\r\n", now), "MS,01,+0002.5400\r");
    EXPECT_EQ(Exchange(s.sensor, "XX\r\n", now), "ER,MS,01\r");
    EXPECT_EQ(SensorField(-12.34567), "-0012.3457");
    EXPECT_EQ(SensorField(123456.0), "+9999.9999") << "clamped to the field";
    s.sensor.inject(Fault::Negative, 1);
    EXPECT_EQ(Exchange(s.sensor, "MS\r\n", now), "MS,01,-0002.5400\r");
}

TEST(SimCalibrator, TakesItsSetUpSilentlyAndAnswersIdentityAndReadings) {
    BenchInstruments s(Quiet(), 0.0);
    double now = 0.0;
    for (const char* c : {"MEAS TC", "TSENS_TYPE TC", "TC_TYPE T", "CJC_STATE ON"})
        EXPECT_EQ(Exchange(s.calibrator, std::string(c) + "\r", now), "") << c;
    EXPECT_TRUE(s.calibrator.configuredForTypeT());
    EXPECT_EQ(Exchange(s.calibrator, "*IDN?\r", now).substr(0, 6), "MARTEL");
    EXPECT_EQ(Exchange(s.calibrator, "VAL?\r", now), "22.10\r\n")
        << "the stage plus the calibrator's error";
    s.calibrator.thermocoupleConnected = false;
    EXPECT_EQ(Exchange(s.calibrator, "VAL?\r", now), "OVER\r\n");
}

} // namespace
} // namespace dilato::sim
