#pragma once
// Stand-ins for the world around the test run: instruments whose stage follows its set point
// with a first-order lag and whose sample expands linearly, a termination dialog that records
// what it was asked, and logs kept in memory.

#include "core/TerminationDialog.h"
#include "core/TestInstruments.h"
#include "platform/Clock.h"
#include "support/MemoryLog.h"

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace dilato::test {

class FakeInstruments : public TestInstruments {
  public:
    explicit FakeInstruments(Clock& clock) : clock_(clock) { last_ = start_ = clock.now(); }

    void SetStageTemp(float temp, bool raw) override {
        if (ControllerSilent()) return;
        Follow();
        setPoints.push_back(temp);
        target_ = temp;
        commanded_ = static_cast<int>(std::lround(temp));
        (void)raw;
    }
    void SetStageTestMode(bool on, bool) override {
        // Switching off after an abort finds the controller's link closed: nothing is sent.
        if (silentController && !on && abortedOnce_) return;
        if (ControllerSilent()) return;
        testModes.push_back(on);
    }
    bool ReadDisplacement() override {
        Follow();
        ++displacementReads;
        return !silentSensor;
    }
    bool ReadStageTemp() override {
        Follow();
        return true;
    }
    void CheckInstrumentLinks() override { ++linkChecks; }
    float IndicatorReading() const override {
        const double minutes = start_.msecsTo(clock_.now()) / 60000.0;
        return static_cast<float>(baseIndicator + driftPerMinute * minutes +
                                  lengthInches * (cte - fixture) * 1e-6 * (temp_ - 20.0));
    }
    float SampleTemp() const override { return static_cast<float>(temp_ + tempOffset); }
    int CommandedTemp() const override { return commanded_; }

    // The sample's truth and the fixture's apparent expansion per °C (both 10^-6 per °C).
    double cte = 16.0, fixture = 2.6, lengthInches = 2.0, baseIndicator = 0.1;
    double tau = 60.0;           // stage time constant, s
    double driftPerMinute = 0.0; // inches per minute, whatever the temperature
    double tempOffset = 0.0;     // a stage that holds the sample away from its set point
    bool silentSensor = false;
    // A controller that has stopped answering: a write to it ends, as on the real link after
    // its retries, in the instrument abort `abort` (failure kind 4) and reaches nothing.
    bool silentController = false;
    std::function<void(int failureKind)> abort;
    std::vector<float> setPoints;
    std::vector<bool> testModes;
    int linkChecks = 0, displacementReads = 0;

  private:
    bool ControllerSilent() {
        if (!silentController) return false;
        abortedOnce_ = true;
        if (abort) abort(4);
        return true;
    }
    void Follow() {
        const QDateTime now = clock_.now();
        const double dt = last_.msecsTo(now) / 1000.0;
        last_ = now;
        if (dt > 0) temp_ = target_ + (temp_ - target_) * std::exp(-dt / tau);
    }
    Clock& clock_;
    QDateTime last_, start_;
    double temp_ = 20.0, target_ = 20.0;
    int commanded_ = 20;
    bool abortedOnce_ = false;
};

class RecordingTermination final : public TerminationDialog {
  public:
    void open(const TerminationQuestion& q) override {
        asked.push_back(q);
        visible_ = true;
    }
    void close() override { visible_ = false; }
    bool isVisible() const override { return visible_; }
    std::vector<TerminationQuestion> asked;

  private:
    bool visible_ = false;
};

} // namespace dilato::test
