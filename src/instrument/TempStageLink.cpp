// The Temp-Stage controller on link 2: temperature reads, parameter writes with read-back,
// the set point with its calibration, the initial parameter set and the test mode.

#include "instrument/InstrumentLinks.h"
#include "instrument/InstrumentModels.h"
#include "instrument/TeProtocol.h"

#include "platform/Desktop.h"
#include "platform/ProgramEnd.h"
#include "platform/Wait.h"

namespace dilato {

namespace {

constexpr int kExchangeTries = 6;
constexpr int kSendFailures = 6;
constexpr int kReadTries = 4;
constexpr int kAbortNoAnswerOnSend = 4;

// Suspends the ticks for the length of a routine when they were running at its start.
class TicksPaused {
  public:
    explicit TicksPaused(LinkHost& host) : host_(host), wasActive_(host.TicksActive()) {
        if (wasActive_) host_.SuspendTicks();
    }
    ~TicksPaused() {
        if (wasActive_) host_.EnableTicks();
    }
    TicksPaused(const TicksPaused&) = delete;
    TicksPaused& operator=(const TicksPaused&) = delete;

  private:
    LinkHost& host_;
    bool wasActive_;
};

} // namespace

InstrumentLinks::Exchange InstrumentLinks::ExchangeStageFrame(const std::string& payload) {
    const std::string frame = BuildTeFrame(payload);
    if (frame.size() != kTeFrameLength) return {};
    SerialPort& p = port(Link::TempStage);
    std::string reply;
    try {
        for (int attempt = 1; attempt <= kExchangeTries; ++attempt) {
            reply.clear();
            if (p.portOpen()) p.output(frame);
            PauseSeconds(s_.clock, 0.1);
            const long deadline = WaitDeadline(s_.clock.secondsSinceMidnight(), 1.0);
            Collect(p, reply, kTeReplyLength, deadline, false);
            if (reply.size() == kTeReplyLength) return {true, reply};
        }
        // Close first: the abort stops the test, which switches the test mode off through
        // this same link; on an open link that write would wait out its own six tries and
        // abort again, without end.
        OpenCommPort(false, Link::TempStage);
        s_.host.AbortErrors(kAbortNoAnswerOnSend);
        return {true, reply}; // the caller takes what came as the answer
    } catch (const SerialError&) {
        return {false, reply};
    }
}

bool InstrumentLinks::ReadStageTemperature(int sensor, bool raw, bool quiet) {
    TicksPaused paused(s_.host);
    bool result = false;
    if (demoMode_) {
        linkBusy_ = false;
        return true;
    }
    try {
        WaitLinkFree();
        linkBusy_ = true;
        if (OpenCommPort(true, Link::TempStage)) {
            SerialPort& p = port(Link::TempStage);
            const ReadingModel& model = sensor == 1 ? kTempStageSensor1 : kTempStageSensor0;
            for (int attempt = 1; attempt <= kReadTries; ++attempt) {
                std::string reply;
                // A link that did not reopen (its device has gone) is a failed attempt too.
                if (p.portOpen()) {
                    p.setInBufferCount(0);
                    p.output(model.command);
                    const long deadline = WaitDeadline(s_.clock.secondsSinceMidnight(), 2.0);
                    Collect(p, reply, model.replyLength, deadline, true);
                }
                // An answer that is no reading is a failed attempt like silence: retried.
                if (const std::optional<double> reading = model.parse(reply)) {
                    const auto t = static_cast<float>(*reading);
                    sampleTemp_ = raw ? t : t * s_.params.Scale(3) + s_.params.Scale(4);
                    result = true;
                    break;
                }
                OpenCommPort(false, Link::TempStage);
                OpenCommPort(true, Link::TempStage);
            }
        }
    } catch (const ConversionError&) {
        result = false;
    } catch (const std::exception& e) {
        if (!quiet) ShowMessage(s_.op, std::string("Error in oKReadTeTcTemp: ") + e.what());
        result = false;
    }
    linkBusy_ = false;
    return result;
}

void InstrumentLinks::WriteStageParameter(float value, int index) {
    TicksPaused paused(s_.host);
    if (demoMode_) return;
    try {
        const auto parameter = FindTeParameter(index);
        if (!parameter) throw std::out_of_range("Subscript out of range");
        const float wire = index == 0 ? value * 100.0f : value;
        const std::string write = std::string(parameter->writeCode) + EncodeTeValue(wire);
        const std::string readBack =
            parameter->readCode.empty() ? std::string() : std::string(parameter->readCode) + "0000";
        Exchange written, readAgain;
        int failures = 0;
        for (;;) {
            written = ExchangeStageFrame(write);
            if (written.ok && !readBack.empty()) readAgain = ExchangeStageFrame(readBack);
            if (written.ok && (readBack.empty() || readAgain.ok)) break;
            if (++failures >= kSendFailures) return; // given up without a word
        }
        if (!readBack.empty() && readAgain.reply != written.reply)
            ShowMessage(s_.op, "Error in Temp-controller: response to set-command and read-back "
                               "are not identical.");
    } catch (const std::exception& e) {
        ShowMessage(s_.op, std::string("Error in oKSendTeTcTemp: ") + e.what());
    }
}

void InstrumentLinks::SetStageTemp(float temp, bool raw) {
    const bool wasActive = s_.host.TicksActive();
    WaitLinkFree();
    s_.host.SuspendTicks();
    linkBusy_ = true;
    struct Restore {
        InstrumentLinks& links;
        bool wasActive;
        ~Restore() {
            if (wasActive) links.s_.host.EnableTicks();
            links.linkBusy_ = false;
        }
    } restore{*this, wasActive};

    bool compare = true;
    if (!controllerReady_) {
        InitTempController();
        controllerReady_ = true;
        compare = false;
    }
    if (compare && static_cast<float>(commandedTemp_) == temp) return;
    const float commanded = raw ? temp : temp * s_.params.Scale(1) + s_.params.Scale(2);
    const double whole = RoundHalfEven(temp);
    if (!(whole >= -32768.0 && whole <= 32767.0)) throw std::overflow_error("Overflow");
    WriteStageParameter(commanded, 0);
    commandedTemp_ = static_cast<int>(whole); // the wanted, uncalibrated temperature
    WriteStageParameter(static_cast<float>(kTeAfterSetPointValue), kTeAfterSetPointParameter);
}

void InstrumentLinks::InitTempController() {
    if (s_.host.TicksActive()) {
        ShowMessage(s_.op, "Error: cannot InitTempController with ADreads ON");
        EndProgram(1, "InitTempController called with the ticks running");
    }
    s_.host.ShowStageInitializing();
    SetBusyPointer(s_.op, s_.clock, false);
    for (const TeSetting& setting : kTeInitialSettings)
        WriteStageParameter(static_cast<float>(setting.value), setting.index);
}

void InstrumentLinks::SetStageTestMode(bool on, bool withoutWaiting) {
    if (on == testModeOn_) return;
    if (!withoutWaiting) WaitLinkFree();
    WriteStageParameter(static_cast<float>(on ? kTeTestModeOn : kTeTestModeOff),
                        kTeTestModeParameter);
    testModeOn_ = on;
}

} // namespace dilato
