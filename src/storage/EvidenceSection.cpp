#include "storage/EvidenceSection.h"

#include "platform/Format.h"

#include <cmath>

namespace dilato {

namespace {

const std::string kDeg = "\xC2\xB0"
                         "C";
const std::string kCteUnit = "\xC2\xB5/\xC2\xB0"
                             "C";
const std::string kMicroInch = "\xC2\xB5in";

std::string Num(double value, const char* pattern) {
    return FormatNumber(value, pattern);
}

std::string MicroInches(double inches) {
    return Num(inches * 1e6, "0.0") + " " + kMicroInch;
}

std::string StepTitle(const StepEvidence& s) {
    return Num(s.facts.setPoint, "0") + " " + kDeg + ": ended by the " +
           EndingText(s.facts.ending) + " after " + Num(s.facts.stepMinutes, "0.0") +
           " min, hold " + Num(s.holdMinutes(), "0.0") + " min";
}

std::string DriftText(const StepEvidence& s) {
    return "average " + Num(s.facts.averageSlope, "0.0") + ", live " +
           Num(s.facts.liveSlope, "0.0") + ", threshold " + Num(s.facts.threshold, "0.0") + " " +
           kMicroInch + "/10 min; steady ticks " + Num(s.facts.steadyTicks, "0");
}

std::string TemperatureText(const StepEvidence& s) {
    return Num(s.endTemperature, "0.00") + " " + kDeg + " at the end; spread " +
           Num(s.tempSpread, "0.00") + " " + kDeg + ", s.d. " + Num(s.tempSigma, "0.000") + " " +
           kDeg + " over " + Num(s.tempReadings, "0") + " readings";
}

std::string IndicatorText(const StepEvidence& s) {
    return Num(s.endIndicator, "0.000000") + " in at the end; noise s.d. " +
           MicroInches(s.indicatorSigma) + " over " + Num(s.noiseReadings, "0") + " readings";
}

std::string ToComeText(const StepEvidence& s) {
    return (s.remainingDrift > 0 ? "+" : "") + MicroInches(s.remainingDrift) +
           (s.driftTimeConstant > 0 ? " (the drift falling with a time constant of " +
                                          Num(s.driftTimeConstant, "0") + " min)"
                                    : "");
}

// The fit of the step's approach: where it was heading, what was still to come, by which
// time constant, and whether that was known well enough to end the step.
std::string EquilibriumText(const StepEquilibrium& e) {
    const EquilibriumFit& f = e.fit;
    if (!f.valid) return "no fit (" + Num(f.readings, "0") + " readings in the window)";
    return Num(f.endValue, "0.000000") + " in at " + Num(e.meanTemperature, "0.00") + " " + kDeg +
           "; still to come " + (f.remaining > 0 ? "+" : "") + MicroInches(f.remaining) + " (" +
           Num(100.0 * e.remainingFraction(), "0.0") + "% of the step) +/- " +
           MicroInches(f.remainingUncertainty) + "; tau " + Num(f.tau, "0.0") + " min " +
           (f.tauResolved ? "fitted" : "expected") + " (expected " + Num(f.tauPrior, "0.0") +
           " min), window " + Num(f.windowMinutes(), "0.0") + " min; " +
           (e.reached ? "at equilibrium" : "not at equilibrium") + " (limit " +
           MicroInches(e.limit) + ")";
}

std::string ResultTitle(const ResultEvidence& r) {
    return Num(r.fromTemp, "0.0") + kDeg + " to " + Num(r.toTemp, "0.0") + kDeg + ": " +
           Num(r.cte, "0.00") + " " + kCteUnit;
}

std::string UncertaintyText(const ResultEvidence& r) {
    if (!r.hasBudget) return "no evidence of its steps";
    return "U = " + Num(r.budget.expanded, "0.000") + " " + kCteUnit + " (" +
           Num(100.0 * r.budget.relative(r.cte), "0.0") + "%), k = 2; steps " +
           Num(r.fromStep, "0") + " to " + Num(r.toStep, "0");
}

// The budget's terms: name and standard uncertainty.
std::vector<std::pair<std::string, double>> BudgetTerms(const UncertaintyBudget& b) {
    return {{"Sample Length", b.sampleLength},
            {"Temperature Calibration", b.temperatureCalibration},
            {"Temperature Stability", b.temperatureStability},
            {"Indicator Resolution", b.indicatorResolution},
            {"Indicator Noise", b.indicatorNoise},
            {"Fixture Correction", b.fixtureCorrection},
            {"Residual Drift", b.residualDrift},
            {"Indicator Gain", b.indicatorGain},
            {"Calibrator", b.calibrator},
            {"Sample Versus Stage", b.sampleStage}};
}

std::string Key(const char* what, int n, const std::string& rest = {}) {
    return std::string(what) + " " + Num(n, "0") + (rest.empty() ? "" : " " + rest);
}

} // namespace

std::string EvidenceSectionName(int incompleteTestCounter) {
    return "CTE Test Evidence #" + FormatNumber(incompleteTestCounter, "#");
}

std::string ResultFlagText(const ResultEvidence& r) {
    if (r.belowMethodRange)
        return "below the range of the method (under " + Num(kMethodFloorCte, "0") + " " +
               kCteUnit + ")";
    return "none";
}

std::string EquilibriumFlagText(const ResultEvidence& r) {
    if (r.atEquilibrium) return "at equilibrium";
    return "not at equilibrium: " + Num(r.stillToCome * 1e6, "0.0") + " " + kMicroInch + " (" +
           Num(100.0 * r.stillToComeFraction, "0.0") + " %) still to come";
}

std::string ExpansionFlagText(const ResultEvidence& r) {
    if (!r.belowNoiseRange) return "none";
    return "below the range of the method: " + MicroInches(r.expansion) +
           " of expansion, under " + Num(kExpansionNoiseMultiple, "0") + " times the noise (" +
           MicroInches(r.indicatorNoise) + ")";
}

// Kept within what a reader of the summary takes of a value (99 bytes).
std::string MethodText(const TestEvidence& e) {
    const std::string low = Num(kPlasticsMethodLow, "0"), high = Num(kPlasticsMethodHigh, "0");
    if (e.method == MethodStandard::PlasticsD696)
        return "ASTM D696: CTE of a plastic between " + low + " and " + high + " " + kDeg;
    std::string text = "ASTM E228 / E831: mean CTE of a solid between two temperatures";
    if (e.material == MaterialClass::Polymer)
        text += " (a plastic outside " + low + " to " + high + " " + kDeg + ")";
    else if (e.material == MaterialClass::Unknown)
        text += " (material class not named)";
    return text;
}

// How far apart the legs of a round trip may be by their uncertainty, which they partly
// share.
std::string RoundTripUncertaintyText(const RoundTripCheck& c) {
    return "U of the difference " + Num(c.differenceUncertainty, "0.000") + " " + kCteUnit +
           " (k = 2; the legs share step " + Num(c.turnStep, "0") + "): " +
           (c.beyondUncertainty ? "the legs differ by more" : "the legs agree within it");
}

// The results that share a step with this one and their correlation with it.
std::string CorrelationText(const ResultEvidence& r) {
    std::string text;
    for (const auto& [key, correlation] : r.correlations)
        text += (text.empty() ? "" : ", ") + std::string("CTE ") + Num(key, "0") + " " +
                (correlation >= 0 ? "+" : "") + Num(correlation, "0.00");
    return text;
}

std::string RoundTripText(const RoundTripCheck& c) {
    const std::string limit = Num(100.0 * kRoundTripTolerance, "0") + "%";
    return "heating " + Num(c.heating(), "0.00") + ", cooling " + Num(c.cooling(), "0.00") + " " +
           kCteUnit + ": " + Num(100.0 * c.difference, "0.0") + "% apart" +
           (c.marked ? ", more than " + limit + " (marked)" : " (within " + limit + ")");
}

EvidenceKeys EvidenceSectionKeys(const TestEvidence& evidence) {
    EvidenceKeys keys;
    for (const StepEvidence& s : evidence.steps) {
        if (s.step == 0) continue; // a step saved without its evidence
        keys.emplace_back(Key("Step", s.step), " " + StepTitle(s));
        keys.emplace_back(Key("Step", s.step, "Drift"), " " + DriftText(s));
        keys.emplace_back(Key("Step", s.step, "Temperature"), " " + TemperatureText(s));
        keys.emplace_back(Key("Step", s.step, "Indicator"), " " + IndicatorText(s));
        keys.emplace_back(Key("Step", s.step, "Still To Move"), " " + ToComeText(s));
        if (s.equilibrium)
            keys.emplace_back(Key("Step", s.step, "Equilibrium"),
                              " " + EquilibriumText(*s.equilibrium));
    }
    for (const ResultEvidence& r : evidence.results) {
        keys.emplace_back(Key("CTE", r.key, "Result"), " " + ResultTitle(r));
        keys.emplace_back(Key("CTE", r.key, "Uncertainty"), " " + UncertaintyText(r));
        if (r.hasBudget)
            for (const auto& [name, u] : BudgetTerms(r.budget))
                keys.emplace_back(Key("CTE", r.key, "u " + name),
                                  " " + Num(u, "0.0000") + " " + kCteUnit);
        keys.emplace_back(Key("CTE", r.key, "Flag"), " " + ResultFlagText(r));
        if (r.hasBudget) {
            keys.emplace_back(Key("CTE", r.key, "Last Reading"),
                              " " + Num(r.lastReadingCte, "0.00") + " " + kCteUnit);
            keys.emplace_back(Key("CTE", r.key, "Equilibrium"), " " + EquilibriumFlagText(r));
            keys.emplace_back(Key("CTE", r.key, "Expansion Flag"), " " + ExpansionFlagText(r));
            if (!r.correlations.empty())
                keys.emplace_back(Key("CTE", r.key, "Correlation"), " " + CorrelationText(r));
        }
    }
    if (evidence.roundTrip) {
        keys.emplace_back("Round Trip", " " + RoundTripText(*evidence.roundTrip));
        keys.emplace_back("Round Trip Uncertainty",
                          " " + RoundTripUncertaintyText(*evidence.roundTrip));
    }
    // The standard the results followed (none before there are results).
    if (!evidence.results.empty()) keys.emplace_back("Method", " " + MethodText(evidence));
    if (!evidence.correctionText.empty())
        keys.emplace_back("System Correction", " " + evidence.correctionText);
    for (size_t i = 0; i < evidence.correctionWarnings.size(); ++i)
        keys.emplace_back(Key("Correction Warning", static_cast<int>(i) + 1),
                          " " + evidence.correctionWarnings[i]);
    return keys;
}

std::vector<EvidenceGroup> EvidencePageGroups(const TestEvidence& evidence) {
    std::vector<EvidenceGroup> groups;
    EvidenceGroup steps{"Equilibrium of each step", {}};
    for (const StepEvidence& s : evidence.steps) {
        if (s.step == 0) continue;
        steps.lines.push_back("Step " + Num(s.step, "0") + " at " + StepTitle(s));
        steps.lines.push_back("    drift: " + DriftText(s));
        steps.lines.push_back("    temperature: " + TemperatureText(s));
        steps.lines.push_back("    indicator: " + IndicatorText(s));
        steps.lines.push_back("    still to move: " + ToComeText(s));
        if (s.equilibrium)
            steps.lines.push_back("    equilibrium: " + EquilibriumText(*s.equilibrium));
    }
    groups.push_back(std::move(steps));

    EvidenceGroup results{
        "Expanded uncertainty (k = 2) of each result, standard uncertainties in " + kCteUnit, {}};
    for (const ResultEvidence& r : evidence.results) {
        results.lines.push_back("CTE " + Num(r.key, "0") + ": " + ResultTitle(r) + " +/- " +
                                Num(100.0 * r.accuracy, "0.0") + "% (estimate); " +
                                UncertaintyText(r));
        if (!r.hasBudget) continue;
        results.lines.push_back("    from the end readings " + Num(r.lastReadingCte, "0.00") +
                                " " + kCteUnit + "; " + EquilibriumFlagText(r));
        const UncertaintyBudget& b = r.budget;
        results.lines.push_back("    length " + Num(b.sampleLength, "0.000") +
                                ", temp. calibration " + Num(b.temperatureCalibration, "0.000") +
                                ", temp. stability " + Num(b.temperatureStability, "0.000") +
                                ", resolution " + Num(b.indicatorResolution, "0.000"));
        results.lines.push_back("    noise " + Num(b.indicatorNoise, "0.000") + ", fixture " +
                                Num(b.fixtureCorrection, "0.000") + ", residual drift " +
                                Num(b.residualDrift, "0.000") + "; combined " +
                                Num(b.combined, "0.000"));
        results.lines.push_back("    with indicator gain " + Num(b.indicatorGain, "0.000") +
                                ", calibrator " + Num(b.calibrator, "0.000") +
                                ", sample vs stage " + Num(b.sampleStage, "0.000"));
        if (!r.correlations.empty())
            results.lines.push_back("    correlation with " + CorrelationText(r));
    }
    groups.push_back(std::move(results));

    EvidenceGroup flags{"The method's limits", {}};
    if (!evidence.results.empty())
        flags.lines.push_back("Method followed: " + MethodText(evidence));
    for (const ResultEvidence& r : evidence.results)
        flags.lines.push_back(
            "CTE " + Num(r.key, "0") + ": " +
            (r.belowMethodRange ? ResultFlagText(r) : "within the range of the method"));
    for (const ResultEvidence& r : evidence.results)
        if (r.belowNoiseRange)
            flags.lines.push_back("CTE " + Num(r.key, "0") + ": " + ExpansionFlagText(r));
    for (const ResultEvidence& r : evidence.results)
        if (!r.atEquilibrium)
            flags.lines.push_back("CTE " + Num(r.key, "0") + ": " + EquilibriumFlagText(r));
    if (evidence.roundTrip) {
        flags.lines.push_back("Round trip: " + RoundTripText(*evidence.roundTrip));
        flags.lines.push_back("    " + RoundTripUncertaintyText(*evidence.roundTrip));
    }
    groups.push_back(std::move(flags));

    if (!evidence.correctionText.empty()) {
        EvidenceGroup correction{"System correction", {evidence.correctionText}};
        for (const std::string& w : evidence.correctionWarnings)
            correction.lines.push_back("WARNING: " + w);
        groups.push_back(std::move(correction));
    }
    return groups;
}

} // namespace dilato
