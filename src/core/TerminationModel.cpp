#include "core/TerminationModel.h"

namespace dilato {

TerminationQuestion TestTerminationQuestion(bool canSave, bool stepsKept, bool lastStep) {
    // "Yes" with the step steady saves the step and goes on with the next one: it ends the
    // step, not the test, unless the step is the last.
    if (canSave && lastStep)
        return {"Test-Termination Request", "Do you want to end this test?",
                "(Test results will be saved to file)", "(Test will be completed.)"};
    if (canSave)
        return {"Test-Termination Request", "Do you want to end this step?",
                "(Test results will be saved to file)", "(Test will be continuted.)"};
    // The steps already saved stay in the test's files; only the step under way is lost.
    return {"Test-Termination Request", "Do you want to end this test?",
            stepsKept ? "(Premature termination ... this step's data not saved)"
                      : "(Premature termination ... no data saved)",
            "(Ongoing test will be aborted.)"};
}

TerminationQuestion ExitQuestion() {
    return {"Application-Exit Request", "Do you want to exit Dilato?",
            "(On-going tests will be aborted without data-save)", ""};
}

} // namespace dilato
