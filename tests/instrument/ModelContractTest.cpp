// Every instrument model of the program's table against its simulated device: on the model's
// own line, the model's command brings an answer of the model's length that parses to what the
// simulated instrument shows; the answers a faulty device gives are refused; and on another
// line rate the device hears only noise.

#include "LinkFixture.h"

#include "instrument/InstrumentModels.h"
#include "platform/Wait.h"
#include "sim/SimInstruments.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace dilato {
namespace {

// The simulated device that answers a model, and what the device's instrument shows.
struct DeviceOf {
    std::string_view model;
    sim::SimDevice& device;
    int com;
    std::function<double()> truth;
};

class ModelContract : public ::testing::Test {
  protected:
    std::vector<DeviceOf> Devices() {
        sim::Bench& bench = f.sim.bench;
        const auto now = [this] { return sim::SimSeconds(f.clock); };
        return {
            {kDisplacementSensor.name, f.sim.sensor, 1,
             [&bench, now] {
                 bench.advanceTo(now());
                 return bench.trueIndicatorMillimetres() / 25.4;
             }},
            {kTempStageSensor0.name, f.sim.controller, 2,
             [&bench, now] {
                 bench.advanceTo(now());
                 return bench.thermistorReading();
             }},
            {kTempStageSensor1.name, f.sim.controller, 2,
             [&bench, now] {
                 bench.advanceTo(now());
                 return bench.heatSinkReading();
             }},
        };
    }

    // Opens the device's port on a line, sends the model's command, and returns everything
    // that arrives in the next half second.
    std::string Exchange(const ReadingModel& model, int com, std::string_view settings,
                         int rate) {
        sim::SimSerialPort port(f.board, f.clock);
        port.setCommPort(com);
        port.setSettings(settings);
        port.setPortOpen(true);
        if (rate > 0) port.setBaudRate(rate);
        port.output(model.command);
        std::string reply;
        f.clock.pause(0.5, [&] {
            reply += port.input();
            return false;
        });
        return reply;
    }

    test::LinkFixture f;
};

TEST_F(ModelContract, EveryModelReadsItsSimulatedInstrumentAndRefusesFaultyAnswers) {
    const auto devices = Devices();
    for (const ReadingModel& row : kReadingModels) {
        const ReadingModel* model = &row;
        SCOPED_TRACE(std::string(model->name));
        const auto it = std::find_if(devices.begin(), devices.end(),
                                     [&](const DeviceOf& d) { return d.model == model->name; });
        ASSERT_NE(it, devices.end()) << "every model has a simulated device";

        const std::string reply = Exchange(*model, it->com, model->lineSettings, model->lineRate);
        EXPECT_EQ(reply.size(), model->replyLength) << reply;
        const std::optional<double> reading = model->parse(reply);
        ASSERT_TRUE(reading.has_value()) << reply;
        EXPECT_NEAR(*reading, it->truth(), 0.006) << reply;

        for (const sim::Fault fault :
             {sim::Fault::Short, sim::Fault::Long, sim::Fault::Garbled, sim::Fault::Silence}) {
            SCOPED_TRACE(sim::FaultName(fault));
            it->device.inject(fault, 1);
            const std::string bad = Exchange(*model, it->com, model->lineSettings, model->lineRate);
            EXPECT_FALSE(model->parse(bad).has_value()) << "refused: " << bad;
        }
        it->device.clearFaults();

        // The same command on the other model family's line rate is noise to the device.
        const size_t noise = it->device.noiseBytes();
        const int otherRate = model->lineRate == 0 ? kTempStageBaud : 0;
        const std::string deaf = Exchange(*model, it->com, model->lineSettings, otherRate);
        EXPECT_FALSE(model->parse(deaf).has_value()) << deaf;
        EXPECT_GT(it->device.noiseBytes(), noise);
    }
}

TEST_F(ModelContract, EachLinkOpensOnTheLineOfItsModel) {
    EXPECT_EQ(LinkLineOf(Link::Displacement)->settings, kDisplacementSensor.lineSettings);
    EXPECT_EQ(LinkLineOf(Link::Displacement)->rate, kDisplacementSensor.lineRate);
    EXPECT_EQ(LinkLineOf(Link::TempStage)->rate, kTempStageSensor0.lineRate);
    EXPECT_EQ(LinkLineOf(Link::Calibrator)->settings, "9600,N,8,1");
    EXPECT_FALSE(LinkLineOf(Link::All).has_value());
    EXPECT_FALSE(LinkLineOf(static_cast<Link>(4)).has_value());

    // Through the links: each port ends up at its model's rate.
    ASSERT_TRUE(f.links.ReadDisplacement());
    ASSERT_TRUE(f.links.ReadStageTemperature(0, true, false));
    EXPECT_EQ(f.p1.baudRate(), 9600);
    EXPECT_EQ(f.p2.baudRate(), kTempStageSensor0.lineRate);
}

} // namespace
} // namespace dilato
