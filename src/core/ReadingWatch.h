#pragma once
// Whether the latest read cycle measured both readings, and how long each instrument has gone
// without giving one. A reading is a measurement or nothing: the test stores a reading only
// when both instruments answered in the read cycle it comes from (the value a failed read
// leaves behind is an old one), and a test whose sensor or stage gives no reading for
// kLostInstrumentSeconds ends through the instrument abort instead of running on old values.

#include "platform/Clock.h"

#include <optional>

namespace dilato {

// How long an instrument may go without a reading during a test. A read cycle with a silent
// instrument takes up to about half a minute (four attempts of up to 2.5 s, the link check's
// second read, the stage's own four attempts), so this leaves room for several cycles and
// for the operator's answer to the link check; it stays below the 5 minutes that the
// temperature wait and the drift values span, so a gap can never pass for a steady sample.
inline constexpr double kLostInstrumentSeconds = 180.0;

// `AbortErrors` types of an instrument that gives no reading.
inline constexpr int kSensorLost = 1;
inline constexpr int kSensorNegative = 2;
inline constexpr int kStageLost = 3;

class ReadingWatch {
  public:
    explicit ReadingWatch(const Clock& clock) : clock_(clock) {}

    // The outcome of one read cycle: which readings were measured in it.
    void record(bool indicatorMeasured, bool tempMeasured);
    // Forgets the failures so far (a test starts: its bound counts from its own reads).
    void restart();

    [[nodiscard]] bool indicatorFresh() const { return indicatorFresh_; }
    [[nodiscard]] bool tempFresh() const { return tempFresh_; }
    // Both readings of the latest read cycle are measurements: they may be stored.
    [[nodiscard]] bool fresh() const { return indicatorFresh_ && tempFresh_; }
    // The abort type of an instrument that has given no reading for the whole bound (the
    // sensor first when both are silent); nullopt while both are within it.
    [[nodiscard]] std::optional<int> lostInstrument() const;

  private:
    [[nodiscard]] double now() const;
    [[nodiscard]] bool lost(const std::optional<double>& failingSince) const;

    const Clock& clock_;
    bool indicatorFresh_ = false;
    bool tempFresh_ = false;
    // When the instrument's current run of failed read cycles began (no reading since).
    std::optional<double> sensorFailingSince_, stageFailingSince_;
};

} // namespace dilato
