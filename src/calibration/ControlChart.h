#pragma once
// The control chart of the reference runs: every run that used a measured correction checks
// the instrument. Its normalised error E_n = (measured - certified) / U_combined compares it
// with the certificate; the lab's own action limits (mean +/- 3 s of its last checks that
// were in control, leaving out the latest two that the rules judge) watch it for drift: one
// check beyond 3 s, or two of the last three beyond 2 s on the same side, put the
// instrument out of control until a new check is in control.
// A plain model: the window draws what it holds, tests drive it without one.

#include "calibration/CorrectionRecord.h"

#include <span>
#include <string>
#include <vector>

namespace dilato {

struct ChartSettings {
    int window = 20;          // checks the limits are taken from
    int minimumForLimits = 5; // checks needed before the lab's own limits apply
};

enum class ChartRule {
    None,
    Certificate,  // |E_n| > 1: the check disagrees with the certificate
    Beyond3s,     // beyond the lab's 3 s action limits
    TwoOfThree2s, // this and one of the two before beyond 2 s on the same side
};

[[nodiscard]] std::string RuleText(ChartRule rule);

struct ChartPoint {
    int record = 0;
    QDateTime made;
    double measured = 0, certified = 0;
    double combinedU = 0; // sqrt(U_measured^2 + U_certified^2)
    double en = 0;
    bool check = false; // the run used a measured correction: a check of it
    // The lab's limits in force for this check (from earlier checks), when there were enough.
    bool limits = false;
    double mean = 0, sd = 0;
    ChartRule broken = ChartRule::None;
};

struct ChartState {
    std::vector<ChartPoint> points; // every reference run, oldest first
    bool outOfControl = false;      // the latest check broke a rule
    std::string warning;            // its words, empty when in control
    // The lab's present limits (from its latest checks in control), when there are enough.
    bool limits = false;
    double mean = 0, sd = 0;
};

// The chart of the records (any order; refused ones are not given) of one reference
// material.
[[nodiscard]] ChartState EvaluateChart(std::span<const CorrectionRecordData> records,
                                       const ChartSettings& settings = {});

} // namespace dilato
