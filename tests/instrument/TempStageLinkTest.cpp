// The Temp-Stage controller link against the simulated controller, on the virtual clock.

#include "LinkFixture.h"

#include "instrument/TeProtocol.h"
#include "platform/ProgramEnd.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace dilato {
namespace {

using test::LinkFixture;

std::string Frame(std::string_view code, double value) {
    return BuildTeFrame(std::string(code) + EncodeTeValue(value));
}

// The bytes a parameter write with read-back puts on the line.
std::string WriteWithReadBack(int index, double value) {
    const auto p = FindTeParameter(index);
    std::string bytes = Frame(p->writeCode, index == 0 ? value * 100 : value);
    if (!p->readCode.empty()) bytes += BuildTeFrame(std::string(p->readCode) + "0000");
    return bytes;
}

TEST(TempStageLink, ReadsTheStageTemperatureRawOrThroughScale3And4) {
    LinkFixture f;
    f.sim.bench.params().stage.thermistorOffset = 0.0;
    f.parameters.Scale(3) = 1.01f;
    f.parameters.Scale(4) = -0.5f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    EXPECT_EQ(f.p2.written(), kTeReadSensor0);
    EXPECT_EQ(f.p2.baudRate(), kTempStageBaud) << "link 2 runs at 230400 on the open port";
    EXPECT_FLOAT_EQ(f.links.SampleTemp(), 22.0f) << "the raw thermistor reading";

    ASSERT_TRUE(f.links.ReadStageTemperature(0, false, false));
    EXPECT_FLOAT_EQ(f.links.SampleTemp(), 22.0f * 1.01f - 0.5f);

    f.p2.clearWritten();
    ASSERT_TRUE(f.links.ReadStageTemperature(1, true, false));
    EXPECT_EQ(f.p2.written(), kTeReadSensor1);
    f.p2.clearWritten();
    ASSERT_TRUE(f.links.ReadStageTemperature(7, true, false)) << "other sensors read sensor 0";
    EXPECT_EQ(f.p2.written(), kTeReadSensor0);
    EXPECT_FALSE(f.links.LinkBusy());
    EXPECT_TRUE(f.op.messages.empty());
}

TEST(TempStageLink, ReadPausesRunningTicksAndRestoresThem) {
    LinkFixture f;
    f.host.active = true;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    EXPECT_TRUE(f.host.active);
    EXPECT_EQ(f.host.suspends, 1);
    EXPECT_EQ(f.host.enables, 1);
    f.host.active = false;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    EXPECT_FALSE(f.host.active) << "ticks that were off stay off";
}

TEST(TempStageLink, FirstSetPointSendsTheInitialParameterSetWithReadBack) {
    LinkFixture f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false)); // opens the link
    f.p2.clearWritten();
    f.links.SetStageTemp(20.0f, true);

    std::string expected;
    for (const auto& s : kTeInitialSettings)
        expected += WriteWithReadBack(s.index, s.value);
    expected += WriteWithReadBack(0, 20.0) + WriteWithReadBack(2, -32);
    EXPECT_EQ(f.p2.written(), expected);
    // the first frames, spelled out: index 3 = -35 and its read-back
    EXPECT_EQ(f.p2.written().substr(0, 20), "*22ffddf8\r*5600002b\r");
    EXPECT_NE(f.p2.written().find("*7500002c\r"), std::string::npos)
        << "parameter 9 is written without a read-back";
    EXPECT_TRUE(f.links.ControllerReady());
    EXPECT_EQ(f.host.initialisingShown, 1);
    EXPECT_TRUE(f.op.busyPointerShown()) << "the hourglass stays until the next read pass";
    EXPECT_TRUE(f.op.messages.empty()) << "every read-back matched";
    EXPECT_EQ(f.sim.controller.parameter("29"), 200);
    EXPECT_EQ(f.sim.controller.parameter("22"), -35);
    EXPECT_EQ(f.sim.controller.parameter("1c"), 2000);
    EXPECT_EQ(f.links.CommandedTemp(), 20);
}

