#include "SimSerialPort.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace dilato::sim {

double SimSeconds(const Clock& clock) {
    return static_cast<double>(clock.now().toMSecsSinceEpoch()) / 1000.0;
}

void SimPortBoard::plug(int comPort, SimDevice& device) {
    sockets_[comPort] = Socket{&device, true, 0, nullptr};
}

void SimPortBoard::vanish(int comPort) {
    const auto it = sockets_.find(comPort);
    if (it == sockets_.end()) return;
    it->second.present = false;
    ++it->second.generation;
    it->second.owner = nullptr;
    if (it->second.device) it->second.device->dropLine();
}

void SimPortBoard::restore(int comPort) {
    const auto it = sockets_.find(comPort);
    if (it != sockets_.end()) it->second.present = true;
}

SimDevice* SimPortBoard::device(int comPort) const {
    const auto it = sockets_.find(comPort);
    return it == sockets_.end() ? nullptr : it->second.device;
}

bool SimPortBoard::present(int comPort) const {
    const auto it = sockets_.find(comPort);
    return it != sockets_.end() && it->second.present && it->second.device;
}

int SimPortBoard::generation(int comPort) const {
    const auto it = sockets_.find(comPort);
    return it == sockets_.end() ? 0 : it->second.generation;
}

bool SimPortBoard::claim(int comPort, const void* owner) {
    const auto it = sockets_.find(comPort);
    if (it == sockets_.end() || (it->second.owner && it->second.owner != owner)) return false;
    it->second.owner = owner;
    return true;
}

void SimPortBoard::release(int comPort, const void* owner) {
    const auto it = sockets_.find(comPort);
    if (it != sockets_.end() && it->second.owner == owner) it->second.owner = nullptr;
}

SimSerialPort::SimSerialPort(SimPortBoard& board, const Clock& clock)
    : board_(board), clock_(clock) {
    wake_.setSingleShot(true);
    wake_.setTimerType(Qt::PreciseTimer);
}

void SimSerialPort::armWake() {
    const double factor = clock_.timeFactor();
    if (factor <= 0 || !alive() || !QCoreApplication::instance()) return;
    const double due = board_.device(open_)->nextDue();
    if (!std::isfinite(due)) return;
    const double ms = std::max(0.0, (due - SimSeconds(clock_)) / factor * 1000.0);
    wake_.start(static_cast<int>(std::ceil(ms)));
}

SimSerialPort::~SimSerialPort() {
    if (open_) board_.release(open_, this);
}

bool SimSerialPort::alive() const {
    return open_ && board_.present(open_) && board_.generation(open_) == generation_;
}

void SimSerialPort::openDevice(int port, const LineSettings&) {
    if (!board_.present(port))
        throw SerialError(serial_error::InvalidPortNumber, "Invalid port number");
    if (!board_.claim(port, this))
        throw SerialError(serial_error::PortAlreadyOpen, "Port already open");
    open_ = port;
    generation_ = board_.generation(port);
    // What the device sent while nobody listened is gone, as on a real line.
    (void)board_.device(port)->takeDue(SimSeconds(clock_));
}

void SimSerialPort::closeDevice() {
    if (open_) board_.release(open_, this);
    open_ = 0;
}

SimSerialPort::DeviceState SimSerialPort::writeDevice(std::string_view bytes) {
    if (!alive()) return DeviceState::Lost;
    if (written_.size() >= 2 * kWrittenHistory) written_.erase(0, written_.size() - kWrittenHistory);
    written_.append(bytes);
    board_.device(open_)->receive(bytes, SimSeconds(clock_), baudRate());
    armWake();
    return DeviceState::Fine;
}

SimSerialPort::DeviceState SimSerialPort::readDevice(std::string& into) {
    if (!alive()) return DeviceState::Lost;
    into += board_.device(open_)->takeDue(SimSeconds(clock_));
    armWake();
    return DeviceState::Fine;
}

void SimSerialPort::discardDevice() {
    if (alive()) (void)board_.device(open_)->takeDue(SimSeconds(clock_));
}

bool SimSerialPort::setDeviceBaud(int) {
    return alive();
}

bool SimSerialPort::deviceOpen() const {
    return alive();
}

} // namespace dilato::sim
