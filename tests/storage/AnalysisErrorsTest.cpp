#include "storage/AnalysisErrors.h"

#include "platform/ProgramEnd.h"
#include "support/RecordingOperator.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::RecordingOperator;
using Weight = AnalysisError::Weight;

TEST(ShowAnalysisError, EachWeightHasItsBoxAndOnlyAFatalOneEndsTheProgram) {
    struct Case {
        Weight weight;
        MessageIcon icon;
        bool ends;
    };
    for (const Case& c : {Case{Weight::Warning, MessageIcon::Exclamation, false},
                          Case{Weight::Error, MessageIcon::Critical, false},
                          Case{Weight::Fatal, MessageIcon::Critical, true}}) {
        RecordingOperator op;
        const AnalysisError error{"Error in Somewhere: broken", c.weight, "the reason"};
        bool ended = false;
        try {
            ShowAnalysisError(op, error);
        } catch (const ProgramEnd& end) {
            ended = true;
            EXPECT_EQ(end.exitCode, 1);
            EXPECT_EQ(end.reason, "the reason");
        }
        EXPECT_EQ(ended, c.ends) << static_cast<int>(c.weight);
        ASSERT_EQ(op.messages.size(), 1u);
        EXPECT_EQ(op.last().text, error.message);
        EXPECT_EQ(op.last().title, kProgramTitle);
        EXPECT_EQ(op.last().icon, c.icon);
    }
}

TEST(ShowAnalysisError, AValueIsUsedSilentlyAndAFailureIsToldWithTheFallback) {
    RecordingOperator op;
    EXPECT_EQ(ValueOrShown(op, Analysed<float>(2.5f), 0.0f), 2.5f);
    ShowIfFailed(op, Analysed<void>());
    EXPECT_TRUE(op.messages.empty());
    const Analysed<float> failed = Fail(AnalysisError{"Error in CteLive: x", Weight::Error, {}});
    EXPECT_EQ(ValueOrShown(op, failed, 7.0f), 7.0f);
    EXPECT_EQ(op.last().text, "Error in CteLive: x");
}

} // namespace
} // namespace dilato
