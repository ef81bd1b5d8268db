// The displacement sensor link and its answer rule.

#include "LinkFixture.h"

#include "instrument/SensorProtocol.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::LinkFixture;

TEST(SensorProtocol, SeventeenCharactersWithTheReadingInCharacters7To16) {
    const auto r = ParseSensorReply("MS,01,  0012.345\r");
    ASSERT_TRUE(r);
    EXPECT_NEAR(*r, 0.4860f, 0.00005f) << "12.345 mm / 25.4";
    EXPECT_FLOAT_EQ(*ParseSensorReply("MS,01,+0002.5400\r"), 0.1f);
    EXPECT_FLOAT_EQ(*ParseSensorReply("MS,01,-0001.2700\r"), -0.05f);
    EXPECT_FLOAT_EQ(*ParseSensorReply("MS,01,    -0.000\r"), 0.0f) << "a real zero";
    EXPECT_FALSE(ParseSensorReply("MS,01,ABCDEFGHIJ\r")) << "no number is no reading";
    EXPECT_FALSE(ParseSensorReply("MS,01,          \r")) << "blanks are no reading";
    EXPECT_FALSE(ParseSensorReply("MS,01,+0002.5#?!\r")) << "a number with junk after it";
    EXPECT_FALSE(ParseSensorReply("MS,01,+0002.54E \r")) << "an exponent without digits";
    EXPECT_FALSE(ParseSensorReply("MS,01,+0002.540\r")) << "16 characters";
    EXPECT_FALSE(ParseSensorReply("MS,01,+0002.54000\r")) << "18 characters";
    EXPECT_FALSE(ParseSensorReply(""));
}

TEST(DisplacementLink, ReadsTheSimulatedSampleInInches) {
    LinkFixture f;
    ASSERT_TRUE(f.links.ReadDisplacement());
    EXPECT_EQ(f.p1.written(), "MS\r\n");
    EXPECT_EQ(f.p1.baudRate(), 9600);
    EXPECT_FLOAT_EQ(f.links.IndicatorReading(), 0.1f) << "2.54 mm at the ambient temperature";
    EXPECT_FALSE(f.links.LinkBusy());
    EXPECT_TRUE(f.p1.portOpen()) << "the link stays open";

    // The sample expands with the stage: 2 in of copper over +20 °C, minus the fixture.
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    f.links.SetStageTemp(42.2f, true); // the thermistor reads 0.2 high: the stage goes to 42
    f.clock.advance(3 * 3600.0);
    ASSERT_TRUE(f.links.ReadDisplacement());
    const double grown = 2.0 * 1e-6 * sim::ExpansionCurve::Copper().integral(22.0, 42.0) -
                         (2.0 + 6.667) * 1e-6 * sim::FixtureFrameExpansion().integral(22.0, 42.0);
    EXPECT_NEAR(f.links.IndicatorReading(), 0.1 + grown, 0.000005);
}

TEST(DisplacementLink, AnswersOfTheWrongLengthFailAfterFourAttemptsAndKeepTheReading) {
    for (const sim::Fault fault :
         {sim::Fault::Short, sim::Fault::Long, sim::Fault::Silence, sim::Fault::Delay}) {
        SCOPED_TRACE(sim::FaultName(fault));
        LinkFixture f;
        ASSERT_TRUE(f.links.ReadDisplacement());
        f.sim.sensor.delaySeconds = 10.0;
        f.sim.sensor.inject(fault);
        const double start = f.clock.elapsedSeconds();
        EXPECT_FALSE(f.links.ReadDisplacement());
        EXPECT_EQ(f.sim.sensor.commands().size(), 5u) << "four attempts";
        EXPECT_LE(f.clock.elapsedSeconds() - start, 4 * 3.0) << "each within its deadline";
        EXPECT_FLOAT_EQ(f.links.IndicatorReading(), 0.1f);
        EXPECT_FALSE(f.p1.portOpen()) << "a failed attempt closes the link";
        f.sim.sensor.clearFaults();
        f.clock.advance(5.0); // a late answer is still on its way
        (void)f.links.ReadDisplacement();
        EXPECT_TRUE(f.links.ReadDisplacement()) << "the next tick recovers";
    }
}

