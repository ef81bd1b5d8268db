#include "core/WindowTexts.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {
TEST(WindowTexts, Placeholder) {
    std::string date;
    EXPECT_TRUE(CalibrationDueText(date, QDate(2026, 1, 1)).overdue);
}
} // namespace
} // namespace dilato
