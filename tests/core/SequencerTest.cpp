#include "SessionBench.h"

#include "platform/Files.h"
#include "platform/TextFile.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::SessionBench;

bool InState(SessionBench& b, TestState s) {
    return b.run().testState == s;
}

TEST(Sequencer, StartsSettlesWaitsHoldsAndSavesAWholeBatch) {
    SessionBench b;
    b.Start();
    ASSERT_TRUE(b.RunUntil([&] { return InState(b, state::Settling); }, 1));
    EXPECT_EQ(b.instruments.testModes.front(), true) << "test mode on at the start";
    EXPECT_EQ(b.instruments.setPoints.back(), 20.0f);
    b.clock.advance(1.0); // the window shows the new state at the next tick
    EXPECT_EQ(b.session->window.view().statusText[0], "Testing (1 of 3)");

    ASSERT_TRUE(b.RunUntil([&] { return InState(b, state::TemperatureWait); }, 2));
    EXPECT_GT(b.run().elapsed(), 1.0) << "settling lasts more than a minute";
    ASSERT_TRUE(b.RunUntil([&] { return InState(b, state::Hold); }, 10));
    EXPECT_GT(b.run().elapsed(), 5.0) << "the temperature wait lasts more than 5 minutes";
    EXPECT_GE(b.run().StepTemps.size(), 38u);

    ASSERT_TRUE(b.RunUntil([&] { return b.run().StepIndex == 1; }, 60));
    EXPECT_TRUE(IsFile(b.DataFile("Bar_CTE.dat"))) << "the first step is saved under its own name";
    EXPECT_FALSE(IsFile(b.DataFile("Bar_CTE.txt"))) << "no summary before a pair is complete";

    ASSERT_TRUE(b.RunUntil([&] { return InState(b, state::Idle); }, 600));
    EXPECT_EQ(b.instruments.setPoints, (std::vector<float>{20, 50, 80, 20}))
        << "set points of the three steps, then back to 20 at the end";
    EXPECT_EQ(b.instruments.testModes.back(), false);
    EXPECT_TRUE(b.op.messages.empty()) << b.op.last().text;

    const auto summary = ReadTextLines(b.DataFile("Bar_CTE.txt"));
    ASSERT_TRUE(summary.has_value());
    ASSERT_GE(summary->size(), 9u);
    EXPECT_EQ((*summary)[0], "[CTE Test Summary #]");
    EXPECT_EQ((*summary)[1], "Sample ID= Cu");
    EXPECT_EQ((*summary)[2], "Sample Length= 2.000 inches");
    EXPECT_EQ((*summary)[3], "Raw Data File= Bar_CTE.dat");
    // The fake sample expands 16 ppm/°C behind a fixture the correction removes.
    EXPECT_EQ((*summary)[4].substr(0, 33), "CTE 1:= 20.0\xC2\xB0"
                                           "C to  50.0\xC2\xB0"
                                           "C: 16.0");
    EXPECT_EQ((*summary)[5].substr(0, 33), "CTE 2:= 50.0\xC2\xB0"
                                           "C to  80.0\xC2\xB0"
                                           "C: 16.0");
    EXPECT_EQ((*summary)[6].substr(0, 33), "CTE 3:= 20.0\xC2\xB0"
                                           "C to  80.0\xC2\xB0"
                                           "C: 16.0");
    EXPECT_EQ((*summary)[8], std::string(34, '='));
    const auto interim = ReadTextLines(b.DataFile("TempDat.txt"));
    ASSERT_TRUE(interim.has_value());
    EXPECT_EQ(interim->size(), 5u) << "indicator, pair, indicator, pair, indicator";
}

} // namespace
} // namespace dilato
