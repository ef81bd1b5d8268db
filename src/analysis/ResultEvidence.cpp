#include "analysis/ResultEvidence.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace dilato {

bool BelowMethodRange(double cte) {
    return std::fabs(cte) < kMethodFloorCte;
}

bool ExpansionBelowNoise(double expansionInches, double noiseInches) {
    return noiseInches > 0.0 && std::fabs(expansionInches) < kExpansionNoiseMultiple * noiseInches;
}

MethodStandard MethodFor(MaterialClass kind, std::span<const double> setPoints) {
    const auto within = [](double t) { return t >= kPlasticsMethodLow && t <= kPlasticsMethodHigh; };
    return kind == MaterialClass::Polymer && !setPoints.empty() &&
                   std::all_of(setPoints.begin(), setPoints.end(), within)
               ? MethodStandard::PlasticsD696
               : MethodStandard::SolidsE228;
}

std::vector<int> ReportedRows(int steps, int batchTemps) {
    // A plain pair reports its one result; longer batches every pair up to the last batch
    // temperature, whose row is the whole range unless a round trip follows.
    std::vector<int> rows;
    const int first = steps == 2 ? 2 : 1;
    for (int n = first; n <= batchTemps; ++n)
        rows.push_back(steps == 2 ? 1 : n);
    return rows;
}

namespace {

const StepEvidence* EvidenceOf(const std::vector<StepEvidence>& steps, int step) {
    if (step < 1 || static_cast<size_t>(step) > steps.size()) return nullptr;
    const StepEvidence& e = steps[static_cast<size_t>(step - 1)];
    return e.step == step ? &e : nullptr;
}

std::optional<RoundTripCheck> CheckRoundTrip(const std::vector<StepEvidence>& steps,
                                             const PlanShape& plan, float sampleLength,
                                             const InstrumentFigures& figures,
                                             const ColumnCorrection* correction) {
    const int turn = plan.batchTemps;
    if (!plan.roundTrip || turn < 2 || static_cast<int>(plan.setPoints.size()) != turn + 1)
        return std::nullopt;
    const StepEvidence* first = EvidenceOf(steps, 1);
    const StepEvidence* middle = EvidenceOf(steps, turn);
    const StepEvidence* last = EvidenceOf(steps, turn + 1);
    if (!first || !middle || !last) return std::nullopt;
    RoundTripCheck c;
    c.firstStep = 1;
    c.turnStep = turn;
    c.lastStep = turn + 1;
    c.heatingFirst = plan.setPoints[static_cast<size_t>(turn - 1)] > plan.setPoints[0];
    c.outbound = CteBetweenEnds(first->resultTemperature(), first->resultIndicator(),
                                middle->resultTemperature(), middle->resultIndicator(),
                                sampleLength, correction);
    c.back = CteBetweenEnds(middle->resultTemperature(), middle->resultIndicator(),
                            last->resultTemperature(), last->resultIndicator(), sampleLength,
                            correction);
    const double mean = (std::fabs(c.outbound) + std::fabs(c.back)) / 2.0;
    const double gap = std::fabs(static_cast<double>(c.outbound) - c.back);
    c.difference = mean > 0.0 ? gap / mean : 0.0;
    c.marked = c.difference > kRoundTripTolerance;
    // The turn step's end value moves both legs' CTEs the same way: in their difference it
    // largely cancels, as does the fixture correction they both carry.
    const WeightedCte legs[] = {{*first, *middle, c.outbound, 1.0}, {*middle, *last, c.back, -1.0}};
    c.differenceUncertainty =
        UncertaintyBudget::kCoverageFactor * CombinedUncertaintyOf(legs, sampleLength, figures, correction);
    c.beyondUncertainty = gap > c.differenceUncertainty;
    return c;
}

// A result whose steps did not both end at equilibrium keeps no accuracy claim: what was
// still to come at the steps that did not, as it would have changed the result.
void NoteEquilibrium(ResultEvidence& r, const StepEvidence& from, const StepEvidence& to,
                     double sampleLength) {
    r.atEquilibrium = from.atEquilibrium() && to.atEquilibrium();
    if (r.atEquilibrium) return;
    r.stillToCome = (to.atEquilibrium() ? 0.0 : to.stillToCome()) -
                    (from.atEquilibrium() ? 0.0 : from.stillToCome());
    // The sample's own expansion over the interval, as the result has it.
    const double expansion = static_cast<double>(r.cte) * 1e-6 * sampleLength *
                             (static_cast<double>(to.resultTemperature()) - from.resultTemperature());
    r.stillToComeFraction = expansion != 0.0 ? r.stillToCome / expansion : 0.0;
}

// The sample's expansion over the interval against the indicator's noise at its steps.
void NoteExpansion(ResultEvidence& r, const StepEvidence& from, const StepEvidence& to,
                   double sampleLength) {
    r.expansion = std::fabs(static_cast<double>(r.cte) * 1e-6 * sampleLength *
                            (static_cast<double>(to.resultTemperature()) - from.resultTemperature()));
    r.indicatorNoise = std::max(from.indicatorSigma, to.indicatorSigma);
    r.belowNoiseRange = ExpansionBelowNoise(r.expansion, r.indicatorNoise);
}

// Results that share a step are correlated through its end value: each notes the others.
void NoteCorrelations(std::vector<ResultEvidence>& results, const std::vector<StepEvidence>& steps,
                      double sampleLength, const InstrumentFigures& figures,
                      const ColumnCorrection* correction) {
    for (ResultEvidence& r : results) {
        if (!r.hasBudget) continue;
        for (const ResultEvidence& o : results) {
            if (&o == &r || !o.hasBudget) continue;
            const bool shared = r.fromStep == o.fromStep || r.fromStep == o.toStep ||
                                r.toStep == o.fromStep || r.toStep == o.toStep;
            if (!shared) continue;
            const auto at = [&](int step) -> const StepEvidence& {
                return steps[static_cast<size_t>(step - 1)];
            };
            r.correlations.emplace_back(
                o.key, CorrelationOf({at(r.fromStep), at(r.toStep), r.cte},
                                     {at(o.fromStep), at(o.toStep), o.cte}, sampleLength,
                                     figures, correction));
        }
    }
}

} // namespace

