#pragma once
// The raw data file of a test, "<test>_CTE.dat": the sample length, the accuracy option and,
// step by step, every stored reading. Rewritten whole (atomically) at the end of every step;
// read back to plot stored tests.

#include "analysis/StepData.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kRawColumnTitles =
    "Elapsed (min.)     Ind. Reading (\xC2\xB5/)     Temp. (\xC2\xB0"
    "C)Ind. Slope (\xC2\xB5/)     Proj. Ind. (\xC2\xB5/)";
inline constexpr const char* kCorruptedFileMessage =
    "This file has corrupted or contains incomplete data and cannot be read.";

// The readings of a step that its raw data file keeps: none at 0.01 minute or below before
// the step's clock has passed it (a step's first reading taken as its clock starts), but
// every later one, also a reading at 0.0 when the clock of a step of more than a day wraps.
[[nodiscard]] std::vector<Reading> RawFileReadings(std::span<const Reading> readings);
// The file's lines: `steps` steps of `data`, each with its RawFileReadings.
[[nodiscard]] std::vector<std::string> RawDataLines(const StepData& data, int steps,
                                                    float sampleLength, int accuracyOption);
// One reading's line: the five columns joined by "," and five blanks.
[[nodiscard]] std::string RawReadingLine(const Reading& reading);

struct StoredTest {
    StepData data;             // 10 steps; readings keep one numbering across the steps
    float sampleLength = 0.0f; // inches
    int accuracyOption = 0;
};

// The readings of step `step` (1-based) of a raw data file read back, in order.
[[nodiscard]] std::vector<Reading> StoredStepReadings(const StoredTest& test, int step);

// Reads a raw data file back; nullopt for any bad content (the corrupted-file message applies):
// a second "Sample Length = " line, a step header out of order or above 10, fewer than two
// steps, a reading line with fewer than five fields or a field that is not a number.
// `partial`, when given, receives what was read up to the fault (a plot still shows it).
[[nodiscard]] std::optional<StoredTest> ParseRawData(const std::vector<std::string>& lines,
                                                     StoredTest* partial = nullptr);

} // namespace dilato
