// wait-figures: how the program waits, against the simulated instruments of dilato-sim running
// as a process of its own (so that its work is not counted as the program's):
//  - the time of one Temp-Stage read over a pseudo-terminal through the real serial adapter
//    (median and longest of 200), beside what the line and the controller take at the least:
//    18 characters at 230400 baud, 10 bits each, and the controller's reaction;
//  - the processor share of the window program idle on the Test tab at time scale 1 and 60;
//  - the longest time the event loop was blocked (a 10 ms watchdog) during a 3-step test at
//    time scale 20, and how often it was blocked over 50 ms, each block with what ran in it
//    (see LoopSampler) and the load average.
// Arguments name the parts to run (latency, idle1, idle60, test); none runs them all.
// Build it in a release build; run with QT_QPA_PLATFORM=offscreen or on a display. DILATO_SIM
// names another dilato-sim to run than the one built beside it.

#include "GuiProgram.h"
#include "LoopSampler.h"
#include "WindowRobot.h"

#include "instrument/InstrumentLinks.h"
#include "instrument/QtSerialPort.h"
#include "platform/IniFile.h"
#include "sim/LinkSurroundings.h"
#include "support/TempFolder.h"
#include "ui/Guard.h"
#include "ui/Looks.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <iostream>
#include <sys/resource.h>

using namespace dilato;
using namespace dilato::test;
using Steady = std::chrono::steady_clock;

namespace {

// The simulated controller's reaction before its first answer character (sim/TempStageController).
constexpr double kControllerReactionMs = 2.0;
// A read frame out and an answer back: 18 characters of 10 bits at 230400 baud.
constexpr double kTempStageLineMs = 18 * 10 * 1000.0 / 230400.0;

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `seconds`, or until `done` holds (asked every 100 ms), sleeping in
// it between events: the harness adds no wake-ups of its own to what is measured.
bool RunLoop(double seconds, const std::function<bool()>& done = [] { return false; }) {
    QEventLoop loop;
    QTimer end, look;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (done()) loop.quit();
    });
    end.start(static_cast<int>(seconds * 1000));
    look.start(100);
    if (!done()) loop.exec();
    return done();
}

// dilato-sim serving the three instruments behind links COM1 to COM3 in a folder of its own.
class SimProcess {
  public:
    SimProcess(const std::string& linkFolder, double timeFactor) : folder_(linkFolder) {
        process_.setProgram(qEnvironmentVariable("DILATO_SIM", QStringLiteral(DILATO_SIM_EXE)));
        process_.setArguments({"--link-dir", QString::fromStdString(folder_), "--time-factor",
                               QString::number(timeFactor), "--length", "2"});
        process_.start();
        QByteArray said;
        QElapsedTimer t;
        t.start();
        while (!said.contains("program options:") && t.elapsed() < 10000) {
            process_.waitForReadyRead(100);
            said += process_.readAllStandardOutput();
        }
        ready_ = said.contains("program options:");
    }
    ~SimProcess() {
        process_.write("quit\n");
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }
    [[nodiscard]] bool ready() const { return ready_; }
    [[nodiscard]] std::string device(int com) const {
        return folder_ + "/COM" + std::to_string(com);
    }
    [[nodiscard]] std::vector<std::string> portOptions() const {
        std::vector<std::string> args;
        for (int com = 1; com <= 3; ++com) {
            args.emplace_back("--port");
            args.push_back("COM" + std::to_string(com) + "=" + device(com));
        }
        return args;
    }

  private:
    std::string folder_;
    QProcess process_;
    bool ready_ = false;
};

struct QuietOperator final : Operator {
    MessageAnswer show(const Message&) override { return MessageAnswer::Ok; }
    void setBusyPointer(bool b) override { busy = b; }
    [[nodiscard]] bool busyPointerShown() const override { return busy; }
    void playSound(const std::string&) override {}
    bool busy = false;
};

