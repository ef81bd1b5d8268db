#include "platform/Result.h"

#include <gtest/gtest.h>

#include <string>

namespace dilato {
namespace {

struct Why {
    std::string text;
};

Result<int, Why> Half(int n) {
    if (n % 2) return Fail(Why{"odd"});
    return n / 2;
}

TEST(Result, HoldsEitherTheValueOrTheFailure) {
    const auto half = Half(8);
    ASSERT_TRUE(half.ok());
    EXPECT_TRUE(static_cast<bool>(half));
    EXPECT_EQ(half.value(), 4);
    EXPECT_EQ(half.valueOr(-1), 4);
    EXPECT_THROW((void)half.error(), std::logic_error);

    const auto odd = Half(7);
    ASSERT_FALSE(odd.ok());
    EXPECT_EQ(odd.error().text, "odd");
    EXPECT_EQ(odd.valueOr(-1), -1);
    EXPECT_THROW((void)odd.value(), std::logic_error) << "a failure has no value to read";
}

TEST(Result, ValueAndFailureOfTheSameTypeStayApart) {
    const Result<std::string, std::string> value = std::string("done");
    const Result<std::string, std::string> failure = Fail(std::string("broken"));
    EXPECT_TRUE(value.ok());
    EXPECT_EQ(value.value(), "done");
    EXPECT_FALSE(failure.ok());
    EXPECT_EQ(failure.error(), "broken");
}

TEST(Result, OfNothingIsDoneOrTheFailure) {
    const Result<void, Why> done;
    EXPECT_TRUE(done.ok());
    EXPECT_THROW((void)done.error(), std::logic_error);
    const Result<void, Why> failed = Fail(Why{"disk full"});
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(failed.error().text, "disk full");
}

} // namespace
} // namespace dilato
