#include "SimDevice.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

namespace dilato::sim {

namespace {

constexpr size_t kMaxLine = 256;

constexpr std::array<std::pair<Fault, const char*>, 8> kNames{{
    {Fault::None, "none"},
    {Fault::Silence, "silence"},
    {Fault::Short, "short"},
    {Fault::Long, "long"},
    {Fault::Garbled, "garbled"},
    {Fault::Delay, "delay"},
    {Fault::Negative, "negative"},
    {Fault::Over, "over"},
}};

} // namespace

const char* FaultName(Fault fault) {
    for (const auto& [f, n] : kNames)
        if (f == fault) return n;
    return "?";
}

std::optional<Fault> FaultFromName(std::string_view name) {
    for (const auto& [f, n] : kNames)
        if (name == n) return f;
    return std::nullopt;
}

SimDevice::SimDevice(std::string name, int baud, double reactionSeconds)
    : name_(std::move(name)), baud_(baud), reaction_(reactionSeconds) {}

void SimDevice::inject(Fault fault, int count, int skip) {
    fault_ = fault;
    faultCount_ = count;
    faultSkip_ = skip;
}

void SimDevice::clearFaults() {
    fault_ = Fault::None;
    faultCount_ = 0;
    faultSkip_ = 0;
}

Fault SimDevice::takeFault() {
    if (fault_ == Fault::None || faultCount_ == 0) return Fault::None;
    if (faultSkip_ > 0) {
        --faultSkip_;
        return Fault::None;
    }
    const Fault f = fault_;
    if (faultCount_ > 0 && --faultCount_ == 0) fault_ = Fault::None;
    return f;
}

void SimDevice::receive(std::string_view bytes, double now, int lineBaud) {
    if (lineBaud != baud_) {
        // A UART at another rate sees framing errors, not characters.
        noiseBytes_ += bytes.size();
        line_.clear();
        return;
    }
    for (const char c : bytes) {
        if (c == '\n' && line_.empty()) continue; // the LF of a CR LF ending
        if (c != '\r') {
            line_ += c;
            if (line_.size() > kMaxLine) line_.clear();
            continue;
        }
        const std::string command = std::exchange(line_, {});
        if (commands_.size() >= 2 * kCommandHistory)
            commands_.erase(commands_.begin(), commands_.end() - kCommandHistory);
        commands_.push_back(command);
        current_ = takeFault();
        if (now >= silentFrom_ && now < silentUntil_) current_ = Fault::Silence;
        std::optional<std::string> reply = answer(command, now);
        if (reply) send(std::move(*reply), now);
        current_ = Fault::None;
    }
}

void SimDevice::send(std::string text, double now) {
    double start = now + reaction_;
    switch (current_) {
    case Fault::Silence:
        return;
    case Fault::Short:
        text.resize(text.size() / 2);
        break;
    case Fault::Long:
        text.insert(text.size() > 0 ? text.size() - 1 : 0, 1, '0');
        break;
    case Fault::Garbled:
        for (char& c : text) {
            junk_ = junk_ * 1103515245u + 12345u;
            c = "#?!zq@%&kx"[(junk_ >> 16) % 10];
        }
        break;
    case Fault::Delay:
        start += delaySeconds;
        break;
    default:
        break;
    }
    const double charTime = 10.0 / baud_;
    if (!out_.empty()) start = std::max(start, out_.back().due);
    for (size_t i = 0; i < text.size(); ++i)
        out_.push_back({start + static_cast<double>(i + 1) * charTime, text[i]});
}

std::string SimDevice::takeDue(double now) {
    std::string got;
    while (!out_.empty() && out_.front().due <= now) {
        got += out_.front().c;
        out_.pop_front();
    }
    return got;
}

double SimDevice::nextDue() const {
    return out_.empty() ? std::numeric_limits<double>::infinity() : out_.front().due;
}

void SimDevice::dropLine() {
    out_.clear();
    line_.clear();
}

} // namespace dilato::sim