void ExchangeLatency(const TempFolder& dir) {
    SimProcess sim(dir.file("latency"), 1.0);
    if (!sim.ready()) {
        std::cout << "dilato-sim did not start" << std::endl;
        return;
    }
    const auto clock = MakeWallClock();
    PortMap map;
    for (int com = 1; com <= 3; ++com)
        map.set(com, sim.device(com));
    QtSerialPort p1(map), p2(map), p3(map);
    QuietOperator op;
    sim::NoLog log;
    SystemParameters params;
    sim::FixedPorts ports;
    sim::NoTicks host;
    InstrumentLinks links(LinkServices{*clock, op, log, params, ports, host, {}}, p1, p2, p3);
    (void)links.ReadStageTemperature(0, true, true); // opens the link
    std::vector<double> ms;
    int failures = 0;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer t;
        t.start();
        if (!links.ReadStageTemperature(0, true, true)) ++failures;
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    links.OpenCommPort(false, Link::All);
    std::sort(ms.begin(), ms.end());
    std::cout << "Temp-Stage read over a pseudo-terminal: median " << ms[ms.size() / 2]
              << " ms, longest " << ms.back() << " ms, failures " << failures
              << "; the line takes " << kTempStageLineMs << " ms and the controller reacts in "
              << kControllerReactionMs << " ms" << std::endl;
}

// A system folder whose settings skip the operational warnings and name the instruments' COM
// ports (so that the start-up does not ask for them).
std::string PrepareSystem(const TempFolder& dir, const std::string& name) {
    const std::string system = dir.file(name + "/");
    dir.write(name + "/Dilato.ini",
              "[General]\r\nSystemWarnings=False\r\nKeyence_Comport=1\r\nTE_Comport=2\r\n");
    return system;
}

std::vector<std::string> GuiArgs(const SimProcess& sim, double timeScale, const std::string& system) {
    std::vector<std::string> args = sim.portOptions();
    for (const std::string& a : {std::string("--time-scale"), std::to_string(timeScale),
                                 std::string("--system-folder"), system})
        args.push_back(a);
    return args;
}

// Without `measure`, only starts the window program once, which provisions the system folder
// that the 3-step test uses.
void IdleShare(const TempFolder& dir, double timeScale, bool measure = true) {
    const std::string name = "idle" + std::to_string(static_cast<int>(timeScale));
    SimProcess sim(dir.file(name + "-dev"), timeScale);
    if (!sim.ready()) return;
    ui::ResetEnding();
    gui::GuiProgram gui(gui::ParseGuiOptions(GuiArgs(sim, timeScale, PrepareSystem(dir, name))));
    if (!gui.start()) {
        std::cout << "the window program did not start" << std::endl;
        return;
    }
    RunLoop(5.0); // the stage settles, the window is drawn
    if (!measure) {
        gui.window()->allowClose();
        return;
    }
    const std::string load = bench::LoadAverage();
    const double cpu0 = CpuSeconds();
    const auto t0 = Steady::now();
    RunLoop(30.0);
    const double wall = std::chrono::duration<double>(Steady::now() - t0).count();
    std::cout << "processor share idle on the Test tab at time scale " << timeScale << ": "
              << 100.0 * (CpuSeconds() - cpu0) / wall << " % (load " << load << " to "
              << bench::LoadAverage() << ")" << std::endl;
    gui.window()->allowClose();
}