TEST(TempStageLink, SetPointsUseScale1And2AndTheWholeDegreeRule) {
    LinkFixture f;
    f.parameters.Scale(1) = 1.02f;
    f.parameters.Scale(2) = -0.6f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    f.links.SetStageTemp(20.0f, true); // initialisation out of the way
    f.p2.clearWritten();

    f.links.SetStageTemp(25.0f, false);
    const float commanded = 25.0f * 1.02f - 0.6f; // 24.9
    EXPECT_EQ(f.p2.written(), WriteWithReadBack(0, commanded) + "*26ffe0c9\r*5a000056\r");
    EXPECT_EQ(f.sim.controller.parameter("1c"), 2490);
    EXPECT_EQ(f.links.CommandedTemp(), 25) << "the wanted, uncalibrated temperature";

    f.p2.clearWritten();
    f.links.SetStageTemp(25.0f, false);
    EXPECT_EQ(f.p2.written(), "") << "the same whole degree sends nothing";

    f.links.SetStageTemp(25.0f, true);
    EXPECT_EQ(f.p2.written(), "") << "raw or not: the comparison is with the wanted value";

    f.links.SetStageTemp(25.5f, true);
    EXPECT_EQ(f.p2.written().substr(0, 10), "*1c09f6" + TeChecksum("1c09f6") + "\r");
    EXPECT_EQ(f.links.CommandedTemp(), 26) << "25.5 rounds to even";
    f.p2.clearWritten();
    f.links.SetStageTemp(25.5f, true);
    EXPECT_NE(f.p2.written(), "") << "25.5 differs from the stored 26 and is sent again";
    f.links.SetStageTemp(24.5f, true);
    EXPECT_EQ(f.links.CommandedTemp(), 24);
}

TEST(TempStageLink, TestModeIsWrittenOnlyWhenItChanges) {
    LinkFixture f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    f.p2.clearWritten();
    f.links.SetStageTestMode(false, true);
    EXPECT_EQ(f.p2.written(), "") << "off at start";
    f.links.SetStageTestMode(true, false);
    EXPECT_EQ(f.p2.written(), "*29001935\r" + BuildTeFrame("5d0000"));
    EXPECT_TRUE(f.links.TestModeOn());
    f.p2.clearWritten();
    f.links.SetStageTestMode(true, false);
    EXPECT_EQ(f.p2.written(), "");
    f.links.SetStageTestMode(false, true);
    EXPECT_EQ(f.p2.written(), "*29004b61\r" + BuildTeFrame("5d0000"));
    EXPECT_EQ(f.sim.controller.parameter("29"), 75);
}

TEST(TempStageLink, DemoModeSendsNothingAndKeepsTheReadings) {
    LinkFixture f;
    f.links.setDemoMode();
    f.host.active = true;
    EXPECT_TRUE(f.links.ReadStageTemperature(0, false, false));
    EXPECT_TRUE(f.links.ReadDisplacement());
    f.links.SetStageTemp(30.0f, false);
    f.links.SetStageTestMode(true, false);
    EXPECT_EQ(f.p1.written() + f.p2.written() + f.p3.written(), "");
    EXPECT_FALSE(f.p1.portOpen());
    EXPECT_FALSE(f.p2.portOpen());
    EXPECT_FLOAT_EQ(f.links.SampleTemp(), 0.0f);
    EXPECT_FLOAT_EQ(f.links.IndicatorReading(), 0.0f);
    EXPECT_TRUE(f.host.active) << "the ticks come back after each routine";
}

TEST(TempStageLink, ReadBackThatDiffersIsReported) {
    LinkFixture f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    f.sim.controller.inject(sim::Fault::Garbled, 1, 1); // the read-back answer only
    f.links.WriteStageParameter(110.0f, 4);
    EXPECT_EQ(f.op.texts(), std::vector<std::string>{"Error in Temp-controller: response to "
                                                     "set-command and read-back are not "
                                                     "identical."});
    EXPECT_TRUE(f.host.aborts.empty());
}

