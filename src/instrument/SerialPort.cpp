#include "instrument/SerialPort.h"

#include <charconv>
#include <utility>
#include <vector>

namespace dilato {

namespace {

std::vector<std::string_view> SplitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return parts;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool WholeNumber(std::string_view s, int& value) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

[[noreturn]] void InvalidSettings() {
    throw SerialError(serial_error::InvalidPropertyValue, "Invalid property value");
}

} // namespace

LineSettings ParseLineSettings(std::string_view text) {
    const auto parts = SplitCommas(text);
    if (parts.size() != 4) InvalidSettings();
    LineSettings s;
    if (!WholeNumber(Trimmed(parts[0]), s.baud) || s.baud <= 0) InvalidSettings();
    const std::string_view parity = Trimmed(parts[1]);
    if (parity.size() != 1) InvalidSettings();
    const char p = static_cast<char>(parity[0] & ~0x20); // upper case
    if (std::string_view("NEOMS").find(p) == std::string_view::npos) InvalidSettings();
    s.parity = p;
    if (!WholeNumber(Trimmed(parts[2]), s.dataBits) || s.dataBits < 4 || s.dataBits > 8)
        InvalidSettings();
    const std::string_view stop = Trimmed(parts[3]);
    if (stop == "1")
        s.stopBits = 1.0;
    else if (stop == "1.5")
        s.stopBits = 1.5;
    else if (stop == "2")
        s.stopBits = 2.0;
    else
        InvalidSettings();
    return s;
}

void SerialPortBase::setCommPort(int port) {
    if (port < kLowestComPort || port > kHighestComPort)
        throw SerialError(serial_error::InvalidPortNumber, "Invalid port number");
    if (portOpen()) throw SerialError(serial_error::PortAlreadyOpen, "Port already open");
    port_ = port;
}

void SerialPortBase::setSettings(std::string_view settings) {
    settings_ = ParseLineSettings(settings);
    if (!open_) baud_ = settings_.baud;
}

void SerialPortBase::setInputLen(int length) {
    if (length < 0) InvalidSettings();
    inputLen_ = length;
}

void SerialPortBase::setPortOpen(bool open) {
    if (!open) {
        if (open_) closeDevice();
        open_ = false;
        pending_.clear();
        return;
    }
    if (portOpen()) throw SerialError(serial_error::PortAlreadyOpen, "Port already open");
    openDevice(port_, settings_);
    open_ = true;
    baud_ = settings_.baud;
    pending_.clear();
}

bool SerialPortBase::portOpen() {
    if (open_ && !deviceOpen()) closeLostLink();
    return open_;
}

void SerialPortBase::closeLostLink() {
    if (open_) closeDevice();
    open_ = false;
    pending_.clear();
}

void SerialPortBase::requireOpen() {
    if (!portOpen()) throw SerialError(serial_error::PortNotOpen, "Port not open");
}

void SerialPortBase::output(std::string_view bytes) {
    requireOpen();
    if (writeDevice(bytes) == DeviceState::Lost) {
        closeLostLink();
        throw SerialError(serial_error::DeviceFault, "The serial device is no longer available");
    }
}

std::string SerialPortBase::input() {
    requireOpen();
    if (readDevice(pending_) == DeviceState::Lost) {
        std::string got = std::move(pending_);
        closeLostLink();
        return got;
    }
    if (inputLen_ == 0 || pending_.size() <= static_cast<size_t>(inputLen_))
        return std::exchange(pending_, {});
    std::string got = pending_.substr(0, static_cast<size_t>(inputLen_));
    pending_.erase(0, static_cast<size_t>(inputLen_));
    return got;
}

void SerialPortBase::setInBufferCount(int count) {
    requireOpen();
    if (count != 0) InvalidSettings();
    pending_.clear();
    discardDevice();
}

void SerialPortBase::setBaudRate(int baud) {
    requireOpen();
    if (baud <= 0 || !setDeviceBaud(baud))
        throw SerialError(serial_error::SetStateFailed, "Could not set comm state");
    baud_ = baud;
}

} // namespace dilato
