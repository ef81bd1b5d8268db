#include "core/RecoveredSteps.h"

#include "platform/TextFile.h"

#include <algorithm>

namespace dilato {

const std::vector<Reading>& RecoveredSteps::stepReadings(int step) const {
    static const std::vector<Reading> kNone;
    return step >= 1 && static_cast<size_t>(step) < readings.size()
               ? readings[static_cast<size_t>(step)]
               : kNone;
}

int JournalledStepsCompleted(const JournalContent& journal, int steps) {
    int completed = journal.stepsSaved();
    for (int step = steps; step > completed + 1; --step) {
        if (!journal.stepReadings(step).empty()) {
            completed = step - 1;
            break;
        }
    }
    for (const auto& [step, attempt] : journal.abandoned)
        if (!attempt.empty()) completed = std::max(completed, std::min(step, steps + 1) - 1);
    return std::min(completed, steps);
}

RecoveredSteps RecoverCompletedSteps(const JournalContent& journal,
                                     const std::optional<StoredTest>& raw, int steps) {
    RecoveredSteps r;
    r.saved = JournalledStepsCompleted(journal, steps);
    r.readings.resize(static_cast<size_t>(r.saved) + 1);
    for (int step = 1; step <= r.saved; ++step) {
        const std::vector<Reading>& journalled = journal.stepReadings(step);
        std::vector<Reading> stored = raw ? StoredStepReadings(*raw, step) : std::vector<Reading>{};
        // Compared as the raw data file keeps them: the journal also holds a reading taken as
        // the step's clock started, which the raw data file never has.
        const size_t inJournal = RawFileReadings(journalled).size();
        if (stored.size() > inJournal) {
            r.readings[static_cast<size_t>(step)] = std::move(stored);
            r.fromRawFile.push_back(step);
        } else {
            r.readings[static_cast<size_t>(step)] = journalled;
        }
    }
    return r;
}

std::optional<StoredTest> ReadRawFileForRecovery(const std::string& file) {
    const auto lines = ReadTextLines(file);
    if (!lines) return std::nullopt;
    StoredTest partial;
    if (auto test = ParseRawData(*lines, &partial)) return test;
    return partial;
}

} // namespace dilato
