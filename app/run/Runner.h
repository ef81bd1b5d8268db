#pragma once
// One complete test without a window: the program is built as for the main window, the
// Test tab is filled from the command line, Start is pressed, and the ticks run until the
// test has ended. Progress and results are printed.

#include "RunOptions.h"

#include <atomic>
#include <iosfwd>

namespace dilato::run {

// Exit status of a run.
inline constexpr int kCompleted = 0;
inline constexpr int kNotCompleted = 1;
inline constexpr int kBadOptions = 2;
inline constexpr int kCannotStart = 3;
inline constexpr int kInstrumentsLost = 4;

// Runs the test; `stop` asks for the test to be stopped (Ctrl-C).
[[nodiscard]] int RunTest(const RunOptions& options, std::ostream& out,
                          const std::atomic<bool>& stop);

} // namespace dilato::run
