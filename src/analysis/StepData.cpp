#include "analysis/StepData.h"

#include <algorithm>
#include <stdexcept>

namespace dilato {

namespace {

[[noreturn]] void OutOfRange() {
    throw std::out_of_range("Subscript out of range");
}

template <class R> auto& ColumnOf(R& r, ReadingColumn k) {
    switch (k) {
    case ReadingColumn::Elapsed:
        return r.elapsedMinutes;
    case ReadingColumn::Indicator:
        return r.indicator;
    case ReadingColumn::Temperature:
        return r.temperature;
    case ReadingColumn::LiveSlope:
        return r.liveSlope;
    case ReadingColumn::Projected:
        return r.projectedIndicator;
    default:
        OutOfRange();
    }
}

} // namespace

float Reading::column(ReadingColumn k) const {
    return ColumnOf(*this, k);
}
float& Reading::column(ReadingColumn k) {
    return ColumnOf(*this, k);
}

void StepData::reset(int steps, int slots) {
    if (steps < 0 || slots < 0) OutOfRange();
    steps_.assign(static_cast<size_t>(steps), {});
    slots_ = slots;
}

const std::vector<Reading>& StepData::Step(int step) const {
    if (step < 1 || step > stepCount()) OutOfRange();
    return steps_[static_cast<size_t>(step - 1)];
}

std::vector<Reading>& StepData::Step(int step) {
    if (step < 1 || step > stepCount()) OutOfRange();
    return steps_[static_cast<size_t>(step - 1)];
}

int StepData::readingCount(int step) const {
    return static_cast<int>(Step(step).size());
}

int StepData::append(int step, const Reading& reading) {
    auto& readings = Step(step);
    readings.push_back(reading);
    const int count = static_cast<int>(readings.size());
    slots_ = std::max(slots_, count);
    return count;
}

float StepData::value(int step, ReadingColumn column, int reading) const {
    const auto& readings = Step(step);
    if (!ReadingColumnAt(ColumnNumber(column)) || reading < 1 || reading > slots_) OutOfRange();
    if (static_cast<size_t>(reading) > readings.size()) return 0.0f;
    return readings[static_cast<size_t>(reading - 1)].column(column);
}

void StepData::set(int step, ReadingColumn column, int reading, float value) {
    auto& readings = Step(step);
    if (!ReadingColumnAt(ColumnNumber(column)) || reading < 1) OutOfRange();
    if (static_cast<size_t>(reading) > readings.size())
        readings.resize(static_cast<size_t>(reading));
    readings[static_cast<size_t>(reading - 1)].column(column) = value;
    slots_ = std::max(slots_, reading);
}

std::span<const Reading> StepData::readings(int step) const {
    return Step(step);
}

const Reading& StepData::reading(int step, int reading) const {
    const auto& readings = Step(step);
    if (reading < 1 || static_cast<size_t>(reading) > readings.size()) OutOfRange();
    return readings[static_cast<size_t>(reading - 1)];
}

Reading& StepData::reading(int step, int reading) {
    auto& readings = Step(step);
    if (reading < 1 || static_cast<size_t>(reading) > readings.size()) OutOfRange();
    return readings[static_cast<size_t>(reading - 1)];
}

std::vector<double> UnwrappedMinutes(std::span<const Reading> readings) {
    constexpr double kMinutesPerDay = 1440.0;
    std::vector<double> minutes(readings.size());
    double wraps = 0.0;
    for (size_t i = 0; i < readings.size(); ++i) {
        if (i > 0 && readings[i].elapsedMinutes + wraps < minutes[i - 1]) wraps += kMinutesPerDay;
        minutes[i] = readings[i].elapsedMinutes + wraps;
    }
    return minutes;
}

int EndOfStep(const StepData& data, int step) {
    const auto readings = data.readings(step);
    for (size_t r = readings.size(); r > 0; --r)
        if (readings[r - 1].elapsedMinutes > 0.5f) return static_cast<int>(r);
    OutOfRange();
}

} // namespace dilato
