#pragma once
// A simulated instrument as the serial line sees it: bytes come in, commands are assembled up
// to their carriage return, and the answer leaves character by character at the instrument's
// line rate after its reaction time. Bytes sent at another line rate arrive as line noise and
// are dropped. Faults change the next answers (or all of them until cleared).

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dilato::sim {

enum class Fault {
    None,
    Silence,  // no answer at all
    Short,    // the answer loses its second half
    Long,     // one character too many
    Garbled,  // same length, characters replaced by junk
    Delay,    // the answer comes after delaySeconds (past the program's deadlines)
    Negative, // displacement sensor: a negative reading
    Over,     // calibrator: the thermocouple is open ("OVER")
};
[[nodiscard]] const char* FaultName(Fault fault);
// "silence", "short", ... ; nullopt for an unknown name.
[[nodiscard]] std::optional<Fault> FaultFromName(std::string_view name);

class SimDevice {
  public:
    SimDevice(std::string name, int baud, double reactionSeconds);
    virtual ~SimDevice() = default;
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    // Bytes from the program at `now`, sent at line rate `lineBaud`.
    void receive(std::string_view bytes, double now, int lineBaud);
    // The answer characters that have arrived by `now`, removed from the line.
    [[nodiscard]] std::string takeDue(double now);
    // When the next character arrives (infinity when nothing is on its way).
    [[nodiscard]] double nextDue() const;
    // Drops everything on its way and every half-received command (the cable is pulled).
    void dropLine();

    // The next `count` answers get the fault (count < 0: every answer until cleared), after
    // `skip` answers that come through unharmed.
    void inject(Fault fault, int count = -1, int skip = 0);
    void clearFaults();
    // No answer to a command received from `from` until `until` (the line's clock, seconds):
    // an instrument switched off for a while, or a cable pulled and plugged in again.
    void silenceBetween(double from, double until) { silentFrom_ = from, silentUntil_ = until; }
    double delaySeconds = 3.0;

    [[nodiscard]] const std::string& name() const { return name_; }
    [[nodiscard]] int baud() const { return baud_; }
    // The commands received, in order, without their line ends: the latest kCommandHistory
    // at least (a day-long run must not keep every one it ever got).
    [[nodiscard]] const std::vector<std::string>& commands() const { return commands_; }
    static constexpr size_t kCommandHistory = 256;
    void clearCommands() { commands_.clear(); }
    // Characters dropped because they came at the wrong line rate.
    [[nodiscard]] size_t noiseBytes() const { return noiseBytes_; }

  protected:
    // The answer to one command (without its line end) at `now`; nullopt: no answer.
    virtual std::optional<std::string> answer(const std::string& command, double now) = 0;
    // The fault that applies to the command being answered.
    [[nodiscard]] Fault currentFault() const { return current_; }

  private:
    void send(std::string text, double now);
    Fault takeFault();

    struct Pending {
        double due;
        char c;
    };
    std::string name_;
    int baud_;
    double reaction_;
    std::string line_;
    std::deque<Pending> out_;
    Fault fault_ = Fault::None;
    int faultCount_ = 0;
    int faultSkip_ = 0;
    Fault current_ = Fault::None;
    double silentFrom_ = 0, silentUntil_ = 0;
    std::vector<std::string> commands_;
    size_t noiseBytes_ = 0;
    unsigned junk_ = 12345;
};

} // namespace dilato::sim
