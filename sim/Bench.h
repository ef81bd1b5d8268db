#pragma once
// The physical bench the simulated instruments measure: a Peltier stage that follows its
// controller's set point with a first-order response; a sample standing on it that warms
// through its foot and by conduction along its length, each slice expanding by the
// material's alpha(T); the fixture's silica frame, which expands with the stage by its own
// alpha(T) and lifts the sensor away from the sample; a slow drift; the noise of each sensor.
//
// Time is the program's clock in seconds (any origin); the bench moves forward lazily to the
// moment each reading is taken, so virtual, scaled and wall clocks all give a consistent run.

#include "Expansion.h"
#include "Material.h"
#include "Noise.h"

#include <array>
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
    double diffusivity = Material::kCopperDiffusivity; // m^2 per second
    // The contact between stage and sample's foot, as the time constant it would give a
    // sample that conducted perfectly (contact resistance times the sample's heat capacity):
    // for metals it dominates, and makes them follow in minutes.
    double contactSeconds = 120.0;
    double baseMillimetres = 2.54; // sensor reading at the ambient temperature
    double driftMicronsPerHour = 0.0;
    double noiseMicrons = 0.1; // standard deviation of one sensor reading
    // The displacement sensor's gain: it reads a movement as this much of itself.
    double sensorGain = 1.0;
    // A sensor that ages: its gain changes by this fraction per month (30.44 days) of the
    // bench's time, from `driftDays` days of ageing already behind it when the bench starts
    // (an instrument that has drifted since its last reference run).
    double gainDriftPerMonth = 0.0;
    double driftDays = 0.0;

    void setMaterial(const Material& material) {
        expansion = material.expansion;
        diffusivity = material.diffusivity;
    }
};

// The frame that holds the sensor above the stage. It stands on the stage beside the sample
// and reaches past the sample's top to the sensor, so its length is the sample's plus a reach
// of its own; it follows the stage with a lag of its own.
struct FixtureParams {
    ExpansionCurve expansion = FixtureFrameExpansion();
    double reachInches = 6.667;
    double lagSeconds = 180.0;
};

struct CalibratorParams {
    double errorDegrees = 0.1; // thermocouple and calibrator error together
    double noiseSigma = 0.01;
};

struct BenchParams {
    StageParams stage;
    SampleParams sample;
    FixtureParams fixture;
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

// The time constant of the sample's slowest thermal mode, seconds: the contact and the
// conduction along the sample together (how fast the last part of a step's expansion comes).
[[nodiscard]] double ThermalTimeConstant(const SampleParams& sample);

class Bench {
  public:
    Bench(BenchParams params, double startSeconds);

    // Moves the physics forward to `seconds` (earlier times are ignored).
    void advanceTo(double seconds);
    [[nodiscard]] double now() const { return time_; }

    // The controller's set point, in the thermistor's degrees.
    void setControllerSetPoint(double degrees);
    [[nodiscard]] double controllerSetPoint() const { return setPoint_; }

    static constexpr size_t kSlices = 16; // of the sample, foot first

    [[nodiscard]] double stageTemp() const { return stage_; } // true, °C
    // The sample's mean temperature (true, °C) and that of each slice, foot first.
    [[nodiscard]] double sampleTemp() const;
    [[nodiscard]] const std::array<double, kSlices>& sliceTemps() const { return slices_; }
    [[nodiscard]] double fixtureTemp() const { return fixture_; }
    // How much longer than at the ambient temperature the sample and the fixture's frame are
    // now, inches (true, without noise).
    [[nodiscard]] double sampleGrowthInches() const;
    [[nodiscard]] double fixtureGrowthInches() const;
    // What the controller's thermistor reports now (with its error and noise).
    [[nodiscard]] double thermistorReading();
    // The controller's second sensor: the heat sink.
    [[nodiscard]] double heatSinkReading();
    // The displacement sensor's reading in millimetres, noise included; noiseless variant.
    [[nodiscard]] double indicatorMillimetres();
    [[nodiscard]] double trueIndicatorMillimetres() const;
    // The sensor's gain now, its ageing included.
    [[nodiscard]] double sensorGainNow() const;
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
    std::array<double, kSlices> slices_;
    double fixture_;
};

} // namespace dilato::sim
