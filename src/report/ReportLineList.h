#pragma once
// The report line list: what the summary writer hands the test report. Entry 0 is the full
// path of the PDF file to write (the data folder + the test name + ".pdf"); entries 1 to n
// are the body lines in order: "Sample ID = ...", "Sample Length = ...", "Raw Data File = ...",
// one "CTE k: = ..." line per reported step, an empty line, and the "    Tester S/N:..."
// version line. Texts are UTF-8 ("°C", "µ/°C"). With the evidence of the test, the report
// has a second page that shows it.

#include "analysis/ResultEvidence.h"

#include <optional>
#include <string>
#include <vector>

namespace dilato {

struct ReportLineList {
    std::vector<std::string> lines;
    std::optional<TestEvidence> evidence;

    [[nodiscard]] const std::string& pdfPath() const { return lines.at(0); }
    [[nodiscard]] size_t bodyCount() const { return lines.empty() ? 0 : lines.size() - 1; }
};

} // namespace dilato
