// The real serial adapter against the simulated instruments behind pseudo-terminals: the
// bytes really travel through the system's terminal driver. Waits are on deadlines.

#include "LinkFixture.h"

#include "instrument/QtSerialPort.h"
#include "instrument/TeProtocol.h"
#include "sim/PtyHost.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>

#include <QTimer>
#include <sstream>

#include <gtest/gtest.h>
#include <time.h>

namespace dilato {
namespace {

class QtEnvironment final : public ::testing::Environment {
  public:
    void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

  private:
    int argc_ = 1;
    char name_[16] = "test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
};
[[maybe_unused]] const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The program's links on real ports, the instruments on terminals behind COM1 to COM3.
struct PtyFixture {
    explicit PtyFixture(double timeFactor = 1.0)
        : clock(MakeWallClock(timeFactor)), sim(*clock, test::LinkFixture::Quiet()),
          host(*clock, folder.path() + "dev"), p1(map), p2(map), p3(map),
          links(LinkServices{*clock, op, log, parameters, ports, hostSide, {}}, p1, p2, p3) {
        map.set(1, host.add(sim.sensor, "COM1"));
        map.set(2, host.add(sim.controller, "COM2"));
        map.set(3, host.add(sim.calibrator, "COM3"));
        host.start();
    }
    ~PtyFixture() {
        links.OpenCommPort(false, Link::All);
        host.stop();
    }

    test::TempFolder folder;
    std::unique_ptr<Clock> clock;
    sim::SimInstruments sim;
    sim::PtyHost host;
    PortMap map;
    QtSerialPort p1, p2, p3;
    test::RecordingOperator op;
    test::MemoryLog log;
    SystemParameters parameters;
    test::FakePorts ports;
    test::FakeHost hostSide;
    InstrumentLinks links;
};

TEST(PtyLinks, BothInstrumentsAnswerThroughTheRealAdapter) {
    PtyFixture f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false)) << f.op.texts().size();
    EXPECT_FLOAT_EQ(f.links.SampleTemp(), 22.2f);
    EXPECT_EQ(f.host.lineBaud(f.sim.controller), kTempStageBaud)
        << "the 230400 override reached the terminal";
    EXPECT_EQ(f.p2.baudRate(), kTempStageBaud);
    ASSERT_TRUE(f.links.ReadDisplacement());
    EXPECT_FLOAT_EQ(f.links.IndicatorReading(), 0.1f);
    EXPECT_EQ(f.host.lineBaud(f.sim.sensor), 9600);
    EXPECT_EQ(f.host.withLock([&] { return f.sim.sensor.commands(); }),
              std::vector<std::string>{"MS"});
    EXPECT_TRUE(f.op.messages.empty());
}

TEST(PtyLinks, TheInitialParameterSetArrivesWholeAndReadsBack) {
    PtyFixture f(10.0); // the exchanges' waits pass ten times faster, on both sides
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    f.links.SetStageTemp(30.0f, true);
    EXPECT_TRUE(f.op.messages.empty()) << (f.op.messages.empty() ? "" : f.op.last().text);
    EXPECT_TRUE(f.hostSide.aborts.empty());
    f.host.withLock([&] {
        EXPECT_EQ(f.sim.controller.parameter("1c"), 3000);
        EXPECT_EQ(f.sim.controller.parameter("29"), 200);
        EXPECT_EQ(f.sim.controller.parameter("26"), -32);
        EXPECT_EQ(f.sim.controller.writes(), 15u);
    });
}

