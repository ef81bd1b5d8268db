#pragma once
// The evidence behind a test's reported results: each step's equilibrium evidence, each
// reported CTE with its expanded uncertainty and the method's flags, and the comparison of
// the heating and cooling legs of a round trip.

#include "analysis/FinalResults.h"
#include "analysis/StepEvidence.h"
#include "analysis/UncertaintyBudget.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dilato {

// Below this |CTE| (10^-6 per °C) a result lies below the range of the method.
inline constexpr double kMethodFloorCte = 1.0;
// Heating and cooling results of a round trip that differ by more than this fraction of
// their mean are marked.
inline constexpr double kRoundTripTolerance = 0.10;

[[nodiscard]] bool BelowMethodRange(double cte);

struct ResultEvidence {
    int key = 0; // the number of its "CTE k:" line in the summary
    int row = 0; // its row of the results table
    int fromStep = 0, toStep = 0;
    float fromTemp = 0, toTemp = 0, cte = 0, accuracy = 0;
    bool hasBudget = false; // both steps' evidence was there
    UncertaintyBudget budget;
    bool belowMethodRange = false;
    // The CTE from the two steps' end readings (the result itself is from their equilibrium
    // values when their approach was fitted); 0 without both steps' evidence.
    float lastReadingCte = 0;
    // Both steps ended at equilibrium; otherwise what the steps that did not still had to
    // come, as it acts on the change (inches, to less from) and as a fraction of the change.
    bool atEquilibrium = true;
    double stillToCome = 0;
    double stillToComeFraction = 0;
};

struct RoundTripCheck {
    int firstStep = 0, turnStep = 0, lastStep = 0; // out from first to turn, back to last
    bool heatingFirst = true;
    float outbound = 0, back = 0; // CTE of each leg
    double difference = 0;        // |outbound - back| / mean of their magnitudes
    bool marked = false;

    [[nodiscard]] float heating() const { return heatingFirst ? outbound : back; }
    [[nodiscard]] float cooling() const { return heatingFirst ? back : outbound; }
};

struct TestEvidence {
    std::vector<StepEvidence> steps;
    std::vector<ResultEvidence> results;
    std::optional<RoundTripCheck> roundTrip;
    // The system correction the results use ("fixed fixture correction" or the measured
    // one's record), and what the operator must know about it (a refused or expired
    // correction, an instrument out of control); filled in by whoever knows them.
    std::string correctionText;
    std::vector<std::string> correctionWarnings;
};

// Plan of the test: its set points in run order (one per step), the batch temperatures in
// use and whether the last step returns to the first set point.
struct PlanShape {
    std::span<const double> setPoints;
    int batchTemps = 0;
    bool roundTrip = false;
};

// Rows of the results table the summary reports, in the order of its "CTE k:" keys.
[[nodiscard]] std::vector<int> ReportedRows(int steps, int batchTemps);

// `steps`: the evidence of the steps saved so far (element s - 1 for step s); `table` the
// complete results; `correction` the column's measured correction the results used (none:
// the fixed one).
[[nodiscard]] TestEvidence BuildTestEvidence(const std::vector<StepEvidence>& steps,
                                             const ResultTable& table, const PlanShape& plan,
                                             float sampleLength,
                                             const InstrumentFigures& figures = {},
                                             const ColumnCorrection* correction = nullptr);

} // namespace dilato
