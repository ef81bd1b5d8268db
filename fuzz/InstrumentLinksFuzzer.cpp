// The links against instruments that answer with arbitrary bytes: a Temp-Stage read, a
// parameter write with read-back and a displacement read, on the virtual clock, each command
// answered by the next slice of the input. Nothing may crash, hang past the deadlines or go
// out of bounds.

#include "FuzzSupport.h"

#include "instrument/InstrumentLinks.h"
#include "platform/VirtualClock.h"
#include "sim/LinkSurroundings.h"
#include "sim/SimSerialPort.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace {

using namespace dilato;

// Answers every command with the next slice of the input.
class EchoDevice final : public sim::SimDevice {
  public:
    EchoDevice(std::string data, int baud)
        : SimDevice("fuzz", baud, 0.001), data_(std::move(data)) {}

  protected:
    std::optional<std::string> answer(const std::string&, double) override {
        if (pos_ >= data_.size()) return std::nullopt;
        const size_t n =
            std::min<size_t>(static_cast<unsigned char>(data_[pos_]) % 24, data_.size() - pos_ - 1);
        std::string slice = data_.substr(pos_ + 1, n);
        pos_ += n + 1;
        return slice;
    }

  private:
    std::string data_;
    size_t pos_ = 0;
};

void Links(const std::string& data) {
    VirtualClock clock;
    fuzz::SilentOperator op;
    sim::NoLog log;
    SystemParameters params;
    sim::FixedPorts ports;
    sim::NoTicks host;
    EchoDevice sensor(data, 9600), controller(data, kTempStageBaud), calibrator(data, 9600);
    sim::SimPortBoard board;
    board.plug(1, sensor);
    board.plug(2, controller);
    board.plug(3, calibrator);
    sim::SimSerialPort p1(board, clock), p2(board, clock), p3(board, clock);
    InstrumentLinks links(LinkServices{clock, op, log, params, ports, host, [](double) {}}, p1, p2,
                          p3);
    (void)links.oKReadTeTcTemp(0, false, false);
    links.oKSendTeTcTemp(25.0f, 0);
    (void)links.ReadDisplacement();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    Links(std::string(reinterpret_cast<const char*>(bytes), size));
    return 0;
}
