// The --simulate settings that choose the simulated sample reach the bench: the material's
// alpha(T) and diffusivity, a diffusivity or contact of the operator's own, the seed.

#include "ProgramPorts.h"
#include "RunOptions.h"

#include "platform/VirtualClock.h"
#include "sim/SimInstruments.h"

#include <gtest/gtest.h>

namespace dilato::run {
namespace {

sim::BenchParams BenchOf(const std::string& simulate) {
    const RunOptions o = ParseRunOptions({simulate, "--test", "a", "--length", "2"});
    VirtualClock clock;
    const auto ports =
        app::MakePorts(o, clock, "/nonexistent/", 2.0, app::SimulatedLine::InProcess);
    return ports->simulated->bench.params();
}

TEST(SimulatedBenchOptions, TheMaterialAndHowTheSampleTakesUpHeatReachTheBench) {
    const sim::BenchParams copper = BenchOf("--simulate");
    EXPECT_EQ(copper.sample.expansion.name(), "copper");
    EXPECT_EQ(copper.sample.diffusivity, sim::Material::kCopperDiffusivity);
    EXPECT_EQ(copper.sample.contactSeconds, 120.0);

    const sim::BenchParams pmma = BenchOf("--simulate=material=pmma,seed=9");
    EXPECT_EQ(pmma.sample.expansion.name(), "pmma");
    EXPECT_EQ(pmma.sample.diffusivity, sim::Material::kPmmaDiffusivity);
    EXPECT_EQ(pmma.seed, 9u);

    const sim::BenchParams own =
        BenchOf("--simulate=material=aluminium,diffusivity=0.5,contact=60,length=1.8");
    EXPECT_DOUBLE_EQ(own.sample.diffusivity, 0.5e-6) << "mm^2/s";
    EXPECT_EQ(own.sample.contactSeconds, 60.0);
    EXPECT_EQ(own.sample.lengthInches, 1.8);
    EXPECT_DOUBLE_EQ(own.sample.expansion.alpha(20), 23.1);

    const sim::BenchParams constant = BenchOf("--simulate=cte=12.5");
    EXPECT_DOUBLE_EQ(constant.sample.expansion.meanAlpha(-20, 100), 12.5);
    EXPECT_EQ(constant.sample.diffusivity, sim::Material::kCopperDiffusivity);

    for (const char* bad : {"--simulate=diffusivity=0", "--simulate=diffusivity=-1",
                            "--simulate=contact=x", "--simulate=material=cheese"})
        EXPECT_THROW((void)BenchOf(bad), std::invalid_argument) << bad;
}

} // namespace
} // namespace dilato::run