TEST(TempStageLink, AWriteWithoutAnswerAbortsOnceAndClosesTheLink) {
    LinkFixture f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    f.sim.controller.inject(sim::Fault::Silence);
    const double before = f.clock.elapsedSeconds();
    f.links.WriteStageParameter(3.0f, 13);
    EXPECT_EQ(f.host.aborts, std::vector<int>{4});
    EXPECT_FALSE(f.p2.portOpen());
    EXPECT_TRUE(f.op.messages.empty()) << "the further failures give up without a word";
    EXPECT_LT(f.clock.elapsedSeconds() - before, 30.0) << "bounded by the deadlines";

    f.sim.controller.clearFaults();
    EXPECT_TRUE(f.links.ReadStageTemperature(0, true, false)) << "the next read reopens the link";
    f.links.WriteStageParameter(3.0f, 13);
    EXPECT_EQ(f.host.aborts.size(), 1u);
    EXPECT_EQ(f.sim.controller.parameter("20"), 3);
}

TEST(TempStageLink, TheAbortsOwnTestModeWriteDoesNotAbortAgain) {
    // The abort stops the test, and stopping switches the test mode off over the same link.
    LinkFixture f;
    struct StoppingHost final : LinkHost {
        test::FakeHost& inner;
        InstrumentLinks* links = nullptr;
        explicit StoppingHost(test::FakeHost& h) : inner(h) {}
        void SuspendTicks() override { inner.SuspendTicks(); }
        void EnableTicks() override { inner.EnableTicks(); }
        bool TicksActive() const override { return inner.TicksActive(); }
        void ShowStageInitializing() override {}
        void AbortErrors(int failureKind) override {
            inner.AbortErrors(failureKind);
            if (inner.aborts.size() > 3) throw std::runtime_error("aborts without end");
            links->SetStageTestMode(false, true);
        }
    } host(f.host);
    InstrumentLinks links(
        LinkServices{f.clock, f.op, f.log, f.parameters, f.ports, host, [](double) {}}, f.p1, f.p2,
        f.p3);
    host.links = &links;
    ASSERT_TRUE(links.ReadStageTemperature(0, true, false));
    links.SetStageTestMode(true, false);
    ASSERT_TRUE(links.TestModeOn());
    f.sim.controller.inject(sim::Fault::Silence);
    links.SetStageTestMode(false, true);
    EXPECT_EQ(f.host.aborts, std::vector<int>{4});
    EXPECT_TRUE(f.op.messages.empty()) << (f.op.messages.empty() ? "" : f.op.last().text);
}

TEST(TempStageLink, InitialisingWithTicksRunningEndsTheProgram) {
    LinkFixture f;
    f.host.active = true;
    EXPECT_THROW(f.links.InitTempController(), ProgramEnd);
    EXPECT_EQ(f.op.last().text, "Error: cannot InitTempController with ADreads ON");
}

TEST(TempStageLink, AnUnknownParameterIsReportedNotSent) {
    LinkFixture f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    f.p2.clearWritten();
    f.links.WriteStageParameter(1.0f, 5);
    EXPECT_EQ(f.p2.written(), "");
    EXPECT_EQ(f.op.last().text, "Error in oKSendTeTcTemp: Subscript out of range");
}

