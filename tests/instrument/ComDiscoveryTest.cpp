// COM enumeration, the instrument link check, and the links' open and close rules.

#include "DiscoveryFixture.h"

#include "platform/ProgramEnd.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::DiscoveryFixture;
using test::LinkFixture;

TEST(ComDiscovery, EnumeratesThePortsThatOpenAndLogsEach) {
    DiscoveryFixture f;
    f.board.plug(4, f.sim.calibrator);
    f.board.vanish(2);
    ASSERT_TRUE(f.discovery.EnumComPorts());
    EXPECT_EQ(f.discovery.ComPorts(), (std::vector<int>{1, 3, 4}));
    ASSERT_EQ(f.log.entries.size(), 3u);
    EXPECT_EQ(f.log.entries[0],
              (std::pair<std::string, TestLogKind>{"Serial Port COM 1 found", TestLogKind::Status}));
    EXPECT_FALSE(f.p1.portOpen()) << "each port is closed again";

    f.board.vanish(1);
    f.board.vanish(3);
    f.board.vanish(4);
    EXPECT_FALSE(f.discovery.EnumComPorts());
    EXPECT_TRUE(f.discovery.ComPorts().empty());
}

TEST(ComDiscovery, APortHeldElsewhereIsSkipped) {
    DiscoveryFixture f;
    sim::SimSerialPort other(f.board, f.clock);
    other.setCommPort(2);
    other.setPortOpen(true);
    ASSERT_TRUE(f.discovery.EnumComPorts());
    EXPECT_EQ(f.discovery.ComPorts(), (std::vector<int>{1, 3}));
}

TEST(ComDiscovery, LinkCheckAsksOnlyAboutTheInstrumentThatFailed) {
    DiscoveryFixture f;
    f.board.vanish(1);
    f.op.queueAnswer(MessageAnswer::Yes);
    f.discovery.CheckInstrumentLinks();
    ASSERT_EQ(f.op.messages.size(), 1u);
    EXPECT_EQ(f.op.last().title, "Displacement Sensor COM Error");
    EXPECT_EQ(f.op.last().text, "COM error with displacement sensor, would you like to run the "
                                "COM configuration utility?\n\nA 'No' will start the software "
                                "in Demo mode....");
    EXPECT_EQ(f.op.last().buttons, MessageButtons::YesNo);
    EXPECT_EQ(f.op.last().icon, MessageIcon::Exclamation);
    EXPECT_EQ(f.dialog.shown, 1);
    EXPECT_FALSE(f.links.DemoMode());
}

TEST(ComDiscovery, NoToTheControllerQuestionStartsDemoMode) {
    DiscoveryFixture f;
    f.board.vanish(2);
    f.op.queueAnswer(MessageAnswer::No);
    f.discovery.CheckInstrumentLinks();
    ASSERT_EQ(f.op.messages.size(), 1u);
    EXPECT_EQ(f.op.last().title, "Temp-Stage COM Error");
    EXPECT_EQ(f.op.last().text, "COM error with Temp-Stage controller, would you like to run "
                                "the COM configuration utility?\n\nA 'No' will start the "
                                "software in Demo mode....");
    EXPECT_TRUE(f.links.DemoMode());
    EXPECT_EQ(f.dialog.shown, 0);
}

TEST(ComDiscovery, WhileRunningTheQuestionSaysANoSwitchesToDemoMode) {
    DiscoveryFixture f;
    f.board.vanish(2);
    f.op.queueAnswer(MessageAnswer::No);
    f.discovery.CheckInstrumentLinks(false);
    ASSERT_EQ(f.op.messages.size(), 1u);
    EXPECT_EQ(f.op.last().text, "COM error with Temp-Stage controller, would you like to run "
                                "the COM configuration utility?\n\nA 'No' will switch the "
                                "software to Demo mode: the instruments are no longer read....");
    EXPECT_TRUE(f.links.DemoMode());
}

TEST(ComDiscovery, DemoModeChosenForTheSensorSparesTheSecondQuestion) {
    DiscoveryFixture f;
    f.board.vanish(1);
    f.board.vanish(2);
    f.op.queueAnswer(MessageAnswer::No);
    f.discovery.CheckInstrumentLinks();
    EXPECT_EQ(f.op.messages.size(), 1u) << "in demo mode the controller read succeeds";
    EXPECT_TRUE(f.links.DemoMode());
}

TEST(InstrumentLinks, OpenAndCloseRules) {
    LinkFixture f;
    EXPECT_FALSE(f.links.OpenCommPort(false, Link::Displacement)) << "closing a closed link fails";
    EXPECT_TRUE(f.links.OpenCommPort(true, Link::Displacement));
    EXPECT_TRUE(f.links.OpenCommPort(true, Link::Displacement)) << "already open";
    EXPECT_TRUE(f.links.OpenCommPort(true, Link::All)) << "all links: nothing to open";
    f.links.calibratorComPort = 3;
    EXPECT_TRUE(f.links.OpenCommPort(true, Link::Calibrator));
    EXPECT_TRUE(f.links.OpenCommPort(true, Link::TempStage));
    EXPECT_TRUE(f.links.OpenCommPort(false, Link::All)) << "close all";
    EXPECT_FALSE(f.p1.portOpen());
    EXPECT_FALSE(f.p2.portOpen());
    EXPECT_FALSE(f.p3.portOpen());

    f.ports.keyence = 0;
    f.p1.setCommPort(3);
    EXPECT_FALSE(f.links.OpenCommPort(true, Link::Displacement))
        << "an unassigned port does not open COM3";
    EXPECT_FALSE(f.p1.portOpen());

    // the calibrator's link moves when its port changes
    f.links.calibratorComPort = 1;
    EXPECT_TRUE(f.links.OpenCommPort(true, Link::Calibrator));
    EXPECT_EQ(f.p3.commPort(), 1);
}

TEST(SerialFacility, NumberedFailures) {
    LinkFixture f;
    auto number = [](auto&& action) {
        try {
            action();
        } catch (const SerialError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(number([&] { f.p1.setCommPort(17); }), 8002);
    EXPECT_EQ(number([&] {
                  f.p1.setCommPort(9);
                  f.p1.setPortOpen(true);
              }),
              8002);
    EXPECT_EQ(number([&] { (void)f.p1.input(); }), 8012);
    EXPECT_EQ(number([&] { f.p1.output("x"); }), 8012);
    EXPECT_EQ(number([&] { f.p1.setInBufferCount(0); }), 8012);
    EXPECT_EQ(number([&] { f.p1.setSettings("9600,X,8,1"); }), 380);
    f.p1.setCommPort(1);
    f.p1.setPortOpen(true);
    EXPECT_EQ(number([&] { f.p1.setCommPort(2); }), 8005);
    EXPECT_EQ(number([&] { f.p1.setPortOpen(true); }), 8005);
    EXPECT_EQ(number([&] {
                  f.p2.setCommPort(1);
                  f.p2.setPortOpen(true);
              }),
              8005)
        << "held by the other link";
    EXPECT_EQ(number([&] { f.p1.setBaudRate(0); }), 8015);
    f.p1.setInputLen(3);
    f.p1.output("MS\r\n");
    f.clock.advance(0.1);
    EXPECT_EQ(f.p1.input(), "MS,");
    EXPECT_EQ(f.p1.input(), "01,");
    f.p1.setInputLen(0);
    EXPECT_EQ(f.p1.input().size(), 11u);
    EXPECT_EQ(f.p1.input(), "") << "never waits";
}

} // namespace
} // namespace dilato
