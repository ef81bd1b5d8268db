#pragma once
// The evidence of a test in words: the keys of the summary's evidence section (written after
// the results section, which stays as it is, so readers that look keys up there see no
// change), and the lines the report's evidence page prints.

#include "analysis/ResultEvidence.h"

#include <string>
#include <utility>
#include <vector>

namespace dilato {

using EvidenceKeys = std::vector<std::pair<std::string, std::string>>;

// The summary section that holds the evidence of the results section of the same number.
[[nodiscard]] std::string EvidenceSectionName(int incompleteTestCounter);

// Keys in writing order; every value starts with one blank as the results section's do.
[[nodiscard]] EvidenceKeys EvidenceSectionKeys(const TestEvidence& evidence);

// One reported result's flag text: the method's limit it breaks, or "none".
[[nodiscard]] std::string ResultFlagText(const ResultEvidence& result);
// "at equilibrium", or for a result whose steps did not both end there "not at equilibrium:
// 540.0 µin (12.9 %) still to come".
[[nodiscard]] std::string EquilibriumFlagText(const ResultEvidence& result);
// A result whose expansion the indicator cannot resolve: "below the range of the method:
// 33.3 µin of expansion, under 10 times the noise (3.9 µin)"; else "none".
[[nodiscard]] std::string ExpansionFlagText(const ResultEvidence& result);
// The standard the test followed, by the sample's class and the plan's temperatures.
[[nodiscard]] std::string MethodText(const TestEvidence& evidence);
// The round trip's comparison: "heating 16.8, cooling 16.9 µ/°C: 0.6% apart (within 10%)".
[[nodiscard]] std::string RoundTripText(const RoundTripCheck& check);

// Lines of the report's evidence page, grouped under headings: each group is a heading
// followed by its lines.
struct EvidenceGroup {
    std::string heading;
    std::vector<std::string> lines;
};
[[nodiscard]] std::vector<EvidenceGroup> EvidencePageGroups(const TestEvidence& evidence);

} // namespace dilato