TEST(DisplacementLink, AnAnswerLateByLessThanAnAttemptIsTakenByTheNextAttempt) {
    // The sensor's input is not cleared before a command: a late answer is read as the
    // answer to the next one, so a persistently slow sensor gives readings one attempt old.
    LinkFixture f;
    f.sim.sensor.delaySeconds = 3.0;
    f.sim.sensor.inject(sim::Fault::Delay, 1);
    EXPECT_TRUE(f.links.ReadDisplacement());
    EXPECT_EQ(f.sim.sensor.commands().size(), 2u);
}

TEST(DisplacementLink, AGarbledAnswerIsAFailedAttemptAndANegativeReadingIsTakenAsItIs) {
    LinkFixture f;
    ASSERT_TRUE(f.links.ReadDisplacement());
    f.sim.sensor.clearCommands();
    f.sim.sensor.inject(sim::Fault::Garbled, 1);
    EXPECT_TRUE(f.links.ReadDisplacement()) << "the second attempt reads";
    EXPECT_EQ(f.sim.sensor.commands().size(), 2u);
    EXPECT_FLOAT_EQ(f.links.IndicatorReading(), 0.1f) << "never 0 from a garbled answer";
    f.sim.sensor.inject(sim::Fault::Garbled);
    EXPECT_FALSE(f.links.ReadDisplacement()) << "four garbled answers: no reading";
    EXPECT_FLOAT_EQ(f.links.IndicatorReading(), 0.1f);
    f.sim.sensor.clearFaults();
    f.sim.sensor.inject(sim::Fault::Negative, 1);
    EXPECT_TRUE(f.links.ReadDisplacement());
    EXPECT_FLOAT_EQ(f.links.IndicatorReading(), -0.1f);
}

TEST(DisplacementLink, AVanishedSensorFailsWithoutErrorsAndIsFoundAgainWhenBack) {
    LinkFixture f;
    ASSERT_TRUE(f.links.ReadDisplacement());
    f.board.vanish(1);
    EXPECT_FALSE(f.p1.portOpen()) << "the lost link is closed";
    EXPECT_FALSE(f.links.ReadDisplacement());
    EXPECT_TRUE(f.op.messages.empty());
    f.board.restore(1);
    EXPECT_TRUE(f.links.ReadDisplacement());
}

TEST(DisplacementLink, ATimerDueDuringTheReadRunsAfterIt) {
    LinkFixture f;
    std::vector<bool> busyWhenFired;
    const TimerId t = f.clock.startTimer(0.2, [&] { busyWhenFired.push_back(f.links.LinkBusy()); });
    const double start = f.clock.elapsedSeconds();
    ASSERT_TRUE(f.links.ReadDisplacement());
    EXPECT_GE(f.clock.elapsedSeconds() - start, 0.5) << "the read waits half a second at least";
    EXPECT_TRUE(busyWhenFired.empty()) << "nothing ran inside the read";
    f.clock.advance(0.01);
    EXPECT_EQ(busyWhenFired, std::vector<bool>{false}) << "the timer fired once, after the read";
    f.clock.stopTimer(t);
    EXPECT_TRUE(f.stalls.empty());
}

TEST(DisplacementLink, TheSensorDoesNotUnderstandTheControllersLineRate) {
    LinkFixture f;
    f.ports.keyence = 2; // the sensor's link pointed at the controller
    EXPECT_FALSE(f.links.ReadDisplacement());
    EXPECT_GT(f.sim.controller.noiseBytes(), 0u) << "9600 baud arrives at 230400 as noise";
    EXPECT_TRUE(f.sim.controller.commands().empty());
}

} // namespace
} // namespace dilato
