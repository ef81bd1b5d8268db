#include "core/TickControl.h"

namespace dilato {

void TickControl::EnableTicks() {
    if (timer_ || held_) return;
    timer_ = clock_.startTimer(1.0, [this] { Tick(); });
}

void TickControl::SuspendTicks() {
    if (!timer_) return;
    clock_.stopTimer(*timer_);
    timer_.reset();
}

void TickControl::HoldTicks() {
    SuspendTicks();
    held_ = true;
}

void TickControl::ResumeTicks() {
    if (held_) return;
    SuspendTicks();
    // The calibration needs no displacement, but it judges the stage by these readings. A
    // read that failed leaves the old value; so does every read in demo mode. The link check
    // may read again, but only the two reads of the cycle itself count: the check reads the
    // stage uncalibrated.
    bool indicator = false;
    if (!run_.CalibrationMode) {
        indicator = instruments_.ReadDisplacement();
        if (!indicator) instruments_.CheckInstrumentLinks();
    }
    const bool temp = instruments_.ReadStageTemp();
    if (!temp) instruments_.CheckInstrumentLinks();
    const bool measuring = instruments_.Measuring();
    watch_.record(indicator && measuring, temp && measuring);
    EnableTicks();
}

void TickControl::Tick() {
    ++ticks_;
    SuspendTicks();
    if (pass_) pass_();
    ResumeTicks();
}

} // namespace dilato
