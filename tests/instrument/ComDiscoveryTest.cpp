// COM enumeration, the instrument link check and the COM configuration dialog's rules.

#include "LinkFixture.h"

#include "instrument/SystemComErrorForm.h"
#include "platform/ProgramEnd.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::LinkFixture;

struct ScriptedDialog final : ComDialog {
    void ShowSystemComError() override {
        ++shown;
        if (onShow) onShow();
    }
    int shown = 0;
    std::function<void()> onShow;
};

struct DiscoveryFixture : LinkFixture {
    ScriptedDialog dialog;
    ComDiscovery discovery{links, dialog};
};

TEST(ComDiscovery, EnumeratesThePortsThatOpenAndLogsEach) {
    DiscoveryFixture f;
    f.board.plug(4, f.sim.calibrator);
    f.board.vanish(2);
    ASSERT_TRUE(f.discovery.EnumComPorts());
    EXPECT_EQ(f.discovery.ComPorts(), (std::vector<int>{1, 3, 4}));
    ASSERT_EQ(f.log.entries.size(), 3u);
    EXPECT_EQ(f.log.entries[0], (std::pair<std::string, int>{"Serial Port COM 1 found", 17}));
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

struct FormFixture : DiscoveryFixture {
    FormFixture() {
        board.plug(4, sim.calibrator);
        (void)discovery.EnumComPorts(); // 1, 2, 3, 4
    }
    SystemComErrorForm form{links, discovery.ComPorts()};
};

TEST(SystemComErrorForm, ListsThePortsWithDashesForAMissingOne) {
    FormFixture f;
    f.ports.keyence = 0;
    f.ports.te = 3;
    f.form.Activate();
    EXPECT_EQ(f.form.displacementPorts.items, (std::vector<std::string>{"--", "1", "2", "3", "4"}));
    EXPECT_EQ(f.form.displacementPorts.text(), "--");
    EXPECT_EQ(f.form.tempStagePorts.items, (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(f.form.tempStagePorts.text(), "3");
    f.form.Activate();
    EXPECT_EQ(f.form.tempStagePorts.items.size(), 4u) << "a second showing starts afresh";
}

TEST(SystemComErrorForm, SearchesFindBothInstrumentsAndTheTeSearchSkipsTheSensorsPort) {
    FormFixture f;
    // The instruments sit on swapped ports.
    f.board.plug(1, f.sim.controller);
    f.board.plug(2, f.sim.sensor);
    f.ports.keyence = 0;
    f.ports.te = 0;
    f.form.Activate();
    f.form.FindDisplacementPort();
    EXPECT_EQ(f.ports.keyence, 2);
    EXPECT_EQ(f.form.displacementPorts.text(), "2") << "position + 1 behind the dashes";
    EXPECT_TRUE(f.form.enabled);
    EXPECT_FALSE(f.op.busyPointerShown());

    f.sim.sensor.clearCommands();
    f.form.FindTempStagePort();
    EXPECT_EQ(f.ports.te, 1);
    EXPECT_EQ(f.form.tempStagePorts.text(), "1");
    EXPECT_TRUE(f.sim.sensor.commands().empty()) << "the sensor's port is never probed";
    EXPECT_TRUE(f.op.messages.empty());

    ASSERT_TRUE(f.form.AcceptPorts());
    EXPECT_EQ(f.ports.saves, 1);
    EXPECT_TRUE(f.form.closed);
}

TEST(SystemComErrorForm, TheSearchTriesEachPortAfreshEvenWithTheLinkStillOpen) {
    FormFixture f;
    f.board.plug(1, f.sim.calibrator);
    f.board.plug(3, f.sim.sensor);
    f.ports.keyence = 3;
    ASSERT_TRUE(f.links.ReadDisplacement()); // link 1 open on COM3
    f.form.Activate();
    f.form.FindDisplacementPort();
    EXPECT_EQ(f.ports.keyence, 3) << "COM1 was tried on COM1, not on the open COM3";
}

TEST(SystemComErrorForm, ASearchThatFindsNothingEndsTheProgram) {
    FormFixture f;
    f.board.vanish(1);
    f.form.Activate();
    EXPECT_THROW(f.form.FindDisplacementPort(), ProgramEnd);
    EXPECT_EQ(f.op.last().text, "No Displacement Sensor COM link found.  Check cable connection");
    EXPECT_EQ(f.op.last().title, "No Displacement Sensor COM-Link");

    FormFixture g;
    g.board.vanish(2);
    g.form.Activate();
    EXPECT_THROW(g.form.FindTempStagePort(), ProgramEnd);
    EXPECT_EQ(g.op.last().text, "No Temp-Stage COM link found.  Check cable connection");
    EXPECT_EQ(g.op.last().title, "No Temp-Stage COM-Link");
}

TEST(SystemComErrorForm, OkAcceptsOnlyTwoDistinctPorts) {
    FormFixture f;
    f.ports.keyence = 0;
    f.form.Activate();
    EXPECT_FALSE(f.form.AcceptPorts());
    EXPECT_EQ(f.op.last().text,
              "You must specify a COM port for both the Displacement Sensor and Temp-Stage!");
    EXPECT_EQ(f.op.last().icon, MessageIcon::Critical);

    f.form.displacementPorts.listIndex = 2; // "2", the controller's port too
    EXPECT_FALSE(f.form.AcceptPorts());
    EXPECT_EQ(f.op.last().text, "You must specify a unique COM port for the Displacement Sensor "
                                "and the Temp-Stage!");
    EXPECT_EQ(f.ports.keyence, 0) << "a refused choice is not taken over";
    EXPECT_EQ(f.ports.saves, 0);
    EXPECT_FALSE(f.form.closed);

    f.form.displacementPorts.listIndex = 4; // "4"
    EXPECT_TRUE(f.form.AcceptPorts());
    EXPECT_EQ(f.ports.keyence, 4);
    EXPECT_EQ(f.ports.te, 2);
    EXPECT_EQ(f.ports.saves, 1);
}

TEST(SystemComErrorForm, DemoModeClosesWithoutSaving) {
    FormFixture f;
    f.form.Activate();
    f.form.ChooseDemoMode();
    EXPECT_TRUE(f.links.DemoMode());
    EXPECT_TRUE(f.form.closed);
    EXPECT_EQ(f.ports.saves, 0);
}

TEST(InstrumentLinks, OpenAndCloseRules) {
    LinkFixture f;
    EXPECT_FALSE(f.links.OpenCommPort(false, 1)) << "closing a closed link fails";
    EXPECT_TRUE(f.links.OpenCommPort(true, 1));
    EXPECT_TRUE(f.links.OpenCommPort(true, 1)) << "already open";
    EXPECT_TRUE(f.links.OpenCommPort(true, 9)) << "other numbers: nothing to do";
    f.links.calibratorComPort = 3;
    EXPECT_TRUE(f.links.OpenCommPort(true, 3));
    EXPECT_TRUE(f.links.OpenCommPort(true, 2));
    EXPECT_TRUE(f.links.OpenCommPort(false, 0)) << "close all";
    EXPECT_FALSE(f.p1.portOpen());
    EXPECT_FALSE(f.p2.portOpen());
    EXPECT_FALSE(f.p3.portOpen());

    f.ports.keyence = 0;
    f.p1.setCommPort(3);
    EXPECT_FALSE(f.links.OpenCommPort(true, 1)) << "an unassigned port does not open COM3";
    EXPECT_FALSE(f.p1.portOpen());

    // the calibrator's link moves when its port changes
    f.links.calibratorComPort = 1;
    EXPECT_TRUE(f.links.OpenCommPort(true, 3));
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
