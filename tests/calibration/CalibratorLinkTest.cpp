// The reference calibrator's link against the simulated calibrator in-process: the port
// search, the set-up and identification, the readings with their faults, manual entry and
// the type dialog's confirmation.

#include "ScriptedDialogs.h"

#include "calibration/CalibratorLink.h"
#include "calibration/CalibratorTestUtility.h"

#include "../instrument/LinkFixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dilato {
namespace {

// A calibrator of another make, or one answering in its own way.
class OddCalibrator final : public sim::SimDevice {
  public:
    OddCalibrator() : SimDevice("odd calibrator", 9600, 0.05) {}
    std::string identity = "martel,8010";
    std::string value = "  23.45\r\n";

  protected:
    std::optional<std::string> answer(const std::string& command, double) override {
        if (command == "*IDN?") return identity + "\r\n";
        if (command == "VAL?") return value;
        return std::nullopt;
    }
};

struct CalibratorFixture : test::LinkFixture {
    CalibratorFixture() {
        link.setSearchStatus([this](const std::string& s) { searched.push_back(s); });
    }
    bool Probed(const sim::SimDevice& d) const {
        const auto& c = d.commands();
        return std::find(c.begin(), c.end(), "*IDN?") != c.end();
    }
    test::ScriptedDialogs dialogs;
    std::int16_t type = 0;
    std::vector<int> comPorts{1, 2, 3};
    CalibratorLink link{CalibratorLinkServices{links, dialogs, type, [this] { return comPorts; }}};
    std::vector<std::string> searched;
};

TEST(CalibratorSearch, TwoPortsAreNotEnoughAndNothingIsOpened) {
    CalibratorFixture f;
    f.comPorts = {1, 2};
    std::string message;
    EXPECT_FALSE(f.link.InitCalibrator(message));
    EXPECT_EQ(message, "Not enough comm ports available for Tc Calibrator link!");
    EXPECT_FALSE(f.p3.portOpen());
    EXPECT_TRUE(f.searched.empty());
}

TEST(CalibratorSearch, TheInstrumentsPortsAreNeverProbed) {
    CalibratorFixture f;
    f.ports.keyence = 3; // the calibrator sits where the settings put the sensor
    std::string message;
    EXPECT_FALSE(f.link.InitCalibrator(message));
    EXPECT_EQ(message, "Tc Calibrator not found on COM Ports 1-3");
    EXPECT_EQ(f.searched, (std::vector<std::string>{
                              "  ... searching for Tc Calibrator on COM port #1 ..."}));
    EXPECT_FALSE(f.Probed(f.sim.calibrator));
    EXPECT_FALSE(f.Probed(f.sim.controller));
    EXPECT_EQ(f.links.calibratorComPort, 0);
    EXPECT_EQ(f.type, 0);
}

TEST(CalibratorSearch, FindsSetsUpAndRemembersTheCalibrator) {
    CalibratorFixture f;
    std::string message;
    ASSERT_TRUE(f.link.InitCalibrator(message));
    EXPECT_EQ(message, "Martel 8010 Calibrator found on COM Port #3");
    EXPECT_TRUE(f.sim.calibrator.configuredForTypeT());
    EXPECT_FALSE(f.Probed(f.sim.sensor));
    EXPECT_FALSE(f.Probed(f.sim.controller));
    EXPECT_EQ(f.type, tccal::Martel8010);
    EXPECT_EQ(f.ports.saves, 1) << "the settings file is saved";
    EXPECT_EQ(f.links.calibratorComPort, 3);

    // A known port that is still listed is the only one searched again.
    f.comPorts = {1, 2, 3, 4};
    f.searched.clear();
    ASSERT_TRUE(f.link.InitCalibrator(message));
    EXPECT_EQ(f.searched.size(), 1u);
}

TEST(CalibratorSearch, TheIdentificationMustBeginWithCapitalMartel) {
    CalibratorFixture f;
    OddCalibrator odd;
    f.board.plug(3, odd);
    std::string message;
    EXPECT_FALSE(f.link.InitCalibrator(message)) << "lower case";
    odd.identity = "MARTELLO whatever follows";
    EXPECT_TRUE(f.link.InitCalibrator(message));
}

TEST(CalibratorReading, ValueOverAndSilence) {
    CalibratorFixture f;
    std::string message, error;
    float t = -99;
    EXPECT_FALSE(f.link.ReadCalibratorTemperature(t, error)) << "no port yet";
    ASSERT_TRUE(f.link.InitCalibrator(message));

    ASSERT_TRUE(f.link.TakeCalibratorTemperature(t, message));
    EXPECT_NEAR(t, f.sim.bench.stageTemp() + 0.1, 0.01) << "the stage through the thermocouple";
    EXPECT_EQ(message.rfind("TC Calibrator temperature-read successful: ", 0), 0u) << message;
    ASSERT_FALSE(f.log.entries.empty());
    EXPECT_EQ(f.log.entries.back().second, TestLogKind::Calibrator);

    f.sim.calibrator.thermocoupleConnected = false;
    EXPECT_FALSE(f.link.TakeCalibratorTemperature(t, message));
    EXPECT_EQ(message, "Error: Thermocouple disconnected");

    f.sim.calibrator.inject(sim::Fault::Silence);
    const size_t sent = f.sim.calibrator.commands().size();
    EXPECT_FALSE(f.link.TakeCalibratorTemperature(t, message));
    EXPECT_EQ(f.sim.calibrator.commands().size() - sent, 3u) << "three tries";
    EXPECT_EQ(message.rfind("Problem reading Tc Calibrator temperature: ", 0), 0u) << message;

    OddCalibrator odd;
    f.board.plug(3, odd);
    f.links.OpenCommPort(false, Link::Calibrator);
    f.links.OpenCommPort(true, Link::Calibrator);
    EXPECT_TRUE(f.link.ReadCalibratorTemperature(t, error));
    EXPECT_FLOAT_EQ(t, 23.45f);
}

TEST(ManualEntry, ImplausibleReadingsAreRefusedUntilOneFits) {
    CalibratorFixture f;
    f.links.SetStageTemp(15.0f, true);
    f.dialogs.readings = {"106", "30", "abc -5", "14.5"};
    float t = 0;
    ASSERT_TRUE(f.link.ManualCalibratorEntry(t));
    EXPECT_FLOAT_EQ(t, 14.5f);
    ASSERT_EQ(f.op.messages.size(), 3u);
    EXPECT_EQ(f.op.messages[0].text, "Error:  Tc temperature of 106.0\xC2\xB0" "C is invalid. Try again.");
    EXPECT_EQ(f.op.messages[0].title, "Data Entry Error");
    EXPECT_EQ(f.op.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(f.op.messages[1].text, "Error:  The reported Tc temperature of 30.0\xC2\xB0"
                                     "C versus the stage temperature of 15Try again.");
    EXPECT_EQ(f.op.messages[2].text, "Error:  The reported Tc temperature of 0.0\xC2\xB0"
                                     "C versus the stage temperature of 15Try again.")
        << "text without a leading number reads as 0";

    f.links.SetStageTemp(25.0f, true);
    f.op.messages.clear();
    f.dialogs.readings = {"24.5"};
    ASSERT_TRUE(f.link.ManualCalibratorEntry(t));
    EXPECT_FLOAT_EQ(t, 24.5f);
    EXPECT_TRUE(f.op.messages.empty());
    f.dialogs.readings = {"-35.1", "35", "-35"}; // stage at 25: -35 is valid but too far
    f.links.SetStageTemp(-30.0f, true);
    ASSERT_TRUE(f.link.ManualCalibratorEntry(t));
    EXPECT_FLOAT_EQ(t, -35.0f);
    EXPECT_EQ(f.op.messages.size(), 2u);
}

TEST(CalibratorType, AChangedChoiceTakesEffectOnlyWhenConfirmed) {
    CalibratorFixture f;
    f.type = 7;
    f.dialogs.type = tccal::Manual;
    f.op.queueAnswer(MessageAnswer::No);
    EXPECT_TRUE(SelectCalibratorType(f.link, f.op));
    EXPECT_EQ(f.dialogs.typeShownWith.back(), tccal::Martel8010) << "other types show as 3";
    EXPECT_EQ(f.type, 7);
    EXPECT_EQ(f.op.last().title, "Tc Calibrator Change Alert");
    f.op.queueAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(SelectCalibratorType(f.link, f.op));
    EXPECT_EQ(f.type, tccal::Manual);
    f.op.messages.clear();
    EXPECT_TRUE(SelectCalibratorType(f.link, f.op));
    EXPECT_TRUE(f.op.messages.empty()) << "the same type asks nothing";
    f.dialogs.type.reset();
    EXPECT_FALSE(SelectCalibratorType(f.link, f.op)) << "cancelled";
}

TEST(CalibratorTestUtility, FindsPollsAndClosesByItselfWhenAsked) {
    CalibratorFixture f;
    f.type = tccal::Martel8010;
    CalibratorTestUtility utility(f.link, f.op, f.clock);
    utility.Activate();
    EXPECT_FALSE(utility.pollEnabled);
    utility.Find();
    EXPECT_EQ(utility.TextStatus, "Martel 8010 Calibrator found on COM Port #3");
    EXPECT_TRUE(utility.pollEnabled);
    EXPECT_FALSE(utility.closed) << "no automatic exit was asked";
    utility.Poll();
    EXPECT_EQ(utility.TextStatus.rfind("TC Calibrator temperature-read successful: ", 0), 0u);
    utility.Exit();
    EXPECT_TRUE(utility.closed);

    f.links.calibratorComPort = 0;
    utility.SetAutoExit();
    utility.Activate();
    EXPECT_TRUE(utility.closed);
    EXPECT_TRUE(utility.CalibratorFound);
    EXPECT_EQ(utility.calibratorPort, 3);
}

} // namespace
} // namespace dilato
