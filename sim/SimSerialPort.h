#pragma once
// Simulated instruments plugged in where real ports would be, inside the program's own
// process: a board maps COM numbers to devices, and SimSerialPort is the serial facility on
// that board. Time is the program's clock, so tests on the virtual clock run at full speed.
// A device can vanish (the cable is pulled: an open port loses its link, opening fails) and
// come back (a port opened before stays dead, as a pulled USB adapter's does).
// On a clock that follows the wall, the arrival of an answer's next character wakes the event
// loop, as a real port's data does, so that an exchange waiting on the port looks again then.

#include "SimDevice.h"

#include "instrument/SerialPort.h"
#include "platform/Clock.h"

#include <QTimer>

#include <map>

namespace dilato::sim {

// Seconds of the program's clock (since the epoch), the time base of the models.
[[nodiscard]] double SimSeconds(const Clock& clock);

class SimPortBoard {
  public:
    void plug(int comPort, SimDevice& device);
    void vanish(int comPort);
    void restore(int comPort);

    [[nodiscard]] SimDevice* device(int comPort) const;
    [[nodiscard]] bool present(int comPort) const;
    [[nodiscard]] int generation(int comPort) const;
    // A port is held by one opener at a time.
    bool claim(int comPort, const void* owner);
    void release(int comPort, const void* owner);

  private:
    struct Socket {
        SimDevice* device = nullptr;
        bool present = true;
        int generation = 0;
        const void* owner = nullptr;
    };
    std::map<int, Socket> sockets_;
};

class SimSerialPort final : public SerialPortBase {
  public:
    SimSerialPort(SimPortBoard& board, const Clock& clock);
    ~SimSerialPort() override;

    // What the program wrote, in order (for checking frames byte for byte): the latest
    // kWrittenHistory bytes at least.
    [[nodiscard]] const std::string& written() const { return written_; }
    static constexpr size_t kWrittenHistory = 4096;
    void clearWritten() { written_.clear(); }

  protected:
    void openDevice(int port, const LineSettings& settings) override;
    void closeDevice() override;
    DeviceState writeDevice(std::string_view bytes) override;
    DeviceState readDevice(std::string& into) override;
    void discardDevice() override;
    bool setDeviceBaud(int baud) override;
    [[nodiscard]] bool deviceOpen() const override;

  private:
    [[nodiscard]] bool alive() const;
    // Sets the wake-up for the next character on its way, if any.
    void armWake();

    SimPortBoard& board_;
    const Clock& clock_;
    int open_ = 0; // COM number held, 0 when closed
    int generation_ = 0;
    std::string written_;
    QTimer wake_; // no receiver: its expiry only wakes the event loop
};

} // namespace dilato::sim
