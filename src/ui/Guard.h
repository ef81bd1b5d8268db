#pragma once
// The window's edge of "the program ends": the logic ends the program by unwinding with a
// ProgramEnd, which must not cross Qt's event dispatch. Every handler that calls into the
// logic runs it through Guarded(), which turns a ProgramEnd into the end of the application's
// event loops with its exit code; from then on the operator sees no further box.

#include "platform/ProgramEnd.h"

#include <utility>

namespace dilato::ui {

// Ends the event loops with the end's code and hides every window.
void EndApplication(const ProgramEnd& end);
// True once EndApplication ran.
[[nodiscard]] bool ApplicationEnding();
// The code the application ends with.
[[nodiscard]] int ApplicationExitCode();
// Lets a new program run in the same process after the end of an earlier one (tests).
void ResetEnding();
// Code that runs outside the event loop (the start-up) continues the end here: throws the
// ProgramEnd again once EndApplication ran.
void ContinueEnding();

template <class F> void Guarded(F&& handler) {
    try {
        std::forward<F>(handler)();
    } catch (const ProgramEnd& end) {
        EndApplication(end);
    }
}

} // namespace dilato::ui
