#include "instrument/PortMap.h"

#include "instrument/SerialPort.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"

#include <charconv>
#include <stdexcept>

namespace dilato {

namespace {

bool InRange(int port) {
    return port >= kLowestComPort && port <= kHighestComPort;
}

std::string Key(int port) {
    return "COM" + std::to_string(port);
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool HasSection(const std::vector<std::string>& lines, const std::string& section) {
    for (const auto& line : lines) {
        const std::string_view t = Trimmed(line);
        if (t.size() < 2 || t.front() != '[' || t.back() != ']') continue;
        const std::string_view name = Trimmed(t.substr(1, t.size() - 2));
        if (name.size() != section.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size(); ++i)
            if ((name[i] | 0x20) != (section[i] | 0x20)) same = false;
        if (same) return true;
    }
    return false;
}

} // namespace

std::string PortMap::DefaultDevice(int port) {
    if (!InRange(port)) return {};
#ifdef _WIN32
    return Key(port);
#else
    if (port <= 4) return "/dev/ttyS" + std::to_string(port - 1);
    if (port <= 12) return "/dev/ttyUSB" + std::to_string(port - 5);
    return "/dev/ttyACM" + std::to_string(port - 13);
#endif
}

PortMap::PortMap() {
    for (int port = kLowestComPort; port <= kHighestComPort; ++port)
        devices_[static_cast<size_t>(port - 1)] = DefaultDevice(port);
}

std::string PortMap::device(int port) const {
    return InRange(port) ? devices_[static_cast<size_t>(port - 1)] : std::string();
}

void PortMap::set(int port, std::string device) {
    if (!InRange(port)) throw std::out_of_range("COM port number outside 1 to 16");
    devices_[static_cast<size_t>(port - 1)] = std::move(device);
}

void PortMap::load(const std::string& iniFile) {
    const auto lines = ReadTextLines(iniFile);
    if (!lines || !HasSection(*lines, kSerialDevicesSection)) return;
    for (int port = kLowestComPort; port <= kHighestComPort; ++port) {
        // A key that is absent reads like an empty one; only keys present change the map.
        bool present = false;
        for (const auto& line : *lines) {
            const std::string_view t = Trimmed(line);
            const size_t eq = t.find('=');
            if (eq == std::string_view::npos) continue;
            const std::string_view key = Trimmed(t.substr(0, eq));
            const std::string want = Key(port);
            if (key.size() != want.size()) continue;
            bool same = true;
            for (size_t i = 0; i < key.size(); ++i)
                if ((key[i] | 0x20) != (want[i] | 0x20)) same = false;
            if (same) present = true;
        }
        if (present) set(port, IniLookup(*lines, kSerialDevicesSection, Key(port)));
    }
}

bool PortMap::writeIfMissing(const std::string& iniFile) const {
    std::vector<std::string> lines = ReadTextLines(iniFile).value_or(std::vector<std::string>{});
    if (HasSection(lines, kSerialDevicesSection)) return true;
    for (int port = kLowestComPort; port <= kHighestComPort; ++port)
        IniAssign(lines, kSerialDevicesSection, Key(port), device(port));
    try {
        WriteTextLinesAtomic(iniFile, lines);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

std::optional<std::pair<int, std::string>> ParsePortOverride(std::string_view text) {
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view name = Trimmed(text.substr(0, eq));
    const std::string_view device = Trimmed(text.substr(eq + 1));
    if (name.size() < 4 || device.empty()) return std::nullopt;
    if ((name[0] | 0x20) != 'c' || (name[1] | 0x20) != 'o' || (name[2] | 0x20) != 'm')
        return std::nullopt;
    int port = 0;
    const std::string_view digits = name.substr(3);
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (ec != std::errc() || end != digits.data() + digits.size() || !InRange(port))
        return std::nullopt;
    return std::make_pair(port, std::string(device));
}

std::vector<std::string> ApplyPortOptions(const std::vector<std::string>& args, PortMap& map) {
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value;
        if (args[i] == "--port") {
            if (i + 1 >= args.size())
                throw std::invalid_argument("--port needs a value such as COM3=/dev/ttyUSB0");
            value = args[++i];
        } else if (args[i].rfind("--port=", 0) == 0) {
            value = args[i].substr(7);
        } else {
            rest.push_back(args[i]);
            continue;
        }
        const auto parsed = ParsePortOverride(value);
        if (!parsed)
            throw std::invalid_argument("--port " + value +
                                        ": expected COMn=DEVICE with n from 1 to 16");
        map.set(parsed->first, parsed->second);
    }
    return rest;
}

} // namespace dilato
