#pragma once
// The serial facility on a real serial device, through Qt SerialPort. COM n is looked up in
// the PortMap. Reads pull what the system has received without waiting, so the port works
// with or without a running event loop.
//
// A device that goes away behind an open port (a USB adapter pulled, the far side of a
// pseudo-terminal closed) leaves Qt's port "open" while every read fails at once, and with an
// event loop running its error signal fires in a tight loop. Any error other than a timeout,
// a read that returned nothing, or a failed write is therefore taken as a lost link: the port
// is closed, so the links' reopen and the instrument link check take over.

#include "instrument/PortMap.h"
#include "instrument/SerialPort.h"

#include <memory>

class QSerialPort;

namespace dilato {

class QtSerialPort final : public SerialPortBase {
  public:
    explicit QtSerialPort(const PortMap& map);
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort&) = delete;
    QtSerialPort& operator=(const QtSerialPort&) = delete;

    // How many times the device was found gone and the port closed (for the diary and tests).
    [[nodiscard]] int lostLinks() const { return lostLinks_; }
    // The system's device behind the open port; empty when closed.
    [[nodiscard]] std::string deviceName() const;

  protected:
    void openDevice(int port, const LineSettings& settings) override;
    void closeDevice() override;
    DeviceState writeDevice(std::string_view bytes) override;
    DeviceState readDevice(std::string& into) override;
    void discardDevice() override;
    bool setDeviceBaud(int baud) override;
    [[nodiscard]] bool deviceOpen() const override;

  private:
    // Whether the port's current error means the device is gone.
    [[nodiscard]] bool errorMeansLost() const;
    void onError(int error);

    const PortMap& map_;
    std::unique_ptr<QSerialPort> port_;
    bool lost_ = false;
    int lostLinks_ = 0;
};

} // namespace dilato
