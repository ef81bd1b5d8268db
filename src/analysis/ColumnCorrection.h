#pragma once
// The measured expansion of the measuring column (the fixture's frame and whatever else lies
// between the stage and the sensor), learnt from a reference run: at each step temperature
// the indicator's change from the first step, less the certified expansion of the reference
// sample over the same temperatures, is what the column added. A smooth curve through those
// points takes the place of the fixed fixture correction for the temperatures it covers.

#include <optional>
#include <string>
#include <vector>

namespace dilato {

// Per inch of sample length the frame that holds the sensor reaches higher: the fixed
// correction's 0.6 µin/°C per inch, which also carries a correction over to a sample of
// another length than the reference's.
inline constexpr double kFramePerInchPerDegree = 0.0000006;

struct CorrectionPoint {
    double temp = 0;   // °C, the step's end temperature
    double column = 0; // inches: measured minus certified change since the first point
    double sigma = 0;  // standard uncertainty of the step's end indicator, inches
};

class ColumnCorrection {
  public:
    // The curve through the points (two or more, distinct temperatures): a straight line
    // through two, a parabola through more. `referenceLength` in inches; `alphaUncertainty`
    // the certificate's standard uncertainty of alpha (10^-6 per °C); `referenceAlpha` the
    // reference's own CTE over the run (10^-6 per °C), when known. Nothing when the points
    // cannot carry a curve.
    [[nodiscard]] static std::optional<ColumnCorrection>
    Fit(std::vector<CorrectionPoint> points, double referenceLength, double alphaUncertainty,
        std::optional<double> referenceAlpha = {});

    // The column's own change from the first point's temperature to `temp`, inches.
    [[nodiscard]] double at(double temp) const;
    // What to add to an indicator change from t1 to t2 of a sample `length` inches long so
    // that it is the sample's alone (the fixed correction's role).
    [[nodiscard]] double changeFor(double t1, double t2, double length) const;
    // Standard uncertainty of that addition per degree over t1..t2, inches per °C: the part
    // every interval shares (commonPerDegreeUncertainty) and the points' own scatter carried
    // through the curve, which weighs more on a short interval than on the whole range.
    [[nodiscard]] double perDegreeUncertainty(double t1, double t2, double length) const;
    // The same over the whole range the reference run measured.
    [[nodiscard]] double perDegreeUncertainty(double length) const;
    // The part of it the same in every interval: the certificate, the curve's misfit, the
    // carrying over to another length and the reference's length (inches per °C).
    [[nodiscard]] double commonPerDegreeUncertainty(double length) const;
    // How the column's change per degree over t1..t2 (its derivative at t1 when the two meet)
    // moves with each point's value, per inch of it, in the points' order: the errors of the
    // points are independent, so these carry them into any result or sum of results.
    [[nodiscard]] std::vector<double> pointSensitivities(double t1, double t2) const;
    // Whether both temperatures lie in the range the reference run measured (with half a
    // degree to spare for a stage that settles a little off its set point).
    [[nodiscard]] bool covers(double t1, double t2) const;

    [[nodiscard]] double lowTemp() const { return low_; }
    [[nodiscard]] double highTemp() const { return high_; }
    [[nodiscard]] double referenceLength() const { return length_; }
    [[nodiscard]] double alphaUncertainty() const { return alphaU_; }
    // The reference's CTE, when known. A gain error of the sensor or of the temperatures
    // scales the reference's expansion into the correction as it scales a sample's into its
    // reading: on a corrected result it acts on the difference of the two CTEs only.
    [[nodiscard]] const std::optional<double>& referenceAlpha() const { return referenceAlpha_; }
    [[nodiscard]] const std::vector<CorrectionPoint>& points() const { return points_; }
    // Root mean square of the points about the curve (0 when it passes through them).
    [[nodiscard]] double residual() const { return residual_; }

  private:
    std::vector<CorrectionPoint> points_;
    std::vector<double> coef_; // in powers of (T - centre_)
    double centre_ = 0, low_ = 0, high_ = 0, length_ = 0, alphaU_ = 0, residual_ = 0;
    std::optional<double> referenceAlpha_;
};

// What to add to an indicator change from t1 to t2 of a sample `length` inches long so that it
// is the sample's alone: the measured correction's change where one is given (nullptr: the
// fixed fixture correction over t2 - t1, in its single precision).
[[nodiscard]] double ColumnChange(double t1, double t2, double length,
                                  const ColumnCorrection* correction);

// The system correction a test's results use: a measured one, or none (the fixed fixture
// correction), with the words the summary, the report and the runner give for it.
struct CorrectionInUse {
    std::optional<ColumnCorrection> curve;
    int record = 0; // the measured correction's record number; 0 for the fixed one
    std::string text = "fixed fixture correction";
    // Why a measured correction is not used, or what to mind about it; empty when all is well.
    std::vector<std::string> warnings;
    // The reference checks' control chart was out of control when the test started (one of
    // the warnings says so).
    bool outOfControl = false;
};

} // namespace dilato
