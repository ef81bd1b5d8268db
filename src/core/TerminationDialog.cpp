#include "core/TerminationDialog.h"

namespace dilato {

TerminationQuestion TestTerminationQuestion(bool canSave) {
    if (canSave)
        return {"Test-Termination Request", "Do you want to end this test?",
                "(Test results will be saved to file)", "(Test will be continuted.)"};
    return {"Test-Termination Request", "Do you want to end this test?",
            "(Premature termination ... no data saved)", "(Ongoing test will be aborted.)"};
}

TerminationQuestion ExitQuestion() {
    return {"Application-Exit Request", "Do you want to exit Dilato?",
            "(On-going tests will be aborted without data-save)", ""};
}

} // namespace dilato
