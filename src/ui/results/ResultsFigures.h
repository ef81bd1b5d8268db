#pragma once
// What the Results tab draws and exports, as plain data built from the store's rows: the
// overlay of strain against temperature, α(T), and the statistics of a batch. The chart draws
// these; the CSV texts are written from them; tests read them without a display.

#include "analysis/AlphaOfTemperature.h"
#include "analysis/BatchStatistics.h"
#include "analysis/ColumnCorrection.h"
#include "analysis/ReferenceMaterial.h"
#include "results/Catalog.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dilato {

// The colours of the tests laid over each other, in the order they were ticked (0xRRGGBB).
[[nodiscard]] unsigned TestColour(int index);

// One leg of one test: the readings between two turns of the temperature.
struct OverlayLine {
    std::string uid, name;
    unsigned colour = 0;
    bool cooling = false;  // drawn dashed
    bool inLegend = false; // the test's first leg names it in the legend
    std::vector<double> temperature, strain; // °C, ΔL/L0 in 10^-6
};

// A reference material's certified expansion over a temperature range, as strain from the
// range's first temperature (10^-6), and its alpha at the same temperatures (10^-6 per °C)
// with the certificate's expanded uncertainty (k = 2).
struct ReferenceCurve {
    std::string name;
    std::vector<double> temperature, strain, alpha;
    double alphaExpandedU = 0.0;
};

// The measured system correction a stored test's results used; nullopt for the fixed one, or
// when its record cannot be read.
using TestCorrectionSource =
    std::function<std::optional<ColumnCorrection>(const results::CatalogTest& test)>;

// Where certified curves come from: the material of the tests laid over each other (a
// reference run's reference material, else the material class) and their temperature range;
// nullopt when no certified curve applies.
using ReferenceCurveSource =
    std::function<std::optional<ReferenceCurve>(const std::string& material, double from, double to)>;

// The certified curve of a reference material over from..to, clipped to the temperatures its
// figures cover: strain from the first of them, at `points` + 1 even steps.
[[nodiscard]] ReferenceCurve CertifiedCurve(const ReferenceMaterial& material, double from,
                                            double to, int points = 60);

struct OverlayFigure {
    std::vector<OverlayLine> lines;
    std::optional<ReferenceCurve> reference;
    [[nodiscard]] bool empty() const { return lines.empty(); }
};

// The legs of a test's readings as strain from its first reading: the indicator's change with
// the column's expansion over the temperature change added (the measured correction the test
// used, else the fixed one), over the sample length. A step
// belongs to the cooling legs when it ends colder than the step before it (the first step:
// colder than it began).
[[nodiscard]] std::vector<OverlayLine>
OverlayLines(const results::CatalogTest& test, const std::vector<results::CatalogReading>& readings,
             unsigned colour, const ColumnCorrection* correction = nullptr);

// Leaves out the points that fall into the same cell of a grid of `cells` x `cells` over the
// figure's range as the point kept before them: what is drawn is then bounded by the screen,
// not by the readings (a hold's thousands of readings in one spot draw as a few points).
void ThinForScreen(OverlayFigure& figure, int cells = 1500);

// The overlay's data: one row per reading (test, leg, temperature, strain), and the certified
// curve's points.
[[nodiscard]] std::string OverlayCsv(const OverlayFigure& figure);

// α(T) of one test for the chart.
struct AlphaSeries {
    std::string uid, name;
    unsigned colour = 0;
    AlphaOutcome outcome;
};

// The steps of a stored test as the α(T) computation reads them.
[[nodiscard]] std::vector<StepEvidence> StepsOf(const results::CatalogDetail& detail);

// α(T) of the tests shown, and the certified α of their reference material when every one of
// them is a reference run of it.
struct AlphaFigure {
    std::vector<AlphaSeries> series;
    std::optional<ReferenceCurve> reference;
};

[[nodiscard]] std::string AlphaCsv(const AlphaFigure& figure);

// The statistics of one result (one interval of the plan) over the ticked tests.
struct BatchRow {
    std::string interval; // "20 to 80 °C"
    BatchStatistics stats;
};

struct BatchTable {
    std::string material;
    std::vector<std::string> tests; // the tests' names, in tick order
    std::vector<BatchRow> rows;
    std::string problem; // why there is no table ("Tick tests of one material.")
};

// Results of the same interval (by the set points of its two steps, else by its temperatures
// to the whole degree) are taken together.
[[nodiscard]] BatchTable BuildBatchTable(const std::vector<const results::CatalogTest*>& tests,
                                         const std::vector<const results::CatalogDetail*>& details);

[[nodiscard]] std::string BatchCsv(const BatchTable& table);

} // namespace dilato
