// Whole tests against the simulated instruments: the program's real instrument links talk to
// the simulated Temp-Stage controller and displacement sensor, in-process on the virtual
// clock, and the reported CTE is compared with the simulated sample's.

#include "CoreFakes.h"
#include "SimulatedProgram.h"

#include "core/Program.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/LeadingNumber.h"
#include "platform/TextFile.h"
#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"
#include "sim/SimSerialPort.h"
#include "storage/Provisioning.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace dilato {
namespace {

using test::SimulatedProgram;

struct Measured {
    double cte, accuracy;
};

// "CTE k:" of the summary: "20.0°C to  50.0°C: 16.7 µ/°C +/- 8.8%" -> cte and fraction.
Measured SummaryLine(const std::string& file, int k) {
    const std::string line =
        ReadIniValue(file, "CTE Test Summary #", "CTE " + std::to_string(k) + ":");
    const auto colon = line.find(": ");
    const auto pm = line.find("+/- ");
    EXPECT_NE(colon, std::string::npos) << line;
    return {LeadingNumber(line.substr(colon + 2)), LeadingNumber(line.substr(pm + 4)) / 100.0};
}

// Each reference material over the plan 20/50/80 °C, 2.000 in: every reported CTE (the two
// pairs and the whole range) lies within its own accuracy estimate of the simulated truth,
// the mean of the material's alpha over the interval.
TEST(EndToEnd, ReferenceMaterialsMeasureTheirTrueExpansionWithinTheAccuracyEstimate) {
    for (const char* material : {"copper", "aluminium", "fused-silica", "pmma"}) {
        sim::BenchParams bench;
        bench.sample.expansion = sim::ExpansionCurve::Named(material);
        SimulatedProgram p{bench};
        const double minutes = p.RunTest();
        EXPECT_TRUE(p.op.messages.empty()) << material << ": " << p.op.last().text;
        const std::string summary = p.program.folders.DataRoot() + "Demo/Sample1_CTE.txt";
        ASSERT_TRUE(IsFile(summary)) << material;
        const auto raw = ReadTextLines(p.program.folders.DataRoot() + "Demo/Sample1_CTE.dat");
        ASSERT_TRUE(raw.has_value());
        EXPECT_EQ((*raw)[0], "Sample Length = 2.000");
        EXPECT_EQ((*raw)[2], "Test #1");
        const auto interim = ReadTextLines(p.program.folders.DataRoot() + "Demo/TempDat.txt");
        ASSERT_TRUE(interim.has_value());
        EXPECT_EQ(interim->size(), 5u) << "indicator, pair, indicator, pair, indicator";
        // The hour meter has counted each step at its end, before any shutdown.
        const auto meter = ReadTextLines(p.program.logs.MeterFile());
        ASSERT_TRUE(meter && meter->size() == 2) << material;
        EXPECT_NEAR(LeadingNumber((*meter)[1]), minutes / 60.0, 0.05) << material;

        const auto& curve = p.instruments.bench.params().sample.expansion;
        const ResultTable& r = p.program.session.run.results;
        for (int k = 1; k <= 3; ++k) {
            const Measured m = SummaryLine(summary, k);
            const double from = r.at(k, result::StartTemp), to = r.at(k, result::EndTemp);
            const double truth = curve.meanAlpha(from, to);
            const double error = std::fabs(r.at(k, result::Cte) - truth);
            std::printf(
                "%-12s CTE %d  %5.1f to %5.1f °C  measured %7.3f  reported %5.1f +/- %4.1f%%  "
                "truth %7.3f  error %6.3f (%5.1f%% of the estimate)  %.0f min\n",
                material, k, from, to, r.at(k, result::Cte), m.cte, m.accuracy * 100, truth, error,
                100.0 * error / (m.accuracy * std::fabs(truth)), minutes);
            EXPECT_LE(error, m.accuracy * std::fabs(truth)) << material << " CTE " << k;
        }
    }
}

// With PDF reports on, the test of a simulated sample leaves a report that a PDF checker
// finds no fault in, beside its data files.
TEST(EndToEnd, ASimulatedTestWritesAReportThatChecksClean) {
    SimulatedProgram p{sim::BenchParams{}, "20/50/0/0/0/0/0/0/0", 2, DILATO_PROGRAM_FOLDER};
    p.program.params.SysParam(slot::PdfDataWrite) = 1;
    p.program.params.SysParam(slot::TesterModel) = 300;
    p.RunTest();
    EXPECT_TRUE(p.op.messages.empty()) << p.op.last().title << ": " << p.op.last().text;
    const std::string pdf = p.program.folders.DataRoot() + "Demo/Sample1.pdf";
    ASSERT_TRUE(IsFile(pdf));
    const std::string check = "qpdf --check '" + pdf + "' > /dev/null 2>&1";
    EXPECT_EQ(std::system(check.c_str()), 0) << "qpdf --check " << pdf;
    const auto bytes = ReadFileBytes(pdf);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_NE(bytes->find("(Raw Data File = Sample1_CTE.dat)"), std::string::npos);
}

TEST(EndToEnd, AControllerThatFallsSilentAtTheNextSetPointStopsTheTest) {
    SimulatedProgram p{sim::BenchParams{}, "20/50/0/0/0/0/0/0/0", 2};
    test::ExpectAbortKeepsTheFirstStep(
        p.program, p.op, p.clock, [&] { p.clock.advance(1.0); },
        [&] { p.instruments.controller.inject(sim::Fault::Silence); });
}

} // namespace
} // namespace dilato
