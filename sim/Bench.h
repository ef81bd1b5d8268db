#pragma once
// The physical bench the simulated instruments measure: a Peltier stage that follows its
// controller's set point with a first-order response, a sample standing on it that lags
// behind the stage temperature and expands by its alpha(T), the fixture that expands with it
// (the amount the program corrects for), a slow drift, and the noise of each sensor.
//
// Time is the program's clock in seconds (any origin); the bench moves forward lazily to the
// moment each reading is taken, so virtual, scaled and wall clocks all give a consistent run.

#include "Expansion.h"
#include "Noise.h"

#include <cstdint>

namespace dilato::sim {

struct StageParams {
    double tauSeconds = 90.0; // time constant of the response to a new set point
    double ambient = 22.0;    // °C; the stage starts here
    double minTemp = -40.0, maxTemp = 130.0;
    // The controller's thermistor reports actual * slope + offset.
    double thermistorSlope = 1.0;
    double thermistorOffset = 0.2;
    // The controller's own error in holding a set point, independent of its thermistor: it
    // regulates its thermistor reading to set point * commandSlope + commandOffset. The stage
    // therefore settles at (set point * commandSlope + commandOffset - thermistorOffset) /
    // thermistorSlope.
    double commandSlope = 1.0;
    double commandOffset = 0.0;
    double noiseSigma = 0.01; // °C, on each controller reading
};

struct SampleParams {
    double lengthInches = 2.0;
    ExpansionCurve expansion = ExpansionCurve::Copper();
    double lagSeconds = 120.0;     // the sample's temperature lags the stage's by this constant
    double baseMillimetres = 2.54; // sensor reading at the ambient temperature
    double driftMicronsPerHour = 0.0;
    double noiseMicrons = 0.1; // standard deviation of one sensor reading
};

struct CalibratorParams {
    double errorDegrees = 0.1; // thermocouple and calibrator error together
    double noiseSigma = 0.01;
};

struct BenchParams {
    StageParams stage;
    SampleParams sample;
    CalibratorParams calibrator;
    uint64_t seed = 1;
};

// The four calibration constants that make this stage exact: `Scale` 1 and 2 turn a wanted
// temperature into the set point that reaches it, `Scale` 3 and 4 turn the thermistor's
// reading into the actual temperature.
struct StageTruth {
    double scale1, scale2, scale3, scale4;
};
[[nodiscard]] StageTruth CalibrationTruth(const StageParams& stage);
// Where the stage settles for a set point (°C).
[[nodiscard]] double SettledStageTemp(const StageParams& stage, double setPoint);

// The fixture's apparent contraction per °C in inches for a sample of that length: the
// amount the program adds back to every indicator change.
[[nodiscard]] double FixtureInchesPerDegree(double sampleLengthInches);

class Bench {
  public:
    Bench(BenchParams params, double startSeconds);

    // Moves the physics forward to `seconds` (earlier times are ignored).
    void advanceTo(double seconds);
    [[nodiscard]] double now() const { return time_; }

    // The controller's set point, in the thermistor's degrees.
    void setControllerSetPoint(double degrees);
    [[nodiscard]] double controllerSetPoint() const { return setPoint_; }

    [[nodiscard]] double stageTemp() const { return stage_; }   // true, °C
    [[nodiscard]] double sampleTemp() const { return sample_; } // true, °C
    // What the controller's thermistor reports now (with its error and noise).
    [[nodiscard]] double thermistorReading();
    // The controller's second sensor: the heat sink.
    [[nodiscard]] double heatSinkReading();
    // The displacement sensor's reading in millimetres, noise included; noiseless variant.
    [[nodiscard]] double indicatorMillimetres();
    [[nodiscard]] double trueIndicatorMillimetres() const;
    // The reference calibrator's reading of the stage thermocouple.
    [[nodiscard]] double calibratorReading();

    [[nodiscard]] const BenchParams& params() const { return p_; }
    BenchParams& params() { return p_; }

  private:
    BenchParams p_;
    Noise noise_;
    double start_;
    double time_;
    double setPoint_;
    double stage_;
    double sample_;
};

} // namespace dilato::sim
