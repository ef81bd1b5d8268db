#include "instrument/QtSerialPort.h"

#include <QFileInfo>
#include <QSerialPort>

namespace dilato {

namespace {

// How long a write may take to leave for the device before it counts as refused.
constexpr int kWriteTimeoutMs = 1000;

bool Harmless(QSerialPort::SerialPortError e) {
    return e == QSerialPort::NoError || e == QSerialPort::TimeoutError ||
           e == QSerialPort::WriteError;
}

QSerialPort::Parity QtParity(char p) {
    switch (p) {
    case 'E':
        return QSerialPort::EvenParity;
    case 'O':
        return QSerialPort::OddParity;
    case 'M':
        return QSerialPort::MarkParity;
    case 'S':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits QtStopBits(double s) {
    if (s == 2.0) return QSerialPort::TwoStop;
    if (s == 1.5) return QSerialPort::OneAndHalfStop;
    return QSerialPort::OneStop;
}

} // namespace

QtSerialPort::QtSerialPort(const PortMap& map) : map_(map), port_(std::make_unique<QSerialPort>()) {
    QObject::connect(port_.get(), &QSerialPort::errorOccurred, port_.get(),
                     [this](QSerialPort::SerialPortError e) { onError(static_cast<int>(e)); });
}

QtSerialPort::~QtSerialPort() {
    if (port_->isOpen()) port_->close();
}

std::string QtSerialPort::deviceName() const {
    return port_->isOpen() ? port_->portName().toStdString() : std::string();
}

void QtSerialPort::onError(int error) {
    const auto e = static_cast<QSerialPort::SerialPortError>(error);
    if (Harmless(e) || !port_->isOpen() || lost_) return;
    // Closing inside the signal would delete Qt's notifier while it runs: mark the link
    // lost, stop the notifications now, and close once control is back in the event loop
    // (or at the next call, whichever comes first).
    lost_ = true;
    ++lostLinks_;
    QMetaObject::invokeMethod(
        port_.get(),
        [this] {
            if (lost_) closeLostLink();
        },
        Qt::QueuedConnection);
}

bool QtSerialPort::errorMeansLost() const {
    return lost_ || !Harmless(port_->error());
}

void QtSerialPort::openDevice(int port, const LineSettings& settings) {
    const std::string device = map_.device(port);
    // A device file that is not there is no port (Windows names its ports "COMn", no files).
    const bool missing =
        device.find('/') != std::string::npos && !QFileInfo::exists(QString::fromStdString(device));
    if (device.empty() || missing)
        throw SerialError(serial_error::InvalidPortNumber, "Invalid port number");
    port_->setPortName(QString::fromStdString(device));
    lost_ = false;
    if (!port_->setBaudRate(settings.baud) ||
        !port_->setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits)) ||
        !port_->setParity(QtParity(settings.parity)) ||
        !port_->setStopBits(QtStopBits(settings.stopBits)) ||
        !port_->setFlowControl(QSerialPort::NoFlowControl))
        throw SerialError(serial_error::SetStateFailed, "Could not set comm state");
    if (port_->open(QIODevice::ReadWrite)) {
        port_->clearError();
        return;
    }
    const auto e = port_->error();
    const std::string why = port_->errorString().toStdString();
    port_->clearError();
    switch (e) {
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        throw SerialError(serial_error::PortAlreadyOpen, "Port already open (" + why + ")");
    case QSerialPort::UnsupportedOperationError:
        throw SerialError(serial_error::SetStateFailed, "Could not set comm state (" + why + ")");
    default:
        throw SerialError(serial_error::InvalidPortNumber, "Invalid port number (" + why + ")");
    }
}

void QtSerialPort::closeDevice() {
    lost_ = false;
    if (port_->isOpen()) port_->close();
    port_->clearError();
}

QtSerialPort::DeviceState QtSerialPort::writeDevice(std::string_view bytes) {
    if (errorMeansLost()) return DeviceState::Lost;
    const qint64 n = port_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (n != static_cast<qint64>(bytes.size())) {
        if (errorMeansLost()) return DeviceState::Lost;
        port_->clearError();
        throw SerialError(serial_error::DeviceFault, "Write to the serial device failed");
    }
    while (port_->bytesToWrite() > 0) {
        if (port_->waitForBytesWritten(kWriteTimeoutMs)) continue;
        if (errorMeansLost()) return DeviceState::Lost;
        const bool timedOut = port_->error() == QSerialPort::TimeoutError;
        port_->clearError();
        throw SerialError(serial_error::DeviceFault, timedOut
                                                         ? "Write to the serial device timed out"
                                                         : "Write to the serial device failed");
    }
    return DeviceState::Fine;
}

QtSerialPort::DeviceState QtSerialPort::readDevice(std::string& into) {
    if (errorMeansLost()) return DeviceState::Lost;
    // Pull whatever the system holds into Qt's buffer, without waiting.
    while (port_->waitForReadyRead(0)) {
    }
    if (errorMeansLost()) {
        const QByteArray rest = port_->readAll();
        into.append(rest.constData(), static_cast<size_t>(rest.size()));
        if (!lost_) ++lostLinks_;
        lost_ = true;
        return DeviceState::Lost;
    }
    port_->clearError(); // a timeout: nothing more has arrived
    const QByteArray got = port_->readAll();
    into.append(got.constData(), static_cast<size_t>(got.size()));
    return DeviceState::Fine;
}

void QtSerialPort::discardDevice() {
    while (port_->waitForReadyRead(0)) {
    }
    port_->clear(QSerialPort::Input);
    port_->readAll();
    if (!errorMeansLost()) port_->clearError();
}

bool QtSerialPort::setDeviceBaud(int baud) {
    if (errorMeansLost()) return false;
    return port_->setBaudRate(baud);
}

bool QtSerialPort::deviceOpen() const {
    return port_->isOpen() && !lost_;
}

} // namespace dilato
