// window-figures: the window program's figures on the simulated instruments (offscreen or on
// a display):
//  - start-up time from main() to the main window on screen, at a time scale that makes the
//    start-up's own waits (warm-up message, 2 s wait, pointer pauses) negligible and with the
//    operational warnings switched off (they wait for the operator);
//  - the program's processor share while idle on the Test tab at the real time scale;
//  - the longest time the event loop was blocked (a 10 ms watchdog timer) during a 3-step test
//    at --time-scale 20, and how often it exceeded 100 ms;
//  - the peak memory (resident set) after that test.

#include "GuiProgram.h"
#include "WindowRobot.h"

#include "platform/IniFile.h"
#include "support/TempFolder.h"
#include "ui/Guard.h"
#include "ui/Looks.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <iostream>
#include <sys/resource.h>

using namespace dilato;
using namespace dilato::test;
using Steady = std::chrono::steady_clock;

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long PeakKilobytes() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A system folder whose settings skip the operational warnings, with a registered PDF viewer.
void Prepare(const TempFolder& dir) {
    dir.write("xdg/applications/mimeinfo.cache", "[MIME Cache]\napplication/pdf=viewer.desktop;\n");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.file("xdg")));
    dir.write("system/Dilato.ini", "[General]\r\nSystemWarnings=False\r\n");
}

} // namespace

int main(int argc, char** argv) {
    const auto launched = Steady::now();
    UseScreenSize(1920, 1080);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::ApplyLooks(app);
    TempFolder dir;
    const std::string system = dir.file("system/");
    Prepare(dir);
    WindowRobot robot;

    // Start-up and idle share, one program at a high time scale for the start-up figure ...
    double startupMs = 0;
    {
        gui::GuiProgram gui(gui::ParseGuiOptions(
            {"--simulate", "--time-scale", "1000", "--system-folder", system}));
        if (!gui.start()) return 1;
        startupMs = std::chrono::duration<double, std::milli>(Steady::now() - launched).count();
        gui.window()->allowClose();
    }
    std::cout << "start-up to the main window: " << startupMs
              << " ms (at time scale 1000: warm-up message 5 ms, 2 s wait 2 ms)" << std::endl;

    // ... the idle share at the real pace.
    ui::ResetEnding();
    {
        gui::GuiProgram gui(gui::ParseGuiOptions({"--simulate", "--system-folder", system}));
        if (!gui.start()) return 1;
        WaitFor([] { return false; }, 5.0); // the stage settles, the window is drawn
        const double cpu0 = CpuSeconds();
        const auto t0 = Steady::now();
        WaitFor([] { return false; }, 30.0);
        const double wall = std::chrono::duration<double>(Steady::now() - t0).count();
        std::cout << "processor share idle on the Test tab (ticks at 1 s, simulator thread "
                     "included): "
                  << 100.0 * (CpuSeconds() - cpu0) / wall << " %" << std::endl;
        gui.window()->allowClose();
    }

    // The 3-step test at time scale 20 with the watchdog.
    WriteIniValue(system + "CTESysParam.dat", "SysParams", "Batch", "20/35/50/0/0/0/0/0/0");
    WriteIniValue(system + "CTESysParam.dat", "SysParams", "NumberOfBatchTests", "3");
    ui::ResetEnding();
    gui::GuiProgram gui(
        gui::ParseGuiOptions({"--simulate", "--time-scale", "20", "--system-folder", system}));
    if (!gui.start()) return 1;
    Type(Find<QComboBox>(QStringLiteral("DataFolderCombo"))->lineEdit(), QStringLiteral("Figures"));
    QTest::keyClick(Find<QComboBox>(QStringLiteral("DataFolderCombo"))->lineEdit(), Qt::Key_Return);
    Type(Find<QComboBox>(QStringLiteral("DataFileCombo"))->lineEdit(), QStringLiteral("Three"));
    Type(Find<QLineEdit>(QStringLiteral("TextBoxThickness")), QStringLiteral("2.0"));
    robot.longestBlock = std::chrono::milliseconds(0);
    int over100 = 0;
    auto last = Steady::now();
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        const auto now = Steady::now();
        if (now - last > std::chrono::milliseconds(100)) ++over100;
        last = now;
    });
    watchdog.start(10);
    const auto started = Steady::now();
    Click(Find<QPushButton>(QStringLiteral("SonicClickStartBtn")));
    WaitFor(
        [] { return Find<QLabel>(QStringLiteral("TestStatus0"))->text().startsWith("Testing (3"); },
        900);
    const bool ended = WaitFor(
        [] { return Find<QPushButton>(QStringLiteral("SonicClickStartBtn"))->isEnabled(); }, 900);
    const double seconds = std::chrono::duration<double>(Steady::now() - started).count();
    std::cout << "3-step test at time scale 20: " << (ended ? "ended" : "NOT ended") << " after "
              << seconds << " s; longest event-loop block " << robot.longestBlock.count()
              << " ms; blocks over 100 ms: " << over100 << std::endl;
    std::cout << "peak memory (resident): " << PeakKilobytes() / 1024.0 << " MiB" << std::endl;
    std::cout << "message boxes: " << robot.boxes.join(" | ").toStdString() << std::endl;
    gui.window()->allowClose();
    return ended ? 0 : 1;
}
