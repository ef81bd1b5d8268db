#pragma once
// What the test run asks of the instrument links: the stage's set point and test mode, the two
// readings taken at the end of every tick, and the link check that follows a failed read.
// The links own the shared readings; the run reads them here.

namespace dilato {

class TestInstruments {
  public:
    virtual ~TestInstruments() = default;

    // Sends a set point in °C; `raw` skips the calibration constants.
    virtual void SetStageTemp(float temp, bool raw) = 0;
    // Switches the stage's test mode; `waitForLink` waits for a running exchange to end.
    virtual void SetStageTestMode(bool on, bool waitForLink) = 0;
    // One displacement reading into IndicatorReading; false when the sensor did not answer.
    virtual bool ReadDisplacement() = 0;
    // One stage temperature reading into SampleTemp; false when the controller did not answer.
    virtual bool ReadStageTemp() = 0;
    // The link check after a failed read: reopen, search, or demo mode, with the operator.
    virtual void CheckInstrumentLinks() = 0;

    // False in demo mode, where both reads succeed without measuring anything.
    [[nodiscard]] virtual bool Measuring() const { return true; }

    [[nodiscard]] virtual float IndicatorReading() const = 0; // inches
    [[nodiscard]] virtual float SampleTemp() const = 0;       // °C, calibrated
    [[nodiscard]] virtual int CommandedTemp() const = 0;      // last set point sent, whole °C
};

} // namespace dilato
