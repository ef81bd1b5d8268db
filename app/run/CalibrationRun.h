#pragma once
// The stage calibration without a window: the program is built as for the main window, the
// Instr. Calibration tab is entered, CAL is pressed and the ticks run until the calibration
// has ended. The constants before and after and the 'As Left' deviations are printed.

#include "RunOptions.h"

#include <atomic>
#include <iosfwd>

namespace dilato::run {

// Exit status: kCompleted only when the calibration succeeded.
[[nodiscard]] int RunCalibration(const RunOptions& options, std::ostream& out,
                                 const std::atomic<bool>& stop);

} // namespace dilato::run
