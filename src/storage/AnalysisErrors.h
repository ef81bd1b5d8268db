#pragma once
// How a failure of the analysis reaches the operator: a warning or an error in a message
// box titled with the program's name, and for a fatal one the program's end after it. The
// analysis itself shows nothing; whoever asked for the computation and talks to the
// operator (the sequencer, the step's save, the plots) tells it through here.

#include "analysis/AnalysisError.h"
#include "platform/Operator.h"

namespace dilato {

void ShowAnalysisError(Operator& op, const AnalysisError& error);

// The value, or the failure told and `fallback` instead.
template <class T>
[[nodiscard]] T ValueOrShown(Operator& op, const Analysed<T>& result, T fallback) {
    if (result) return result.value();
    ShowAnalysisError(op, result.error());
    return fallback;
}

// Tells the failure, if there is one.
inline void ShowIfFailed(Operator& op, const Analysed<void>& result) {
    if (!result) ShowAnalysisError(op, result.error());
}

} // namespace dilato
