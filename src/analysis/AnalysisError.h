#pragma once
// Why a computation of the analysis gave no result, in the words the operator is shown, and
// what it means for the program. The analysis shows nothing itself: the sequencer, the data
// files' save and the plots tell the operator (see storage/AnalysisErrors.h).

#include "platform/Result.h"

#include <string>

namespace dilato {

struct AnalysisError {
    enum class Weight {
        Warning, // told as a warning; the computation's fallback value is used
        Error,   // told as an error; the fallback value is used
        Fatal,   // told as an error, then the program ends (`endReason` for the log)
    };
    std::string message;
    Weight weight = Weight::Error;
    std::string endReason;
};

template <class T>
using Analysed = Result<T, AnalysisError>;

// "Error in <place>: <what>", the text of a computation that failed unexpectedly.
[[nodiscard]] inline Failure<AnalysisError> FailedIn(const std::string& place, const char* what,
                                                     AnalysisError::Weight weight,
                                                     std::string endReason = {}) {
    return Fail(AnalysisError{"Error in " + place + ": " + what, weight, std::move(endReason)});
}

} // namespace dilato
