// A whole calibration through the real serial adapter: the simulated instruments, the
// reference calibrator among them, sit behind pseudo-terminals on a thread of their own, and
// the program's clock runs fifty times faster than the wall.

#include "CalibrationBench.h"

#include "instrument/QtSerialPort.h"
#include "platform/Files.h"
#include "sim/PtyHost.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace dilato {
namespace {

// The clock runs this many times faster than the wall. A sanitized build is several times
// slower, so it gets a slower clock: a second of the program must stay long enough for the
// instruments' answers to arrive over the pseudo-terminals.
#if defined(__SANITIZE_ADDRESS__)
constexpr double kTimeScale = 10.0;
#else
constexpr double kTimeScale = 50.0;
#endif

TEST(CalibrationPty, FivePointsWithTheSerialCalibratorBehindAPseudoTerminal) {
    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    test::TempFolder dir;
    auto clock = MakeWallClock(kTimeScale);
    sim::SimInstruments instruments(*clock, test::MiscalibratedStage());
    sim::PtyHost host(*clock, dir.path() + "dev");
    PortMap map;
    map.set(1, host.add(instruments.sensor, "COM1"));
    map.set(2, host.add(instruments.controller, "COM2"));
    map.set(3, host.add(instruments.calibrator, "COM3"));
    host.start();
    QtSerialPort p1(map), p2(map), p3(map);
    test::RecordingOperator op;
    test::RecordingTermination termination;
    test::NoComDialog comDialog;
    test::ScriptedDialogs dialogs;
    Program p(ProgramAdapters{*clock, op, termination, comDialog, p1, p2, p3, dir.path() + "app/",
                              dir.path() + "sys/", {}});
    CalibrationSession cal(p, dialogs);
    ASSERT_TRUE(test::PrepareSimulatedTest(p, op, "Pty"));
    p.settings.calibratorType = tccal::Martel8010;
    ASSERT_TRUE(p.discovery.EnumComPorts());
    p.StartInstruments();
    cal.tab.EnterInstCalib();
    cal.tab.Cal();
    const QDateTime started = clock->now();
    while (cal.calibration.outcome == CalOutcome::None &&
           cal.calibration.CalRunState == calrun::Running &&
           started.secsTo(clock->now()) < 4 * 3600)
        clock->idle(0.05);
    p.links.OpenCommPort(false, Link::All);
    host.stop();

    ASSERT_EQ(cal.calibration.outcome, CalOutcome::Succeeded)
        << cal.view.messageText << (op.messages.empty() ? "" : " / " + op.last().text);
    // The stage controller's link may complain about a late answer on a busy machine; the
    // calibration's own outcome is what this test is about.
    for (const auto& text : op.texts())
        std::printf("message shown: %s\n", text.c_str());
    const sim::StageParams stage = instruments.bench.params().stage;
    for (double t = -10; t <= 90; t += 10) {
        const double raw = t * stage.thermistorSlope + stage.thermistorOffset;
        EXPECT_NEAR(raw * p.params.Scale(3) + p.params.Scale(4), t, 0.05) << t;
        EXPECT_NEAR(sim::SettledStageTemp(stage, t * p.params.Scale(1) + p.params.Scale(2)), t,
                    0.05)
            << t;
    }
    EXPECT_TRUE(IsFile(p.folders.SysFolder + "Calib-1234/Cal_1.txt"));
}

} // namespace
} // namespace dilato
