// The kill figures: a simulated 3-step test (20, 50, 80 °C, copper, 2 in) run by a real
// dilato-run child, killed with SIGKILL at random moments, each followed by a restart with
// --resume that takes the test to its end. Counts the readings the killed runs had journalled
// and that are in no file afterwards, the finished tests with a damaged file, the CTE lines
// farther from the simulated truth than their accuracy estimate and the results whose
// evidence has no uncertainty (goal: 0, 0, 0, 0).
//
//   kill-resume-figures [--kills N] [--seed S] [--time-scale K]
//
// The moments: two kills in five at a random time over the whole run (the run's length is
// measured first), the others at random points the program names: in the middle of a
// journal write, between a file's new content and its rename, before a step's save, after
// its raw data file and after its files but before the journal records the save.

#include "KillHarness.h"

#include "support/TempFolder.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <string>

using namespace dilato::test;

namespace {

std::vector<std::string> Args(const std::string& system, const std::vector<std::string>& more) {
    std::vector<std::string> args{"--simulate", "--system-folder", system, "--folder", "Demo",
                                  "--test",     "Bar",             "--length", "2",
                                  "--plan",     "20,50,80"};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    int kills = 100;
    unsigned seed = 1;
    std::vector<std::string> scale;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--kills" && i + 1 < argc)
            kills = std::atoi(argv[++i]);
        else if (a == "--seed" && i + 1 < argc)
            seed = static_cast<unsigned>(std::atol(argv[++i]));
        else if (a == "--time-scale" && i + 1 < argc)
            scale = {"--time-scale", argv[++i]};
        else {
            std::cout << "kill-resume-figures [--kills N] [--seed S] [--time-scale K]\n";
            return a == "--help" ? 0 : 2;
        }
    }
    std::mt19937 random(seed);

    // The uninterrupted run: its length and the number of journal writes it makes.
    double length = 0;
    size_t journalWrites = 0;
    {
        TempFolder dir;
        const auto t0 = std::chrono::steady_clock::now();
        auto more = scale;
        more.push_back("--keep-journal");
        const ChildRun run = RunChild(DILATO_RUN_BINARY, Args(dir.path() + "sys", more));
        length = Seconds(t0);
        if (run.status != 0) {
            std::cout << "the uninterrupted run failed:\n" << run.out;
            return 1;
        }
        for (const char c : dir.read("sys/Data/Demo/Bar_CTE.jnl")) journalWrites += c == '\n';
        std::cout << "uninterrupted run: " << length << " s, " << journalWrites
                  << " journal writes\n";
    }

    const char* points[] = {"step-save", "raw-data-saved", "step-saved"};
    std::map<std::string, int> byKind;
    Verdict total;
    int done = 0, attempts = 0, resumedFailed = 0, testsOutside = 0, afterTheEnd = 0;
    const auto started = std::chrono::steady_clock::now();
    while (done < kills && attempts < kills * 3) {
        ++attempts;
        TempFolder dir;
        const std::string system = dir.path() + "sys";
        std::string killAt, kind;
        std::optional<double> after;
        switch (done % 5) {
        case 0:
        case 1:
            after = std::uniform_real_distribution<double>(0.0, length)(random);
            kind = "at a random time";
            break;
        case 2:
            killAt = "journal-write:" +
                     std::to_string(std::uniform_int_distribution<size_t>(1, journalWrites)(random));
            kind = "inside a journal write";
            break;
        case 3:
            killAt = "file-rename:" + std::to_string(std::uniform_int_distribution<int>(1, 12)(random));
            kind = "before a file's rename";
            break;
        default:
            kind = points[std::uniform_int_distribution<int>(0, 2)(random)];
            killAt = kind + ":" + std::to_string(std::uniform_int_distribution<int>(1, 3)(random));
            kind = "at " + kind;
            break;
        }
        const KillOutcome k =
            KillAndResume(DILATO_RUN_BINARY, Args(system, scale), Args(system, {"--resume"}),
                          system + "/Data/Demo/", "Bar", 3, killAt, after);
        if (!k.first.killed) continue; // the moment came after the end: draw another
        const Verdict& v = k.verdict;
        ++done;
        ++byKind[kind];
        if (!k.resumedRun) ++afterTheEnd;
        if (k.resumedRun && k.resumed.status != 0) ++resumedFailed;
        total.readings += v.readings;
        total.lost += v.lost;
        total.damaged += v.damaged;
        total.outsideAccuracy += v.outsideAccuracy;
        total.withoutUncertainty += v.withoutUncertainty;
        if (v.outsideAccuracy > 0) ++testsOutside;
        if (v.lost || v.damaged || v.outsideAccuracy || v.withoutUncertainty) {
            std::cout << "kill " << done << " (" << killAt << (after ? " timed" : "") << ")\n";
            for (const auto& n : v.notes) std::cout << "  " << n << "\n";
        }
    }
    std::cout << "kills: " << done << " (";
    for (const auto& [kind, n] : byKind) std::cout << n << " " << kind << "; ";
    std::cout << "seed " << seed << ")\n"
              << "killed after the test had ended (in the shutdown; checked as left): "
              << afterTheEnd << "\n"
              << "journalled readings checked: " << total.readings << "\n"
              << "readings lost: " << total.lost << "\n"
              << "files damaged: " << total.damaged << "\n"
              << "resumed runs that did not complete: " << resumedFailed << "\n"
              << "resumed tests with a CTE outside its accuracy estimate: " << testsOutside
              << " (" << total.outsideAccuracy << " CTE lines)\n"
              << "results without an uncertainty: " << total.withoutUncertainty << "\n"
              << "time: " << Seconds(started) << " s\n";
    return total.lost || total.damaged || total.outsideAccuracy || total.withoutUncertainty ||
                   resumedFailed
               ? 1
               : 0;
}
