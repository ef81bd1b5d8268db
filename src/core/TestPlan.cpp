#include "core/TestPlan.h"

#include "instrument/TeProtocol.h"

#include <cmath>
#include <string>
#include <vector>

namespace dilato {

namespace {

// A slot as a whole number, the way the plan's values are used.
int WholeNumber(const ParamValue& value) {
    return static_cast<int>(std::lround(value.number()));
}

} // namespace

int NumberOfSteps(const SystemParameters& params) {
    const int steps = WholeNumber(params.SysParam(slot::NumberOfBatchTests)) +
                      WholeNumber(params.SysParam(slot::AddRoundTripTests));
    return std::min(steps, kMaxSteps);
}

int StepSetPoint(const SystemParameters& params, int stepIndex) {
    return WholeNumber(params.SysParam(slot::FirstBatchTemp + stepIndex));
}

void ReorderTempSequence(SystemParameters& params, float currentTemp, Operator& op) {
    try {
        const int n = WholeNumber(params.SysParam(slot::NumberOfBatchTests));
        if (n < 2) {
            // One temperature has nothing to return from; its round-trip slot is stale.
            params.SysParam(slot::AddRoundTripTests) = 0;
            return;
        }
        std::vector<int> plan;
        for (int j = 0; j < n; ++j)
            plan.push_back(WholeNumber(params.SysParam(slot::FirstBatchTemp + j)));

        if (params.SysParam(slot::OptimumTempOrdering).number() > 0) {
            const double toFirst = std::fabs(plan.front() - static_cast<double>(currentTemp));
            const double toLast = std::fabs(plan.back() - static_cast<double>(currentTemp));
            if (toLast < toFirst)
                for (int j = 0; j < n; ++j)
                    params.SysParam(slot::FirstBatchTemp + (n - 1 - j)) =
                        plan[static_cast<size_t>(j)];
        }
        if (params.SysParam(slot::AddRoundTripTests).number() > 0) {
            ParamValue& roundTrip = params.SysParam(slot::FirstBatchTemp + n);
            if (params.SysParam(slot::FirstBatchTemp + n - 1).number() ==
                params.SysParam(slot::FirstBatchTemp).number())
                params.SysParam(slot::AddRoundTripTests) = 0;
            else
                roundTrip = params.SysParam(slot::FirstBatchTemp).number();
        }
    } catch (const std::exception& e) {
        ShowMessage(op, std::string("Error in ReorderTempSequence: ") + e.what());
    }
}

bool PlanWithinStageReach(const SystemParameters& params, Operator& op) {
    for (int s = 0; s < NumberOfSteps(params); ++s) {
        const int t = StepSetPoint(params, s);
        if (t >= kTeLowestSetPoint && t <= kTeHighestSetPoint) continue;
        const auto degrees = [](int v) {
            return std::to_string(v) + "\xC2\xB0"
                                       "C";
        };
        ShowMessage(op,
                    "The set point of step " + std::to_string(s + 1) + " (" + degrees(t) +
                        ") is outside what the Temp-Stage can reach and report (" +
                        degrees(kTeLowestSetPoint) + " to " + degrees(kTeHighestSetPoint) +
                        "). Change the batch temperatures before starting the test.",
                    "Batch Temperature Out-of-Range", MessageIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace dilato

namespace dilato {

namespace {

std::string Degrees(int v) {
    return std::to_string(v) + "\xC2\xB0"
                               "C";
}

bool Blank(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

} // namespace

std::string BatchPlanProblem(const SystemParameters& params) {
    const int steps = NumberOfSteps(params);
    const int batch = WholeNumber(params.SysParam(slot::NumberOfBatchTests));
    for (int s = 0; s < steps; ++s) {
        const std::string step = "step " + std::to_string(s + 1);
        // The round-trip step's set point is made from the first one at the start.
        if (s < batch && Blank(params.SysParam(slot::FirstBatchTemp + s).text()))
            return "The batch plan has no temperature for " + step + " (\"NumberOfBatchTests\" is " +
                   std::to_string(batch) + ").";
        if (s == 0) continue;
        const int before = StepSetPoint(params, s - 1), now = StepSetPoint(params, s);
        if (std::abs(now - before) >= kMinimumStepDegrees) continue;
        std::string text = "The set point of " + step + " (" + Degrees(now) + ") is only " +
                           Degrees(std::abs(now - before)) + " from that of step " +
                           std::to_string(s) + " (" + Degrees(before) +
                           "): neighbouring set points must be at least " +
                           Degrees(kMinimumStepDegrees) +
                           " apart, or the step has no expansion to measure.";
        if (now == 0 && before == 0)
            text += " \"NumberOfBatchTests\" (" + std::to_string(batch) +
                    ") may count more steps than the plan has temperatures.";
        return text + " Change the batch temperatures before starting the test.";
    }
    return {};
}

bool PlanGivesResults(const SystemParameters& params, Operator& op) {
    const std::string problem = BatchPlanProblem(params);
    if (problem.empty()) return true;
    ShowMessage(op, problem, kBatchPlanTitle, MessageIcon::Exclamation);
    return false;
}

} // namespace dilato