bool ThreeStepTest(const TempFolder& dir) {
    SimProcess sim(dir.file("test-dev"), 20.0);
    if (!sim.ready()) return false;
    // The system folder of the first idle run: provisioned, with a whole parameter file.
    const std::string system = PrepareSystem(dir, "idle1");
    WriteIniValue(system + "CTESysParam.dat", "SysParams", "Batch", "20/35/50/0/0/0/0/0/0");
    WriteIniValue(system + "CTESysParam.dat", "SysParams", "NumberOfBatchTests", "3");
    ui::ResetEnding();
    gui::GuiProgram gui(gui::ParseGuiOptions(GuiArgs(sim, 20.0, system)));
    if (!gui.start()) return false;
    // The robot looks at the windows every 10 ms: only here, where it has boxes to answer,
    // and not while the idle share is measured.
    WindowRobot robot;
    Type(Find<QComboBox>(QStringLiteral("DataFolderCombo"))->lineEdit(), QStringLiteral("Figures"));
    QTest::keyClick(Find<QComboBox>(QStringLiteral("DataFolderCombo"))->lineEdit(), Qt::Key_Return);
    Type(Find<QComboBox>(QStringLiteral("DataFileCombo"))->lineEdit(), QStringLiteral("Three"));
    Type(Find<QLineEdit>(QStringLiteral("TextBoxThickness")), QStringLiteral("2.0"));
    const std::string loadAverage = bench::LoadAverage();
    // The blocks listed with what ran in them: over 50 ms, or over WAIT_FIGURES_SHOW_MS.
    const int shownMs = qEnvironmentVariableIsSet("WAIT_FIGURES_SHOW_MS")
                            ? qEnvironmentVariableIntValue("WAIT_FIGURES_SHOW_MS")
                            : 50;
    bench::LoopSampler sampler{std::chrono::milliseconds(std::min(shownMs, 50))};
    const auto started = Steady::now();
    Click(Find<QPushButton>(QStringLiteral("SonicClickStartBtn")));
    RunLoop(900, [] {
        return Find<QLabel>(QStringLiteral("TestStatus0"))->text().startsWith("Testing (3");
    });
    const bool ended = RunLoop(
        900, [] { return Find<QPushButton>(QStringLiteral("SonicClickStartBtn"))->isEnabled(); });
    const double seconds = std::chrono::duration<double>(Steady::now() - started).count();
    const auto& blocks = sampler.blocks();
    using Block = bench::LoopSampler::Block;
    const auto over50 =
        std::count_if(blocks.begin(), blocks.end(), [](const Block& b) { return b.wallMs > 50; });
    // What made each block over 50 ms longest: the program's own work, other programs
    // holding the processors, or a sleep (the disk, a lock).
    long work = 0, load = 0, asleep = 0;
    for (const Block& b : blocks) {
        if (b.wallMs <= 50) continue;
        const double most = std::max({b.cpuMs, b.queuedMs, b.asleepMs()});
        (most == b.cpuMs ? work : most == b.queuedMs ? load : asleep) += 1;
    }
    std::cout << "3-step test at time scale 20: " << (ended ? "ended" : "NOT ended") << " after "
              << seconds << " s; longest event-loop block " << sampler.longest().count()
              << " ms; blocks over 50 ms: " << over50 << " (mostly the program's own work " << work
              << ", waiting for a processor " << load << ", asleep " << asleep << "; load "
              << loadAverage << " to " << bench::LoadAverage() << ")" << std::endl;
    sampler.Print(std::cout);
    std::cout << "message boxes: " << robot.boxes.join(" | ").toStdString() << std::endl;
    gui.window()->allowClose();
    return ended;
}

} // namespace

int main(int argc, char** argv) {
    UseScreenSize(1920, 1080);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::ApplyLooks(app);
    TempFolder dir;
    dir.write("xdg/applications/mimeinfo.cache", "[MIME Cache]\napplication/pdf=viewer.desktop;\n");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.file("xdg")));
    QStringList parts = QApplication::arguments().mid(1);
    if (parts.isEmpty()) parts = {"latency", "idle1", "idle60", "test"};
    if (parts.contains("latency")) ExchangeLatency(dir);
    if (parts.contains("idle1") || parts.contains("test"))
        IdleShare(dir, 1.0, parts.contains("idle1"));
    if (parts.contains("idle60")) IdleShare(dir, 60.0);
    return !parts.contains("test") || ThreeStepTest(dir) ? 0 : 1;
}
