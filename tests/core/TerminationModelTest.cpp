// The termination question's texts.

#include "core/TerminationModel.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

TEST(TerminationQuestion, SaysWhatYesDoesToTheStepTheTestAndTheStepsAlreadySaved) {
    struct Case {
        bool canSave, stepsKept, lastStep;
        const char *question, *note1, *note2;
    };
    const char* endTest = "Do you want to end this test?";
    const char* saved = "(Test results will be saved to file)";
    const char* aborted = "(Ongoing test will be aborted.)";
    for (const Case& c : {
             Case{true, false, false, "Do you want to end this step?", saved,
                  "(Test will be continuted.)"},
             Case{true, true, true, endTest, saved, "(Test will be completed.)"},
             Case{false, false, false, endTest, "(Premature termination ... no data saved)",
                  aborted},
             Case{false, true, true, endTest,
                  "(Premature termination ... this step's data not saved)", aborted},
         }) {
        const TerminationQuestion q = TestTerminationQuestion(c.canSave, c.stepsKept, c.lastStep);
        EXPECT_EQ(q.caption, "Test-Termination Request");
        EXPECT_EQ(q.question, c.question) << c.canSave << c.stepsKept << c.lastStep;
        EXPECT_EQ(q.note1, c.note1) << c.canSave << c.stepsKept << c.lastStep;
        EXPECT_EQ(q.note2, c.note2) << c.canSave << c.stepsKept << c.lastStep;
    }
    const TerminationQuestion exit = ExitQuestion();
    EXPECT_EQ(exit.caption, "Application-Exit Request");
    EXPECT_EQ(exit.question, "Do you want to exit Dilato?");
    EXPECT_EQ(exit.note1, "(On-going tests will be aborted without data-save)");
    EXPECT_EQ(exit.note2, "");
}

} // namespace
} // namespace dilato
