// The batch summary page, read back with the PDF tools.
#include "PdfStructure.h"

#include "platform/VirtualClock.h"
#include "report/BatchSummary.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

BatchSummary Batch(int rows) {
    BatchSummary s;
    s.material = "metal";
    s.tests = {"Copper1 (CU-1)", "Copper2 (CU-2)", "Copper3 (CU-3)"};
    for (int r = 0; r < rows; ++r) {
        BatchStatistics b;
        b.count = 3;
        b.mean = 16.5 + 0.01 * r;
        b.standardDeviation = 0.25;
        b.weightedCount = 3;
        b.weightedMean = 16.49;
        b.birgeRatio = 1.37;
        s.rows.push_back({std::to_string(20 + r) + " to 80 °C", b});
    }
    return s;
}

TEST(BatchSummary, ThePdfToolsReadTheTableAndALongBatchGoesOnToASecondPage) {
    test::TempFolder dir;
    test::RecordingOperator op;
    VirtualClock clock{QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0))};
    struct Case {
        int rows;
        const char* pages;
    };
    for (const Case& c : {Case{4, "Pages:           1"}, Case{60, "Pages:           2"}}) {
        const std::string file = dir.file("batch" + std::to_string(c.rows) + ".pdf");
        std::string error;
        ASSERT_TRUE(WriteBatchSummaryPdf(op, clock, DILATO_PROGRAM_FOLDER "Fonts", file, Batch(c.rows),
                                         error))
            << error;
        std::string out;
        ASSERT_EQ(test::RunCommand("qpdf --check '" + file + "'", out), 0) << out;
        ASSERT_EQ(test::RunCommand("pdfinfo '" + file + "'", out), 0) << out;
        EXPECT_NE(out.find(c.pages), std::string::npos) << out;
        ASSERT_EQ(test::RunCommand("pdftotext -layout '" + file + "' -", out), 0) << out;
        for (const char* text : {"Batch summary: metal", "3 specimens of metal, made 12-10-2026 09:30",
                                 "Copper2 (CU-2)", "Birge ratio", "20 to 80 °C", "16.500", "1.37"})
            EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
    }
    std::string error;
    EXPECT_FALSE(WriteBatchSummaryPdf(op, clock, DILATO_PROGRAM_FOLDER "Fonts",
                                      dir.file("no/such/folder/b.pdf"), Batch(1), error));
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace dilato
