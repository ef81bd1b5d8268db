#include "calibration/ControlChart.h"

#include "platform/Format.h"

#include <algorithm>
#include <cmath>

namespace dilato {

namespace {

struct Limits {
    bool given = false;
    double mean = 0, sd = 0;
};

// Mean and sample standard deviation of the measured values of the last `window` checks in
// control.
Limits LimitsOf(const std::vector<const ChartPoint*>& inControl, const ChartSettings& s) {
    Limits l;
    const size_t n = std::min(inControl.size(), static_cast<size_t>(std::max(s.window, 2)));
    if (static_cast<int>(n) < std::max(s.minimumForLimits, 2)) return l;
    const auto first = inControl.end() - static_cast<std::ptrdiff_t>(n);
    double sum = 0;
    for (auto it = first; it != inControl.end(); ++it)
        sum += (*it)->measured;
    l.mean = sum / static_cast<double>(n);
    double squares = 0;
    for (auto it = first; it != inControl.end(); ++it)
        squares += ((*it)->measured - l.mean) * ((*it)->measured - l.mean);
    l.sd = std::sqrt(squares / static_cast<double>(n - 1));
    l.given = l.sd > 0;
    return l;
}

// Which side of the mean and how many s away, for the two-of-three rule.
int Side(double value, const Limits& l, double multiple) {
    if (value > l.mean + multiple * l.sd) return 1;
    if (value < l.mean - multiple * l.sd) return -1;
    return 0;
}

} // namespace

std::string RuleText(ChartRule rule) {
    switch (rule) {
    case ChartRule::None:
        return "in control";
    case ChartRule::Certificate:
        return "E_n beyond 1 (the check disagrees with the certificate)";
    case ChartRule::Beyond3s:
        return "one check beyond the 3 s action limits";
    case ChartRule::TwoOfThree2s:
        return "two of three checks beyond 2 s on the same side";
    }
    return {};
}

ChartState EvaluateChart(std::span<const CorrectionRecordData> records,
                         const ChartSettings& settings) {
    std::vector<const CorrectionRecordData*> sorted;
    for (const CorrectionRecordData& r : records)
        sorted.push_back(&r);
    std::sort(sorted.begin(), sorted.end(),
              [](const auto* a, const auto* b) { return a->number < b->number; });

    ChartState state;
    std::vector<const ChartPoint*> inControl; // checks that broke no rule
    state.points.reserve(sorted.size());
    for (const CorrectionRecordData* r : sorted) {
        ChartPoint p;
        p.record = r->number;
        p.made = r->made;
        p.measured = r->measuredCte;
        p.certified = r->certifiedCte;
        p.combinedU = std::hypot(r->measuredU, r->certifiedU);
        p.en = p.combinedU > 0 ? (p.measured - p.certified) / p.combinedU : 0.0;
        p.check = r->usedRecord > 0;
        if (p.check) {
            // The limits come from the checks before the last two, which the two-of-three
            // rule judges against them rather than lets them move the limits.
            std::vector<int> recent;
            for (auto it = state.points.rbegin(); it != state.points.rend() && recent.size() < 2;
                 ++it)
                if (it->check) recent.push_back(it->record);
            std::vector<const ChartPoint*> baseline;
            for (const ChartPoint* q : inControl)
                if (std::find(recent.begin(), recent.end(), q->record) == recent.end())
                    baseline.push_back(q);
            const Limits l = LimitsOf(baseline, settings);
            p.limits = l.given;
            p.mean = l.mean;
            p.sd = l.sd;
            if (std::fabs(p.en) > 1.0) {
                p.broken = ChartRule::Certificate;
            } else if (l.given && Side(p.measured, l, 3.0) != 0) {
                p.broken = ChartRule::Beyond3s;
            } else if (l.given) {
                // This check and one of the two checks before it beyond 2 s, same side.
                const int side = Side(p.measured, l, 2.0);
                int before = 0;
                for (auto it = state.points.rbegin(); it != state.points.rend() && before < 2;
                     ++it) {
                    if (!it->check) continue;
                    ++before;
                    if (side != 0 && Side(it->measured, l, 2.0) == side) {
                        p.broken = ChartRule::TwoOfThree2s;
                        break;
                    }
                }
            }
        }
        state.points.push_back(p);
        // The reserve above keeps these pointers valid while points are added.
        if (p.check && p.broken == ChartRule::None) inControl.push_back(&state.points.back());
    }
    for (auto it = state.points.rbegin(); it != state.points.rend(); ++it) {
        if (!it->check) continue;
        if (it->broken != ChartRule::None) {
            state.outOfControl = true;
            state.warning = "The instrument is out of control: the reference run of record " +
                            std::to_string(it->record) + " (" + FormatDateMDY(it->made.date()) +
                            ", " + FormatNumber(it->measured, "0.000") + " against " +
                            FormatNumber(it->certified, "0.000") + " certified) broke the rule " +
                            RuleText(it->broken) +
                            ". Results are not under control until a new reference run is.";
        }
        break;
    }
    std::vector<const ChartPoint*> good;
    for (const ChartPoint& p : state.points)
        if (p.check && p.broken == ChartRule::None) good.push_back(&p);
    const Limits l = LimitsOf(good, settings);
    state.limits = l.given;
    state.mean = l.mean;
    state.sd = l.sd;
    return state;
}

} // namespace dilato
