// dilato-run: one complete CTE test from the command line (see RunUsage()).

#include "RunOptions.h"
#include "Runner.h"
#include "platform/ProgramEnd.h"

#include <QCoreApplication>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>

namespace {
std::atomic<bool> gStop{false};
void OnInterrupt(int) {
    gStop = true;
}
} // namespace

int main(int argc, char** argv) {
    // With TZ unset the C library looks the zone file up again at every local time; the
    // program reads the clock many times a second.
    setenv("TZ", ":/etc/localtime", 0);
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    dilato::run::RunOptions options;
    try {
        options = dilato::run::ParseRunOptions(args);
    } catch (const std::invalid_argument& e) {
        std::cerr << "dilato-run: " << e.what() << "\n\n" << dilato::run::RunUsage();
        return dilato::run::kBadOptions;
    }
    if (options.help) {
        std::cout << dilato::run::RunUsage();
        return 0;
    }
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    try {
        return dilato::run::RunTest(options, std::cout, gStop);
    } catch (const dilato::ProgramEnd& end) {
        std::cout << "The program ends: " << end.reason << std::endl;
        return end.exitCode;
    } catch (const std::exception& e) {
        std::cout << "dilato-run: " << e.what() << std::endl;
        return dilato::run::kCannotStart;
    }
}
