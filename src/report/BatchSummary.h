#pragma once
// The batch summary: one page (more when the batch is long) of the statistics of a result over
// the specimens of one material, in the report's own letter layout, written as a PDF of its
// own beside the tests' reports.

#include "analysis/BatchStatistics.h"
#include "platform/Clock.h"
#include "platform/Operator.h"
#include "report/PdfPrinter.h"

#include <string>
#include <vector>

namespace dilato {

struct BatchSummary {
    std::string material;
    std::vector<std::string> tests; // names of the specimens' tests
    struct Row {
        std::string interval; // "20 to 80 °C"
        BatchStatistics stats;
    };
    std::vector<Row> rows;
};

// Lays the summary out from the page open in `pdf` on.
void LayOutBatchSummary(PDFPrinter& pdf, const BatchSummary& summary, const QDateTime& made);

// Writes the summary to `path` with the font metrics of `fontsFolder`; false with `error`
// set when it could not be written.
[[nodiscard]] bool WriteBatchSummaryPdf(Operator& op, const Clock& clock,
                                        const std::string& fontsFolder, const std::string& path,
                                        const BatchSummary& summary, std::string& error);

} // namespace dilato