TEST(TempStageLink, TheLinkFreeWaitCostsItsWholeBoundWhenBusy) {
    // Nothing runs inside an exchange, so a link routine finds the link busy only when it is
    // called from a box shown in the middle of another: here a set point whose read-back
    // disagrees, and a displacement read asked for while that box is up.
    LinkFixture f;
    struct BoxOperator final : Operator {
        explicit BoxOperator(test::RecordingOperator& r) : inner(r) {}
        MessageAnswer show(const Message& m) override {
            if (whileShown) std::exchange(whileShown, {})();
            return inner.show(m);
        }
        void setBusyPointer(bool b) override { inner.setBusyPointer(b); }
        bool busyPointerShown() const override { return inner.busyPointerShown(); }
        void playSound(const std::string& path) override { inner.playSound(path); }
        test::RecordingOperator& inner;
        std::function<void()> whileShown;
    } op(f.op);
    InstrumentLinks links(LinkServices{f.clock, op, f.log, f.parameters, f.ports, f.host,
                                       [&f](double s) {
                                           f.stalls.push_back(s);
                                           f.clock.advance(s);
                                       }},
                          f.p1, f.p2, f.p3);
    ASSERT_TRUE(links.ReadStageTemperature(0, true, false));
    bool busySeen = false;
    op.whileShown = [&] {
        busySeen = links.LinkBusy();
        EXPECT_TRUE(links.ReadDisplacement());
    };
    f.sim.controller.inject(sim::Fault::Garbled, 1, 1); // the first read-back
    links.SetStageTemp(20.0f, true);
    EXPECT_EQ(f.op.messages.front().text, "Error in Temp-controller: response to set-command "
                                          "and read-back are not identical.");
    EXPECT_TRUE(busySeen);
    EXPECT_EQ(f.stalls, std::vector<double>{kLinkFreeWaitSeconds});
    EXPECT_FALSE(links.LinkBusy());
    f.stalls.clear();
    links.WaitLinkFree();
    EXPECT_TRUE(f.stalls.empty()) << "a free link costs nothing";
}

} // namespace
} // namespace dilato

namespace dilato {
namespace {

TEST(TempStageLink, ReadFaultsFailWithinTheDeadlinesAndTheNextReadRecovers) {
    struct Case {
        sim::Fault fault;
        size_t frames; // read frames the controller received
    };
    for (const Case c :
         {Case{sim::Fault::Short, 4}, Case{sim::Fault::Long, 4}, Case{sim::Fault::Silence, 4},
          Case{sim::Fault::Garbled, 4}, Case{sim::Fault::Delay, 4}}) {
        SCOPED_TRACE(sim::FaultName(c.fault));
        test::LinkFixture f;
        ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
        f.sim.controller.clearCommands();
        f.sim.controller.delaySeconds = 10.0; // past all four attempts
        f.sim.controller.inject(c.fault);
        const double start = f.clock.elapsedSeconds();
        EXPECT_FALSE(f.links.ReadStageTemperature(0, true, false));
        EXPECT_EQ(f.sim.controller.commands().size(), c.frames)
            << "an answer without a number is retried like silence";
        EXPECT_LE(f.clock.elapsedSeconds() - start, 4 * 2.0 + 0.1);
        EXPECT_TRUE(f.op.messages.empty()) << "no box for a bad or missing answer";
        EXPECT_FLOAT_EQ(f.links.SampleTemp(), 22.2f) << "the last reading stays";
        f.sim.controller.clearFaults();
        EXPECT_TRUE(f.links.ReadStageTemperature(0, true, false)) << "the next tick recovers";
    }
}

TEST(TempStageLink, AVanishedControllerFailsQuietlyAndIsFoundAgainWhenBack) {
    test::LinkFixture f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    f.board.vanish(2);
    EXPECT_FALSE(f.links.ReadStageTemperature(0, true, false));
    EXPECT_TRUE(f.op.messages.empty());
    f.links.SetStageTemp(30.0f, true); // writes on a dead link give up without a word
    EXPECT_TRUE(f.op.messages.empty());
    f.board.restore(2);
    EXPECT_TRUE(f.links.ReadStageTemperature(0, true, false));
}

TEST(TempStageLink, ANegativeStageTemperatureDecodes) {
    test::LinkFixture f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    f.links.SetStageTemp(-20.0f, true);
    f.clock.advance(3600);
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    EXPECT_NEAR(f.links.SampleTemp(), -20.0f, 0.01f);
    EXPECT_NEAR(f.sim.bench.stageTemp(), -20.2, 0.01) << "the thermistor reads 0.2 high";
}

} // namespace
} // namespace dilato
