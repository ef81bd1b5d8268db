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
    // The calibration needs no displacement, but it judges the stage by these readings.
    if (!run_.CalibrationMode && !instruments_.ReadDisplacement())
        instruments_.CheckInstrumentLinks();
    if (!instruments_.ReadStageTemp()) instruments_.CheckInstrumentLinks();
    EnableTicks();
}

void TickControl::Tick() {
    ++ticks_;
    SuspendTicks();
    if (pass_) pass_();
    ResumeTicks();
}

} // namespace dilato
