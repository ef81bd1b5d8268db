#include "analysis/CteFormulas.h"

#include "platform/Format.h"

#include <cmath>

namespace dilato {

namespace {

// The last three characters of "   " + text: whole-degree temperatures right-aligned.
std::string RightAlignedDegrees(float t) {
    const std::string padded = "   " + FormatSingle(t, "0");
    return padded.substr(padded.size() - 3);
}

} // namespace

float CteFromChange(float dT, float dI, float sampleLength) {
    if (std::fabs(dT) < 0.00001f) return 0.0f;
    return static_cast<float>(static_cast<double>(dI) / sampleLength / dT * 1000000.0);
}

float SystemCorrection(float dT, float sampleLength) {
    double correction = static_cast<double>(dT) * 0.0000052;
    if (sampleLength < 2.0f)
        correction -= (2.0 - static_cast<double>(sampleLength)) * 0.0000006 * dT;
    return static_cast<float>(correction);
}

float AccuracyEstimate(float dT, float cte, float sampleLength) {
    if (std::fabs(cte) < 0.00000001f || std::fabs(dT) < 0.00001f) return 0.0f;
    const double t = dT;
    const double lc = static_cast<double>(sampleLength) * cte;
    return static_cast<float>(std::fabs(0.4 / t) + std::fabs(40.0 / (lc * t)) +
                              std::fabs(1.04 / lc));
}

Analysed<std::string> CtePlotString(float t1, float t2, float i1, float i2, float sampleLength) {
    try {
        const float dT = t2 - t1;
        const float dI = i2 - i1;
        const float cte = CteFromChange(dT, dI, sampleLength);
        const float accuracy = AccuracyEstimate(dT, cte, sampleLength);
        return "CTE: " + RightAlignedDegrees(t1) + "\u00B0C to " + RightAlignedDegrees(t2) +
               "\u00B0C = " + FormatSingle(cte, "0.0") + " \u00B5/\u00B0C +/-" +
               FormatSingle(accuracy * 100.0f, "0.0") + "%";
    } catch (const std::exception& e) {
        return FailedIn("CtePlotString", e.what(), AnalysisError::Weight::Error);
    }
}

} // namespace dilato
