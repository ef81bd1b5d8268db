// The instrument links over pseudo-terminals with the real serial adapter and the simulators:
// the time of one Temp-Stage read and one displacement read (with its 0.5 s wait, and the
// exchange alone), Temp-Stage exchanges per second, and the processor share of the program's
// thread in the 10 s after both ports vanish (event loop running, a read each second).
// Figures come as counters; each benchmark runs once.

#include "instrument/InstrumentLinks.h"
#include "instrument/QtSerialPort.h"
#include "instrument/SensorProtocol.h"
#include "instrument/TeProtocol.h"
#include "platform/Wait.h"
#include "sim/LinkSurroundings.h"
#include "sim/PtyHost.h"
#include "sim/SimInstruments.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <time.h>
#include <unistd.h>

namespace {

using namespace dilato;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

double ThreadCpu() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct NullOperator final : Operator {
    MessageAnswer show(const Message&) override { return MessageAnswer::Ok; }
    void setBusyPointer(bool b) override { busy = b; }
    bool busyPointerShown() const override { return busy; }
    void playSound(const std::string&) override {}
    bool busy = false;
};

struct Rig {
    Rig()
        : folder(std::filesystem::temp_directory_path() /
                 ("dilato-bench-" + std::to_string(getpid()))),
          clock(MakeWallClock()), sim(*clock, sim::BenchParams{}), host(*clock, folder.string()),
          p1(map), p2(map), p3(map),
          links(LinkServices{*clock, op, log, params, ports, hostSide, {}}, p1, p2, p3) {
        (void)App();
        map.set(1, host.add(sim.sensor, "COM1"));
        map.set(2, host.add(sim.controller, "COM2"));
        host.start();
    }
    ~Rig() {
        links.OpenCommPort(false, Link::All);
        host.stop();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    std::filesystem::path folder;
    std::unique_ptr<Clock> clock;
    sim::SimInstruments sim;
    sim::PtyHost host;
    PortMap map;
    QtSerialPort p1, p2, p3;
    NullOperator op;
    sim::NoLog log;
    SystemParameters params;
    sim::FixedPorts ports;
    sim::NoTicks hostSide;
    InstrumentLinks links;
};

void TempStageRead(benchmark::State& state) {
    Rig rig;
    std::vector<double> ms;
    int failures = 0;
    for (auto _ : state) {
        for (int i = 0; i < 200; ++i) {
            QElapsedTimer t;
            t.start();
            if (!rig.links.ReadStageTemperature(0, false, true)) ++failures;
            ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
    }
    state.counters["median_ms"] = Median(ms);
    state.counters["max_ms"] = *std::max_element(ms.begin(), ms.end());
    state.counters["failures"] = failures;
}
BENCHMARK(TempStageRead)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void TempStageExchangesPerSecond(benchmark::State& state) {
    Rig rig;
    int reads = 0;
    QElapsedTimer t;
    for (auto _ : state) {
        t.start();
        while (t.elapsed() < 3000)
            if (rig.links.ReadStageTemperature(0, false, true)) ++reads;
    }
    state.counters["exchanges_per_s"] = reads / (static_cast<double>(t.elapsed()) / 1000.0);
}
BENCHMARK(TempStageExchangesPerSecond)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void DisplacementRead(benchmark::State& state) {
    Rig rig;
    std::vector<double> whole, exchange;
    int failures = 0;
    for (auto _ : state) {
        for (int i = 0; i < 12; ++i) {
            QElapsedTimer t;
            t.start();
            if (!rig.links.ReadDisplacement()) ++failures;
            whole.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
        // The exchange alone: the command out, 17 characters back.
        SerialPort& p = rig.links.port(Link::Displacement);
        for (int i = 0; i < 50; ++i) {
            QElapsedTimer t;
            t.start();
            p.output(kSensorCommand);
            std::string answer;
            while (answer.size() < kSensorReplyLength && t.elapsed() < 2000) {
                answer += p.input();
                rig.clock->idle(0.0002);
            }
            if (answer.size() != kSensorReplyLength) ++failures;
            exchange.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
    }
    state.counters["read_median_ms"] = Median(whole);
    state.counters["exchange_median_ms"] = Median(exchange);
    state.counters["failures"] = failures;
}
BENCHMARK(DisplacementRead)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

void CpuAfterPortsVanish(benchmark::State& state) {
    Rig rig;
    (void)rig.links.ReadStageTemperature(0, false, true);
    (void)rig.links.ReadDisplacement();
    double share = 0;
    for (auto _ : state) {
        rig.host.vanish(rig.sim.controller);
        rig.host.vanish(rig.sim.sensor);
        const double cpu0 = ThreadCpu();
        QElapsedTimer wall;
        wall.start();
        const TimerId tick = rig.clock->startTimer(1.0, [&] {
            (void)rig.links.ReadDisplacement();
            (void)rig.links.ReadStageTemperature(0, false, true);
        });
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        rig.clock->stopTimer(tick);
        share = (ThreadCpu() - cpu0) / (static_cast<double>(wall.elapsed()) / 1000.0);
    }
    state.counters["cpu_percent"] = share * 100.0;
    state.counters["lost_links_seen"] = rig.p1.lostLinks() + rig.p2.lostLinks();
}
BENCHMARK(CpuAfterPortsVanish)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
