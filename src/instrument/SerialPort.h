#pragma once
// The serial facility every instrument link talks through: a port in the manner of the old
// communications control. Set the COM number, the line settings and the input mode, open it,
// write a command with output(), and poll input() for the reply against a deadline. Nothing is
// event-driven. Failures surface as SerialError with the numbers callers tell apart.
//
// SerialPortBase keeps the rules every adapter shares (number range, open/closed checks,
// settings text, input length); an adapter supplies the device side: the real one a serial
// device through Qt, the simulated one an in-process instrument model.

#include <stdexcept>
#include <string>
#include <string_view>

namespace dilato {

// Numbered failures of the serial facility.
namespace serial_error {
inline constexpr int InvalidPropertyValue = 380; // a settings text that cannot be used
inline constexpr int InvalidPortNumber = 8002;   // no such COM port (or its device is missing)
inline constexpr int PortAlreadyOpen = 8005;     // open already, or held by another program
inline constexpr int PortNotOpen = 8012;         // the operation needs an open port
inline constexpr int SetStateFailed = 8015;      // the device refused the line state (baud rate)
inline constexpr int DeviceFault = 8020;         // reading or writing the device failed
} // namespace serial_error

class SerialError : public std::runtime_error {
  public:
    SerialError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    [[nodiscard]] int number() const { return number_; }

  private:
    int number_;
};

// "9600,N,8,1": baud rate, parity (N, E, O, M, S), data bits (4 to 8), stop bits (1, 1.5, 2).
struct LineSettings {
    int baud = 9600;
    char parity = 'N';
    int dataBits = 8;
    double stopBits = 1.0;
};
// Throws SerialError 380 for a text that is not of that form.
[[nodiscard]] LineSettings ParseLineSettings(std::string_view text);

enum class InputMode { Text = 0, Binary = 1 };

inline constexpr int kLowestComPort = 1;
inline constexpr int kHighestComPort = 16;

class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // COM number 1 to 16; outside that 8002, while the port is open 8005.
    virtual void setCommPort(int port) = 0;
    [[nodiscard]] virtual int commPort() const = 0;
    // Line settings used by the next open; 380 for an unusable text.
    virtual void setSettings(std::string_view settings) = 0;
    virtual void setInputMode(InputMode mode) = 0;
    // 0: one input() returns everything received so far; n: at most n characters.
    virtual void setInputLen(int length) = 0;

    // true opens (8002 no such port, 8005 already open or busy, 8015 settings refused),
    // false closes (closing a closed port does nothing).
    virtual void setPortOpen(bool open) = 0;
    // False as well once the device behind an open port went away: a lost link is closed.
    [[nodiscard]] virtual bool portOpen() = 0;

    // Sends the characters as bytes, nothing added. 8012 when closed, 8020 when the device
    // does not take them.
    virtual void output(std::string_view bytes) = 0;
    // Returns and removes what has arrived; empty when nothing has; never waits. 8012 when
    // closed. A device found gone closes the port and returns what had arrived.
    [[nodiscard]] virtual std::string input() = 0;
    // Only 0 is meaningful: discards pending input. 8012 when closed.
    virtual void setInBufferCount(int count) = 0;

    // Sets the line rate of the open port outside the settings text (the Temp-Stage
    // controller runs at 230400). 8012 when closed, 8015 when the device refuses.
    virtual void setBaudRate(int baud) = 0;
    // The line rate in force: the override when one was applied, else the settings'.
    [[nodiscard]] virtual int baudRate() const = 0;
};

class SerialPortBase : public SerialPort {
  public:
    void setCommPort(int port) override;
    [[nodiscard]] int commPort() const override { return port_; }
    void setSettings(std::string_view settings) override;
    void setInputMode(InputMode mode) override { mode_ = mode; }
    void setInputLen(int length) override;
    void setPortOpen(bool open) override;
    [[nodiscard]] bool portOpen() override;
    void output(std::string_view bytes) override;
    [[nodiscard]] std::string input() override;
    void setInBufferCount(int count) override;
    void setBaudRate(int baud) override;
    [[nodiscard]] int baudRate() const override { return baud_; }

    [[nodiscard]] const LineSettings& settings() const { return settings_; }

  protected:
    // What an adapter tells the base after touching its device.
    enum class DeviceState { Fine, Lost };

    // Opens the device of COM `port`; throws SerialError 8002, 8005 or 8015.
    virtual void openDevice(int port, const LineSettings& settings) = 0;
    virtual void closeDevice() = 0;
    // Writes all bytes; returns Lost when the device has gone; throws SerialError 8020 when
    // it refuses them while still there.
    virtual DeviceState writeDevice(std::string_view bytes) = 0;
    // Appends what has arrived to `into`; Lost when the device has gone.
    virtual DeviceState readDevice(std::string& into) = 0;
    virtual void discardDevice() = 0;
    // False when the device refuses the rate.
    virtual bool setDeviceBaud(int baud) = 0;
    // True while the device side still holds the port open (it may have closed itself).
    [[nodiscard]] virtual bool deviceOpen() const = 0;

    // For adapters that learn of a lost device from outside a call (an error signal).
    void closeLostLink();

  private:
    void requireOpen();

    int port_ = kLowestComPort;
    LineSettings settings_{};
    InputMode mode_ = InputMode::Text;
    int inputLen_ = 0;
    bool open_ = false;
    int baud_ = 9600;
    std::string pending_; // received but not yet handed out (InputLen > 0)
};

} // namespace dilato
