// The Results tab's hot paths, on a real SQLite results store (offscreen, 1366 x 768):
//  - one keystroke in the sample filter over a table of 10,000 tests: the model filters and
//    sorts, the table is reset and repainted;
//  - the overlay of 10 tests of 20,000 readings each: the figure built from the readings
//    (held after the first read), thinned for the screen and drawn by the chart;
//  - the same overlay drawn without thinning;
//  - the first read of those readings from the store, and the catalog of 10,000 tests.
// Run: bench_results_tab (a Release build; the store is made in a temporary folder first).

#include "StoredTests.h"

#include "results/ResultsStore.h"
#include "results/StoreAddress.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "ui/results/ResultsPage.h"

#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <benchmark/benchmark.h>

#include <memory>

namespace dilato::test {
namespace {

class NoOpener final : public FileOpener {
  public:
    bool Open(const std::string&) override { return true; }
};

// A store, the tab's model and page over it.
struct Tab {
    explicit Tab(const std::vector<StoredTest>& tests)
        : store(results::LocalStoreAddress(dir.path())) {
        WriteStoredTests(store.local(), tests);
        page.resize(1040, 660);
        page.show();
        model.Enter();
        page.Enter();
        QCoreApplication::processEvents();
    }
    TempFolder dir;
    results::ResultsStore store;
    StoreResultsSource source{[this] { return &store.local(); }};
    RecordingOperator op;
    NoOpener opener;
    ResultsChart overlay, alpha;
    ResultsTabModel model{ResultsServices{source, op, opener, overlay, alpha,
                                          [this] { return dir.file("Exports/"); },
                                          [] { return std::string("bench"); }}};
    ResultsPage page{model, overlay, alpha};
};

Tab& Catalog() {
    static Tab tab(ManyStoredTests(10000, 1));
    return tab;
}

Tab& Overlay() {
    static std::unique_ptr<Tab> tab = [] {
        std::vector<StoredTest> tests;
        for (int i = 0; i < 10; ++i)
            tests.push_back(StoredTest{.uid = "big" + std::to_string(i),
                                       .name = "Big" + std::to_string(i),
                                       .sample = "B-" + std::to_string(i),
                                       .a = 12.0 + i,
                                       .plan = {20, 40, 60, 80, 100, 60, 20},
                                       .readingsPerStep = 20000 / 7 + 1});
        auto t = std::make_unique<Tab>(tests);
        for (int r = 0; r < t->model.rows(); ++r)
            t->model.Tick(r, true);
        t->page.views->setCurrentIndex(1);
        QCoreApplication::processEvents();
        return t;
    }();
    return *tab;
}

void FilterKeystroke(benchmark::State& state) {
    Tab& tab = Catalog();
    // Typing "S-12" and taking it back, key by key.
    const Qt::Key keys[] = {Qt::Key_S, Qt::Key_Minus, Qt::Key_1, Qt::Key_2, Qt::Key_Backspace,
                            Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace};
    size_t k = 0;
    int shown = 0;
    for (auto _ : state) {
        QTest::keyClick(tab.page.sampleFilter, keys[k++ % std::size(keys)]);
        tab.page.table->viewport()->repaint();
        shown = tab.model.rows();
    }
    state.counters["tests"] = tab.model.total();
    state.counters["shown_last"] = shown;
}
BENCHMARK(FilterKeystroke)->Unit(benchmark::kMillisecond)->Iterations(64);

void CatalogOfTenThousand(benchmark::State& state) {
    Tab& tab = Catalog();
    for (auto _ : state)
        tab.model.Enter();
    state.counters["tests"] = tab.model.total();
}
BENCHMARK(CatalogOfTenThousand)->Unit(benchmark::kMillisecond)->Iterations(5);

void OverlayDraw(benchmark::State& state) {
    Tab& tab = Overlay();
    tab.model.DrawOverlay(); // the readings read once
    for (auto _ : state) {
        tab.model.DrawOverlay();
        tab.overlay.RepaintNow();
    }
    state.counters["tests"] = static_cast<double>(tab.model.tickedUids().size());
    state.counters["points_drawn"] = tab.overlay.pointsDrawn();
}
BENCHMARK(OverlayDraw)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same figure drawn whole, every reading a point of its line: what the chart would cost
// without the thinning (readings that scatter with the sensor's noise thin less).
void OverlayDrawUnthinned(benchmark::State& state) {
    Tab& tab = Overlay();
    const OverlayFigure figure = tab.model.Overlay();
    for (auto _ : state) {
        tab.overlay.DrawOverlay(figure);
        tab.overlay.RepaintNow();
    }
    state.counters["points_drawn"] = tab.overlay.pointsDrawn();
}
BENCHMARK(OverlayDrawUnthinned)->Unit(benchmark::kMillisecond)->Iterations(5);

void OverlayFirstRead(benchmark::State& state) {
    Tab& tab = Overlay();
    for (auto _ : state) {
        tab.model.Enter(); // forgets the readings held
        tab.model.DrawOverlay();
        tab.overlay.RepaintNow();
    }
}
BENCHMARK(OverlayFirstRead)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace dilato::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
