#include "core/ReadingWatch.h"

namespace dilato {

namespace {

void Track(bool measured, std::optional<double>& failingSince, double now) {
    if (measured)
        failingSince.reset();
    else if (!failingSince)
        failingSince = now;
}

} // namespace

double ReadingWatch::now() const {
    // Seconds on a time line without midnight wraps or daylight-saving jumps.
    return static_cast<double>(clock_.now().toMSecsSinceEpoch()) / 1000.0;
}

void ReadingWatch::record(bool indicatorMeasured, bool tempMeasured) {
    indicatorFresh_ = indicatorMeasured;
    tempFresh_ = tempMeasured;
    const double t = now();
    Track(indicatorMeasured, sensorFailingSince_, t);
    Track(tempMeasured, stageFailingSince_, t);
}

void ReadingWatch::restart() {
    sensorFailingSince_.reset();
    stageFailingSince_.reset();
}

bool ReadingWatch::lost(const std::optional<double>& failingSince) const {
    return failingSince && now() - *failingSince >= kLostInstrumentSeconds;
}

std::optional<int> ReadingWatch::lostInstrument() const {
    if (lost(sensorFailingSince_)) return kSensorLost;
    if (lost(stageFailingSince_)) return kStageLost;
    return std::nullopt;
}

} // namespace dilato
