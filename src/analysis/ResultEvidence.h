#pragma once
// The evidence behind a test's reported results: each step's equilibrium evidence, each
// reported CTE with its expanded uncertainty and the method's flags, and the comparison of
// the heating and cooling legs of a round trip.

#include "analysis/FinalResults.h"
#include "analysis/MaterialClass.h"
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

// A result stands on the sample's own expansion between its two steps, which the indicator
// must resolve: under this many times the scatter of one indicator reading the noise alone
// is a tenth of the signal or more (the usual limit of quantification), and the result lies
// below the range of the method however its CTE compares with the floor above.
inline constexpr double kExpansionNoiseMultiple = 10.0;

[[nodiscard]] bool ExpansionBelowNoise(double expansionInches, double noiseInches);

// The standard a test follows. A plastic measured wholly between -30 and 30 °C is the case
// of the plastics method; any other test (another class, a plastic beyond those
// temperatures, a sample whose class was not named) is the linear thermal expansion of a
// rigid solid by push-rod dilatometry, reported as mean coefficients between two
// temperatures.
enum class MethodStandard { PlasticsD696, SolidsE228 };
inline constexpr double kPlasticsMethodLow = -30.0, kPlasticsMethodHigh = 30.0;

[[nodiscard]] MethodStandard MethodFor(MaterialClass kind, std::span<const double> setPoints);

struct ResultEvidence {
    int key = 0; // the number of its "CTE k:" line in the summary
    int row = 0; // its row of the results table
    int fromStep = 0, toStep = 0;
    float fromTemp = 0, toTemp = 0, cte = 0, accuracy = 0;
    bool hasBudget = false; // both steps' evidence was there
    UncertaintyBudget budget;
    bool belowMethodRange = false;
    // The sample's own expansion over the interval as the result has it (inches, |CTE| x
    // length x dT), the larger indicator noise of its two steps (one reading's standard
    // deviation, inches; 0 without both steps' evidence), and whether the expansion is under
    // kExpansionNoiseMultiple times that noise.
    double expansion = 0;
    double indicatorNoise = 0;
    bool belowNoiseRange = false;
    // The reported results that share a step with this one: their key and the correlation
    // of the two results.
    std::vector<std::pair<int, double>> correlations;
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
    // The expanded uncertainty (k = 2, 10^-6 per °C) of outbound - back: the legs share the
    // turn step and the instrument's figures, which act on both together; and whether the
    // legs differ by more than it.
    double differenceUncertainty = 0;
    bool beyondUncertainty = false;

    [[nodiscard]] float heating() const { return heatingFirst ? outbound : back; }
    [[nodiscard]] float cooling() const { return heatingFirst ? back : outbound; }
};

struct TestEvidence {
    std::vector<StepEvidence> steps;
    std::vector<ResultEvidence> results;
    std::optional<RoundTripCheck> roundTrip;
    MaterialClass material = MaterialClass::Unknown;
    MethodStandard method = MethodStandard::SolidsE228;
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
    // The sample's class as the operator named it: with the set points it decides the
    // standard the test follows.
    MaterialClass material = MaterialClass::Unknown;
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
