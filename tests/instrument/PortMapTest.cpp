#include "instrument/PortMap.h"

#include "platform/IniFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

TEST(PortMap, DefaultsCoverOnBoardUsbAndModemPorts) {
    const PortMap map;
#ifndef _WIN32
    EXPECT_EQ(map.device(1), "/dev/ttyS0");
    EXPECT_EQ(map.device(4), "/dev/ttyS3");
    EXPECT_EQ(map.device(5), "/dev/ttyUSB0");
    EXPECT_EQ(map.device(12), "/dev/ttyUSB7");
    EXPECT_EQ(map.device(13), "/dev/ttyACM0");
    EXPECT_EQ(map.device(16), "/dev/ttyACM3");
#endif
    EXPECT_EQ(map.device(0), "");
    EXPECT_EQ(map.device(17), "");
}

TEST(PortMap, TheSettingsFileSectionOverridesAndIsWrittenWhenMissing) {
    test::TempFolder folder;
    const std::string ini = folder.write("Dilato.ini", "[General]\r\nKeyence_Comport=3\r\n");
    PortMap map;
    map.load(ini);
    EXPECT_EQ(map.device(3), PortMap::DefaultDevice(3)) << "no section: defaults";
    ASSERT_TRUE(map.writeIfMissing(ini));
    EXPECT_EQ(ReadIniValue(ini, "General", "Keyence_Comport"), "3") << "the rest stays";
    EXPECT_EQ(ReadIniValue(ini, "SerialDevices", "COM16"), PortMap::DefaultDevice(16));

    WriteIniValue(ini, "SerialDevices", "COM3", "/dev/serial/by-id/usb-stage");
    WriteIniValue(ini, "SerialDevices", "com4", "");
    PortMap edited;
    edited.load(ini);
    EXPECT_EQ(edited.device(3), "/dev/serial/by-id/usb-stage");
    EXPECT_EQ(edited.device(4), "") << "an empty value unmaps the port";
    EXPECT_EQ(edited.device(5), PortMap::DefaultDevice(5));
    ASSERT_TRUE(edited.writeIfMissing(ini));
    EXPECT_EQ(ReadIniValue(ini, "SerialDevices", "COM3"), "/dev/serial/by-id/usb-stage")
        << "an existing section is never overwritten";

    PortMap missing;
    missing.load(folder.file("absent.ini"));
    EXPECT_EQ(missing.device(1), PortMap::DefaultDevice(1));
}

TEST(PortMap, PortOptionsOfTheCommandLine) {
    EXPECT_EQ(ParsePortOverride("COM3=/dev/ttyUSB0"),
              (std::pair<int, std::string>{3, "/dev/ttyUSB0"}));
    EXPECT_EQ(ParsePortOverride(" com12 = /tmp/x "), (std::pair<int, std::string>{12, "/tmp/x"}));
    EXPECT_FALSE(ParsePortOverride("COM0=/dev/a"));
    EXPECT_FALSE(ParsePortOverride("COM17=/dev/a"));
    EXPECT_FALSE(ParsePortOverride("COM3"));
    EXPECT_FALSE(ParsePortOverride("COM3="));
    EXPECT_FALSE(ParsePortOverride("PORT3=/dev/a"));
    EXPECT_FALSE(ParsePortOverride("COM3x=/dev/a"));

    PortMap map;
    const auto rest = ApplyPortOptions(
        {"--demo", "--port", "COM2=/tmp/te", "--port=COM1=/tmp/sensor", "file"}, map);
    EXPECT_EQ(rest, (std::vector<std::string>{"--demo", "file"}));
    EXPECT_EQ(map.device(1), "/tmp/sensor");
    EXPECT_EQ(map.device(2), "/tmp/te");
    EXPECT_THROW(ApplyPortOptions({"--port"}, map), std::invalid_argument);
    EXPECT_THROW(ApplyPortOptions({"--port", "COM99=/x"}, map), std::invalid_argument);
}

} // namespace
} // namespace dilato
