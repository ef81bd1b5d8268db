// The links against instruments that answer with arbitrary bytes: a Temp-Stage read, a
// parameter write with read-back and a displacement read, on the virtual clock. The input is
// a run of answers, each a length byte (taken modulo 24) and that many bytes; every command,
// whichever instrument gets it, is answered by the next one in turn, so a recorded exchange
// is a seed as it stands (fuzz/corpus/fuzz_instrument_links). Nothing may crash, hang past
// the deadlines or go out of bounds.
//
// When the answers run out, every cable is pulled: the exchanges left fail at once instead of
// waiting out each of their deadlines in silence, which keeps a run to a few milliseconds.
// Silence itself is still explored: an answer of length 0 is none.

#include "FuzzSupport.h"

#include "instrument/InstrumentLinks.h"
#include "platform/VirtualClock.h"
#include "sim/LinkSurroundings.h"
#include "sim/SimSerialPort.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>

namespace {

using namespace dilato;

// The answers of the input, handed out in order.
class Answers {
  public:
    explicit Answers(std::string data) : data_(std::move(data)) {}
    std::optional<std::string> next() {
        if (pos_ >= data_.size()) return std::nullopt;
        const size_t n =
            std::min<size_t>(static_cast<unsigned char>(data_[pos_]) % 24, data_.size() - pos_ - 1);
        std::string answer = data_.substr(pos_ + 1, n);
        pos_ += n + 1;
        return answer;
    }

  private:
    std::string data_;
    size_t pos_ = 0;
};

class EchoDevice final : public sim::SimDevice {
  public:
    EchoDevice(Answers& answers, std::function<void()> exhausted, int baud)
        : SimDevice("fuzz", baud, 0.001), answers_(answers), exhausted_(std::move(exhausted)) {}

  protected:
    std::optional<std::string> answer(const std::string&, double) override {
        auto next = answers_.next();
        if (!next) exhausted_();
        return next;
    }

  private:
    Answers& answers_;
    std::function<void()> exhausted_;
};

// The virtual clock, idling and pausing in steps of at least 50 ms: a pause looks at the port
// every 2 ms, and a silent attempt would otherwise cost a thousand looks. An answer is still taken
// when it is due by the look after its deadline.
class CoarseClock final : public Clock {
  public:
    QDateTime now() const override { return clock_.now(); }
    void idle(double maxSeconds) override { clock_.advance(std::max(maxSeconds, 0.05)); }
    void pause(double maxSeconds, const std::function<bool()>& ready) override {
        while (!(ready && ready()) && maxSeconds > 0) {
            clock_.pause(std::min(maxSeconds, 0.05), {});
            maxSeconds -= 0.05;
        }
    }
    TimerId startTimer(double interval, std::function<void()> onTimeout) override {
        return clock_.startTimer(interval, std::move(onTimeout));
    }
    void stopTimer(TimerId id) override { clock_.stopTimer(id); }
    double timeFactor() const override { return 0.0; }

  private:
    VirtualClock clock_;
};

void Links(const std::string& data) {
    CoarseClock clock;
    fuzz::SilentOperator op;
    sim::NoLog log;
    SystemParameters params;
    sim::FixedPorts ports;
    sim::NoTicks host;
    Answers answers(data);
    sim::SimPortBoard board;
    const auto pullCables = [&board] {
        for (int com = 1; com <= 3; ++com)
            board.vanish(com);
    };
    EchoDevice sensor(answers, pullCables, 9600), controller(answers, pullCables, kTempStageBaud),
        calibrator(answers, pullCables, 9600);
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
