// The COM configuration dialog's rules: the port lists, the searches, OK and demo mode.

#include "instrument/DiscoveryFixture.h"

#include "core/ComSettingsModel.h"
#include "platform/ProgramEnd.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::DiscoveryFixture;

struct FormFixture : DiscoveryFixture {
    FormFixture() {
        board.plug(4, sim.calibrator);
        (void)discovery.EnumComPorts(); // 1, 2, 3, 4
    }
    ComSettingsModel form{links, discovery.ComPorts()};
};

TEST(ComSettingsModel, ListsThePortsWithDashesForAMissingOne) {
    FormFixture f;
    f.ports.keyence = 0;
    f.ports.te = 3;
    f.form.Activate();
    EXPECT_EQ(f.form.displacementPorts.items, (std::vector<std::string>{"--", "1", "2", "3", "4"}));
    EXPECT_EQ(f.form.displacementPorts.text(), "--");
    EXPECT_EQ(f.form.tempStagePorts.items, (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(f.form.tempStagePorts.text(), "3");
    f.form.Activate();
    EXPECT_EQ(f.form.tempStagePorts.items.size(), 4u) << "a second showing starts afresh";
}

TEST(ComSettingsModel, SearchesFindBothInstrumentsAndTheTeSearchSkipsTheSensorsPort) {
    FormFixture f;
    // The instruments sit on swapped ports.
    f.board.plug(1, f.sim.controller);
    f.board.plug(2, f.sim.sensor);
    f.ports.keyence = 0;
    f.ports.te = 0;
    f.form.Activate();
    f.form.FindDisplacementPort();
    EXPECT_EQ(f.ports.keyence, 2);
    EXPECT_EQ(f.form.displacementPorts.text(), "2") << "position + 1 behind the dashes";
    EXPECT_TRUE(f.form.enabled);
    EXPECT_FALSE(f.op.busyPointerShown());

    f.sim.sensor.clearCommands();
    f.form.FindTempStagePort();
    EXPECT_EQ(f.ports.te, 1);
    EXPECT_EQ(f.form.tempStagePorts.text(), "1");
    EXPECT_TRUE(f.sim.sensor.commands().empty()) << "the sensor's port is never probed";
    EXPECT_TRUE(f.op.messages.empty());

    ASSERT_TRUE(f.form.AcceptPorts());
    EXPECT_EQ(f.ports.saves, 1);
    EXPECT_TRUE(f.form.closed);
}

TEST(ComSettingsModel, TheSearchTriesEachPortAfreshEvenWithTheLinkStillOpen) {
    FormFixture f;
    f.board.plug(1, f.sim.calibrator);
    f.board.plug(3, f.sim.sensor);
    f.ports.keyence = 3;
    ASSERT_TRUE(f.links.ReadDisplacement()); // link 1 open on COM3
    f.form.Activate();
    f.form.FindDisplacementPort();
    EXPECT_EQ(f.ports.keyence, 3) << "COM1 was tried on COM1, not on the open COM3";
}

TEST(ComSettingsModel, ASearchThatFindsNothingEndsTheProgram) {
    const struct {
        int vanished;
        void (ComSettingsModel::*find)();
        const char* text;
        const char* title;
    } cases[] = {
        {1, &ComSettingsModel::FindDisplacementPort,
         "No Displacement Sensor COM link found.  Check cable connection",
         "No Displacement Sensor COM-Link"},
        {2, &ComSettingsModel::FindTempStagePort,
         "No Temp-Stage COM link found.  Check cable connection", "No Temp-Stage COM-Link"},
    };
    for (const auto& c : cases) {
        FormFixture f;
        f.board.vanish(c.vanished);
        f.form.Activate();
        EXPECT_THROW((f.form.*c.find)(), ProgramEnd) << c.title;
        EXPECT_EQ(f.op.last().text, c.text);
        EXPECT_EQ(f.op.last().title, c.title);
    }
}

TEST(ComSettingsModel, OkAcceptsOnlyTwoDistinctPorts) {
    FormFixture f;
    f.ports.keyence = 0;
    f.form.Activate();
    EXPECT_FALSE(f.form.AcceptPorts());
    EXPECT_EQ(f.op.last().text,
              "You must specify a COM port for both the Displacement Sensor and Temp-Stage!");
    EXPECT_EQ(f.op.last().icon, MessageIcon::Critical);

    f.form.displacementPorts.listIndex = 2; // "2", the controller's port too
    EXPECT_FALSE(f.form.AcceptPorts());
    EXPECT_EQ(f.op.last().text, "You must specify a unique COM port for the Displacement Sensor "
                                "and the Temp-Stage!");
    EXPECT_EQ(f.ports.keyence, 0) << "a refused choice is not taken over";
    EXPECT_EQ(f.ports.saves, 0);
    EXPECT_FALSE(f.form.closed);

    f.form.displacementPorts.listIndex = 4; // "4"
    EXPECT_TRUE(f.form.AcceptPorts());
    EXPECT_EQ(f.ports.keyence, 4);
    EXPECT_EQ(f.ports.te, 2);
    EXPECT_EQ(f.ports.saves, 1);
}

TEST(ComSettingsModel, DemoModeClosesWithoutSaving) {
    FormFixture f;
    f.form.Activate();
    f.form.ChooseDemoMode();
    EXPECT_TRUE(f.links.DemoMode());
    EXPECT_TRUE(f.form.closed);
    EXPECT_EQ(f.ports.saves, 0);
}

} // namespace
} // namespace dilato
