// Figures of the results store: the files of 1,000 simulated tests imported into a new SQLite
// store (seconds, store size), and queries over them (median milliseconds). Not a Google
// Benchmark: one run prints a table.
//   results-store-figures [TESTS [DILATO_RUN]]   (default 1000, this build's dilato-run;
//   DILATO_KEEP_FIGURES=1 keeps the files and the store)
// The tests' files come from three simulated tests that dilato-run writes (copper, aluminium
// and fused silica over 20/50/80 °C), each copied under new names, sample IDs and lengths, so
// that every raw data file is a test of its own.

#include "results/FileImport.h"
#include "results/Query.h"
#include "results/Schema.h"
#include "results/StoreConnection.h"
#include "platform/TextFile.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace dilato;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Replaces the value after `key` on the line that starts with it.
void SetLine(std::vector<std::string>& lines, const std::string& key, const std::string& value) {
    for (std::string& line : lines)
        if (line.rfind(key, 0) == 0) line = key + value;
}

double CpuMs() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// Median wall and processor milliseconds of the query (the machine may be shared).
std::pair<double, double> MedianQueryMs(results::StoreConnection& store,
                                        const results::TestFilter& filter, size_t& found) {
    std::vector<double> wall, cpu;
    for (int i = 0; i < 21; ++i) {
        const auto start = Clock::now();
        const double cpuStart = CpuMs();
        found = results::FindTests(store, filter).size();
        cpu.push_back(CpuMs() - cpuStart);
        wall.push_back(Ms(Clock::now() - start));
    }
    return {Median(wall), Median(cpu)};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int tests = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string dilatoRun = argc > 2 ? argv[2] : DILATO_RUN_BINARY;
    const fs::path top = fs::temp_directory_path() / ("dilato-store-figures-" + std::to_string(::getpid()));
    fs::create_directories(top);
    const char* materials[] = {"copper", "aluminium", "fused-silica"};
    std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> sources;
    for (int m = 0; m < 3; ++m) {
        const std::string sys = (top / ("sim" + std::to_string(m))).string();
        const std::string line = dilatoRun + " --simulate=material=" +
                                 materials[m] + " --system-folder " + sys +
                                 " --folder Lab --test S --length 2.0 --plan 20,50,80 >/dev/null";
        if (std::system(line.c_str()) != 0) {
            std::fprintf(stderr, "dilato-run failed: %s\n", line.c_str());
            return 1;
        }
        sources.emplace_back(*ReadTextLines(sys + "/Data/Lab/S_CTE.dat"),
                             *ReadTextLines(sys + "/Data/Lab/S_CTE.txt"));
    }
    const fs::path data = top / "files" / "Data";
    for (int i = 0; i < tests; ++i) {
        auto [raw, summary] = sources[static_cast<size_t>(i % 3)];
        const std::string name = "T" + std::to_string(i);
        const std::string folder = "Lab" + std::to_string(i % 20);
        char length[16];
        std::snprintf(length, sizeof length, "%.3f", 1.0 + 0.001 * i); // a raw data file of its own
        SetLine(raw, "Sample Length = ", length);
        SetLine(summary, "Sample Length= ", length + std::string(" inches"));
        SetLine(summary, "Sample ID= ", materials[i % 3] + std::string("-") + std::to_string(i));
        SetLine(summary, "Raw Data File= ", name + "_CTE.dat");
        fs::create_directories(data / folder);
        WriteTextLinesAtomic((data / folder / (name + "_CTE.dat")).string(), raw);
        WriteTextLinesAtomic((data / folder / (name + "_CTE.txt")).string(), summary);
    }

    results::StoreAddress address;
    address.path = (top / "results.sqlite").string();
    results::StoreConnection store(address);
    results::MigrateStore(store);
    const auto start = Clock::now();
    const results::ImportReport report = results::ImportFolder(store, (top / "files").string());
    const double seconds = Ms(Clock::now() - start) / 1000.0;
    store.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    const auto size = fs::file_size(address.path);
    const long long readings = store.Value("SELECT COUNT(*) FROM readings").toLongLong();

    std::printf("import of %d simulated tests' files (%zu imported, %zu damaged, %lld readings): "
                "%.2f s, %.1f ms a test; store %.1f MB (%.1f kB a test)\n",
                tests, report.imported.size(), report.damaged.size(), readings, seconds,
                1000.0 * seconds / tests, size / 1e6, size / 1e3 / tests);
    struct Case {
        const char* what;
        results::TestFilter filter;
    };
    results::TestFilter bySample, byFolder, byDate, flagged;
    bySample.sample = "copper-1%";
    byFolder.dataFolder = "Lab7";
    byDate.from = QDate::currentDate().addDays(-1);
    byDate.to = QDate::currentDate().addDays(1); // a virtual clock runs ahead of the wall
    flagged.flaggedOnly = true;
    for (const Case& c : {Case{"sample copper-1%", bySample}, Case{"data folder Lab7", byFolder},
                          Case{"date range (all)", byDate}, Case{"flagged results", flagged}}) {
        size_t found = 0;
        const auto [wall, cpu] = MedianQueryMs(store, c.filter, found);
        std::printf("query by %-18s %5zu tests  %7.2f ms (processor %.2f ms; median of 21)\n",
                    c.what, found, wall, cpu);
    }
    // DILATO_KEEP_FIGURES set: the files and the store stay, for a look at them.
    if (std::getenv("DILATO_KEEP_FIGURES"))
        std::printf("kept: %s\n", top.string().c_str());
    else
        fs::remove_all(top);
    return 0;
}
