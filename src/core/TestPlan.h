#pragma once
// The batch temperature plan as a test runs it: the number of steps, the reordering that
// starts the batch at the end nearer the sample's present temperature, and the round-trip step
// back to the first set point. The plan lives in the parameter table (slots 8 to 21).

#include "platform/Operator.h"
#include "storage/SystemParameters.h"

#include <string>

namespace dilato {

inline constexpr int kMaxSteps = 10;

// Steps of a test: the batch temperatures in use plus the round-trip step (at most 10).
[[nodiscard]] int NumberOfSteps(const SystemParameters& params);
// The set point of step `stepIndex` (0-based), whole °C.
[[nodiscard]] int StepSetPoint(const SystemParameters& params, int stepIndex);

// Reverses the plan when its last temperature is strictly nearer `currentTemp` than its first
// (and reordering is on), then adds the round-trip step, or clears the round-trip option when
// the plan already ends where it starts. A failure is shown as "Error in
// ReorderTempSequence: " + description; the plan keeps what was written so far.
// With fewer than two temperatures the round trip adds nothing and is cleared.
void ReorderTempSequence(SystemParameters& params, float currentTemp, Operator& op);

// The plan as the stage can run it: false, after a message naming the first step whose set
// point lies outside the controller's limits, when a step could never become stable.
[[nodiscard]] bool PlanWithinStageReach(const SystemParameters& params, Operator& op);

// Neighbouring set points closer than this give a step with no change of length to measure
// (its CTE is noise divided by almost nothing).
inline constexpr int kMinimumStepDegrees = 5;
inline constexpr const char* kBatchPlanTitle = "Batch Plan Error";

// Why the plan cannot give results, naming the step; empty when it can: a step with no
// temperature in the plan, or one whose set point is less than kMinimumStepDegrees from the
// step before it (also two steps of 0 °C: "NumberOfBatchTests" beyond the temperatures given).
[[nodiscard]] std::string BatchPlanProblem(const SystemParameters& params);
// False, after telling the operator BatchPlanProblem, when the plan cannot give results.
[[nodiscard]] bool PlanGivesResults(const SystemParameters& params, Operator& op);

} // namespace dilato