TestEvidence BuildTestEvidence(const std::vector<StepEvidence>& steps, const ResultTable& table,
                               const PlanShape& plan, float sampleLength,
                               const InstrumentFigures& figures,
                               const ColumnCorrection* correction) {
    TestEvidence out;
    out.steps = steps;
    out.material = plan.material;
    out.method = MethodFor(plan.material, plan.setPoints);
    const int stepCount = static_cast<int>(plan.setPoints.size());
    int key = 0;
    for (const int row : ReportedRows(stepCount, plan.batchTemps)) {
        ResultEvidence r;
        r.key = ++key;
        r.row = row;
        if (row < stepCount) {
            r.fromStep = row;
            r.toStep = row + 1;
        } else {
            std::tie(r.fromStep, r.toStep) = RangeSteps(plan.setPoints);
        }
        r.fromTemp = table.at(row, result::StartTemp);
        r.toTemp = table.at(row, result::EndTemp);
        r.cte = table.at(row, result::Cte);
        r.accuracy = table.at(row, result::Accuracy);
        r.belowMethodRange = BelowMethodRange(r.cte);
        const StepEvidence* from = EvidenceOf(steps, r.fromStep);
        const StepEvidence* to = EvidenceOf(steps, r.toStep);
        if (from && to) {
            r.hasBudget = true;
            r.budget = BudgetFor(*from, *to, r.cte, sampleLength, figures, correction);
            r.lastReadingCte = CteBetweenEnds(from->endTemperature, from->endIndicator,
                                              to->endTemperature, to->endIndicator, sampleLength,
                                              correction);
            NoteEquilibrium(r, *from, *to, sampleLength);
            NoteExpansion(r, *from, *to, sampleLength);
        }
        out.results.push_back(r);
    }
    NoteCorrelations(out.results, steps, sampleLength, figures, correction);
    out.roundTrip = CheckRoundTrip(steps, plan, sampleLength, figures, correction);
    return out;
}

} // namespace dilato
