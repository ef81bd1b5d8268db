#pragma once
// Which serial device stands behind COM n. The program speaks of COM port numbers (1 to 16),
// as the operator and the settings file always have; on Linux each number maps to a device
// file. The mapping lives in the settings file "Dilato.ini", section "SerialDevices", one key
// per port ("COM1=/dev/ttyS0"); ports without a key keep the default:
//   COM1-COM4   /dev/ttyS0-/dev/ttyS3     (on-board ports)
//   COM5-COM12  /dev/ttyUSB0-/dev/ttyUSB7 (USB serial adapters)
//   COM13-COM16 /dev/ttyACM0-/dev/ttyACM3 (USB modem-class instruments)
// On Windows COM n is the device "COMn". A run can override single ports with
// "--port COMn=DEVICE" (for instance to reach simulated instruments).

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dilato {

inline constexpr const char* kSerialDevicesSection = "SerialDevices";

class PortMap {
  public:
    // The default mapping.
    PortMap();

    // The device of COM n; empty for a number outside 1 to 16 or a port mapped to nothing.
    [[nodiscard]] std::string device(int port) const;
    void set(int port, std::string device);

    // Takes the "SerialDevices" keys of the settings file over the defaults; a missing file
    // or section changes nothing. A key with an empty value unmaps the port.
    void load(const std::string& iniFile);
    // Writes the whole mapping into the section when the file has no such section yet, so
    // that a maintainer finds it there to edit. Returns false when the file cannot be written.
    bool writeIfMissing(const std::string& iniFile) const;

    [[nodiscard]] static std::string DefaultDevice(int port);

  private:
    std::array<std::string, 16> devices_;
};

// "COM3=/dev/ttyUSB0" (case of "COM" free, blanks around the parts ignored) as a port and a
// device; nullopt when the text is not of that form or the number is outside 1 to 16.
[[nodiscard]] std::optional<std::pair<int, std::string>> ParsePortOverride(std::string_view text);

// Applies the "--port COMn=DEVICE" and "--port=COMn=DEVICE" options among the arguments to the
// map and returns the arguments that are not port options, in order. Throws
// std::invalid_argument naming the option for a malformed one.
std::vector<std::string> ApplyPortOptions(const std::vector<std::string>& args, PortMap& map);

} // namespace dilato
