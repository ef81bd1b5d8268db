// The overlay's thinning for the screen, and the chart that draws and writes the figures.

#include "support/TempFolder.h"
#include "ui/results/ResultsChart.h"

#include <QApplication>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>

#include <cmath>

namespace dilato::test {
namespace {

// A hold of many readings in one spot between two ramps.
OverlayFigure Ramp(int holdReadings) {
    OverlayFigure f;
    OverlayLine l;
    l.uid = "a";
    l.name = "A";
    l.inLegend = true;
    for (int i = 0; i <= 100; ++i) {
        l.temperature.push_back(20.0 + 0.3 * i);
        l.strain.push_back(16.0 * 0.3 * i);
    }
    for (int i = 0; i < holdReadings; ++i) {
        l.temperature.push_back(50.0 + 1e-4 * std::sin(i));
        l.strain.push_back(480.0 + 1e-3 * std::cos(i));
    }
    for (int i = 1; i <= 100; ++i) {
        l.temperature.push_back(50.0 + 0.3 * i);
        l.strain.push_back(480.0 + 16.0 * 0.3 * i);
    }
    f.lines.push_back(l);
    return f;
}

TEST(ResultsFigures, ThinningDropsWhatDrawsOnTheSameSpotAndKeepsTheEnds) {
    OverlayFigure f = Ramp(20000);
    const OverlayLine before = f.lines.front();
    ThinForScreen(f, 1000);
    const OverlayLine& after = f.lines.front();
    EXPECT_LT(after.temperature.size(), 250u);
    EXPECT_GT(after.temperature.size(), 150u) << "the ramps' points stay";
    EXPECT_EQ(after.temperature.front(), before.temperature.front());
    EXPECT_EQ(after.strain.back(), before.strain.back());
}

// The certified curve is the material's own expansion from the first temperature, and stops
// where its certified figures stop.
TEST(ResultsFigures, TheCertifiedCurveFollowsTheCertificateWithinItsRange) {
    const ReferenceMaterial* copper = ShippedReferenceMaterial("SRM736");
    ASSERT_TRUE(copper);
    const ReferenceCurve curve = CertifiedCurve(*copper, 20, 80, 6);
    EXPECT_EQ(curve.name, "SRM736");
    ASSERT_EQ(curve.temperature.size(), 7u);
    EXPECT_DOUBLE_EQ(curve.temperature[3], 50.0);
    EXPECT_DOUBLE_EQ(curve.strain.front(), 0.0);
    EXPECT_NEAR(curve.strain.back(), copper->meanAlpha(20, 80) * 60, 1e-9);
    EXPECT_NEAR(curve.strain.back(), 16.9 * 60, 0.05 * 16.9 * 60) << "copper's expansion";
    ASSERT_EQ(curve.alpha.size(), curve.temperature.size());
    EXPECT_DOUBLE_EQ(curve.alpha[3], copper->alpha(50.0));
    EXPECT_DOUBLE_EQ(curve.alphaExpandedU, 2 * copper->alphaUncertainty);
    // The α(T) data carries the certified alpha, a row per temperature.
    const std::string csv = AlphaCsv(AlphaFigure{{}, curve});
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 7);
    EXPECT_NE(csv.find("\r\n,certified: SRM736,certified,20,"), std::string::npos) << csv;

    const ReferenceCurve clipped = CertifiedCurve(*copper, -60, 150, 10);
    ASSERT_FALSE(clipped.temperature.empty());
    EXPECT_EQ(clipped.temperature.front(), kReferenceLowTemp);
    EXPECT_EQ(clipped.temperature.back(), kReferenceHighTemp);
    EXPECT_TRUE(CertifiedCurve(*copper, 120, 150).temperature.empty()) << "nothing certified";
}

TEST(ResultsChart, DrawsTheLegsWithOneLegendEntryPerTestAndWritesEachFormat) {
    int argc = 0;
    QApplication app(argc, nullptr);
    ResultsChart chart;
    chart.widget()->resize(800, 500);
    OverlayFigure f = Ramp(10);
    OverlayLine back = f.lines.front();
    back.cooling = true;
    back.inLegend = false;
    f.lines.push_back(back);
    f.reference = ReferenceCurve{"certified", {20, 80}, {0, 960}};
    chart.DrawOverlay(f);
    EXPECT_EQ(chart.plottables(), 4) << "two legs, the certified curve and the cooling key";
    EXPECT_EQ(chart.legendEntries(), 3) << "the test, the certified curve, the cooling key";

    TempFolder dir;
    const std::pair<ImageFormat, QByteArray> formats[] = {
        {ImageFormat::Png, "\x89PNG"}, {ImageFormat::Pdf, "%PDF"}, {ImageFormat::Svg, "<?xml"}};
    for (const auto& [format, magic] : formats) {
        const std::string path = dir.file(std::string("overlay.") + ImageExtension(format));
        std::string error;
        ASSERT_TRUE(chart.Export(path, format, error)) << error;
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(magic.size()) == magic) << path;
    }
    std::string error;
    EXPECT_FALSE(chart.Export(dir.file("no/such/folder/x.png"), ImageFormat::Png, error));
    EXPECT_FALSE(error.empty());

    // α(T): a test without a curve is named on the chart, not drawn.
    AlphaSeries none{"b", "B", 0, AlphaOutcome{std::nullopt, AlphaError::TooFewSteps}};
    chart.DrawAlpha(AlphaFigure{{none}, std::nullopt});
    EXPECT_EQ(chart.plottables(), 0);
    // The certified alpha of a reference run: its line and the two lines of its U.
    chart.DrawAlpha(
        AlphaFigure{{none}, ReferenceCurve{"SRM736", {20, 80}, {0, 1000}, {16.8, 17.1}, 0.03}});
    EXPECT_EQ(chart.plottables(), 3);
}

} // namespace
} // namespace dilato::test
