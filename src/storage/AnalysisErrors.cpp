#include "storage/AnalysisErrors.h"

#include "platform/ProgramEnd.h"

namespace dilato {

void ShowAnalysisError(Operator& op, const AnalysisError& error) {
    const bool warning = error.weight == AnalysisError::Weight::Warning;
    ShowMessage(op, error.message, kProgramTitle,
                warning ? MessageIcon::Exclamation : MessageIcon::Critical);
    if (error.weight == AnalysisError::Weight::Fatal) EndProgram(1, error.endReason);
}

} // namespace dilato