TEST(PtyLinks, AVanishedPortIsClosedAndCostsNoProcessor) {
    PtyFixture f;
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, true));
    ASSERT_TRUE(f.links.ReadDisplacement());
    f.host.vanish(f.sim.controller);
    f.host.vanish(f.sim.sensor);

    // The program runs on as the window does: its event loop turns, and a tick reads the
    // controller once a second. Qt reports the dead terminal on every turn of the loop;
    // unless the port is closed, the loop never sleeps again.
    const double cpu0 = ThreadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    int reads = 0;
    const TimerId tick = f.clock->startTimer(1.0, [&] {
        EXPECT_FALSE(f.links.ReadStageTemperature(0, true, true));
        ++reads;
    });
    QEventLoop loop;
    QTimer::singleShot(2500, &loop, &QEventLoop::quit);
    loop.exec();
    f.clock->stopTimer(tick);
    EXPECT_EQ(reads, 2);
    const double share = (ThreadCpuSeconds() - cpu0) / (static_cast<double>(wall.elapsed()) / 1000);
    EXPECT_LT(share, 0.25) << "the lost port must not spin";
    EXPECT_GE(f.p2.lostLinks(), 1) << "the loss was seen by the adapter itself";
    EXPECT_FALSE(f.p2.portOpen());
    EXPECT_GE(f.p2.lostLinks(), 1);
    EXPECT_FALSE(f.links.ReadDisplacement());
    EXPECT_TRUE(f.op.messages.empty());

    f.host.restore(f.sim.controller);
    f.host.restore(f.sim.sensor);
    EXPECT_TRUE(f.links.ReadStageTemperature(0, true, true)) << "reopened through the same name";
    EXPECT_TRUE(f.links.ReadDisplacement());
}

TEST(PtyLinks, EnumerationFindsTheMappedDevicesThatOpen) {
    PtyFixture f;
    struct NoDialog final : ComDialog {
        void ShowSystemComError() override {}
    } dialog;
    ComDiscovery discovery(f.links, dialog);
    ASSERT_TRUE(discovery.EnumComPorts());
    std::vector<int> expected{1, 2, 3};
    for (int n = 4; n <= 16; ++n)
        if (QFileInfo::exists(QString::fromStdString(PortMap::DefaultDevice(n))))
            expected.clear(); // a machine with real ports: only check ours are there
    if (!expected.empty()) {
        EXPECT_EQ(discovery.ComPorts(), expected);
    }
    for (int n : {1, 2, 3})
        EXPECT_NE(std::find(discovery.ComPorts().begin(), discovery.ComPorts().end(), n),
                  discovery.ComPorts().end());
}

} // namespace
} // namespace dilato

namespace dilato {
namespace {

TEST(DilatoSim, TheExecutableServesTheRealAdapter) {
    test::TempFolder folder;
    QProcess sim;
    sim.setProgram(QString::fromUtf8(DILATO_SIM_EXE));
    sim.setArguments({"--link-dir", QString::fromStdString(folder.path() + "dev"), "--seed", "7"});
    sim.start();
    ASSERT_TRUE(sim.waitForStarted(5000));
    // The program options line says where the instruments are.
    std::string banner;
    QElapsedTimer wall;
    wall.start();
    while (banner.find("program options:") == std::string::npos && wall.elapsed() < 10000) {
        sim.waitForReadyRead(200);
        banner += sim.readAllStandardOutput().toStdString();
    }
    ASSERT_NE(banner.find("--port COM2="), std::string::npos) << banner;
    PortMap map;
    const auto eol = banner.find('\n', banner.find("program options:"));
    std::vector<std::string> args;
    std::istringstream options(banner.substr(banner.find("program options:") + 16,
                                             eol - banner.find("program options:") - 16));
    for (std::string word; options >> word;)
        args.push_back(word);
    EXPECT_TRUE(ApplyPortOptions(args, map).empty());

    const auto clock = MakeWallClock();
    QtSerialPort p1(map), p2(map), p3(map);
    test::RecordingOperator op;
    test::MemoryLog log;
    SystemParameters parameters;
    test::FakePorts ports;
    test::FakeHost hostSide;
    InstrumentLinks links(LinkServices{*clock, op, log, parameters, ports, hostSide, {}}, p1, p2,
                          p3);
    EXPECT_TRUE(links.ReadStageTemperature(0, false, false));
    EXPECT_NEAR(links.SampleTemp(), 22.2f, 0.1f);
    EXPECT_TRUE(links.ReadDisplacement());
    EXPECT_NEAR(links.IndicatorReading(), 0.1f, 0.0001f);

    // The calibrator: identification and a reading.
    links.calibratorComPort = 3;
    ASSERT_TRUE(links.OpenCommPort(true, Link::Calibrator));
    p3.output("*IDN?\r");
    std::string answer;
    wall.restart();
    while (answer.find('\n') == std::string::npos && wall.elapsed() < 3000) {
        answer += p3.input();
        clock->idle(0.01);
    }
    EXPECT_EQ(answer.substr(0, 6), "MARTEL");
    links.OpenCommPort(false, Link::All);

    sim.write("quit\n");
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 0);
}

} // namespace
} // namespace dilato
