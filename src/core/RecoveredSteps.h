#pragma once
// The completed steps of an interrupted test, taken together from its journal and its raw
// data file. The two are written at different moments (the journal with every reading, the
// raw data file at each step's save), so damage to one rarely reaches the same readings in
// the other: each completed step is taken from whichever holds more of it, and a step that
// the journal shows completed although its save record was lost still counts as completed.

#include "storage/RawDataFile.h"
#include "storage/TestJournal.h"

#include <optional>
#include <string>
#include <vector>

namespace dilato {

struct RecoveredSteps {
    int saved = 0; // completed steps
    // Readings of each completed step (index: 1-based step; index 0 unused).
    std::vector<std::vector<Reading>> readings;
    // Steps whose readings came from the raw data file, as the journal held fewer of them.
    std::vector<int> fromRawFile;

    [[nodiscard]] const std::vector<Reading>& stepReadings(int step) const;
};

// The steps a journal shows completed: its save records, and a step whose next step has
// readings in it (the sequencer goes on only after a save), even when its record is lost.
[[nodiscard]] int JournalledStepsCompleted(const JournalContent& journal, int steps);

// The completed steps of the test from its journal and, when it could be read (or in part),
// its raw data file.
[[nodiscard]] RecoveredSteps RecoverCompletedSteps(const JournalContent& journal,
                                                   const std::optional<StoredTest>& raw,
                                                   int steps);

// The raw data file `file` as far as it can be read (a damaged file up to its fault);
// nullopt when there is no such file.
[[nodiscard]] std::optional<StoredTest> ReadRawFileForRecovery(const std::string& file);

} // namespace dilato
