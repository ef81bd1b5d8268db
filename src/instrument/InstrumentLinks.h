#pragma once
// The three serial links and what travels over them: link 1 the displacement sensor, link 2
// the Temp-Stage controller, link 3 the thermocouple calibrator. This class owns the ports,
// the link-busy flag, demo mode, and the shared readings (`IndicatorReading`, `SampleTemp`,
// `CommandedTemp`) that only the links write.
//
// Links open lazily on the first exchange and stay open; a failed exchange closes and reopens
// its link; the instrument link check (ComDiscovery) takes over when a reading fails.
// Everything runs on the program's one thread. An exchange's waits are pauses (Clock::pause):
// the thread sleeps until the port has data or the deadline comes, and no tick or button runs
// inside. A routine still finds the link busy when it is called from a box shown in the middle
// of another (the box runs the event loop); it then waits out `LinkBusy`'s bound.

#include "instrument/InstrumentModels.h"
#include "instrument/LinkServices.h"
#include "instrument/SerialPort.h"

#include <array>
#include <string>

namespace dilato {

inline constexpr double kLinkFreeWaitSeconds = 3.0;

class InstrumentLinks {
  public:
    // The ports of links 1, 2 and 3; they live as long as this object.
    InstrumentLinks(LinkServices services, SerialPort& displacement, SerialPort& tempStage,
                    SerialPort& calibrator);

    // --- links shared by every instrument ---
    // Opens (open = true) or closes a link; see the .cpp for the rules.
    bool OpenCommPort(bool open, Link link);
    // Returns when `LinkBusy` is clear or 3 s after the call; does not yield meanwhile.
    void WaitLinkFree();
    [[nodiscard]] SerialPort& port(Link link);
    [[nodiscard]] bool LinkBusy() const { return linkBusy_; }

    // --- Temp-Stage controller (link 2) ---
    // One stage temperature into `SampleTemp` (sensor 0 or 1; others read 0). `raw` skips
    // `Scale` 3 and 4; `quiet` shows no error box.
    bool ReadStageTemperature(int sensor, bool raw, bool quiet);
    // Writes one controller parameter and checks it by read-back.
    void WriteStageParameter(float value, int index);
    // Commands a stage set point in °C; `raw` skips `Scale` 1 and 2. The first call of a run
    // sends the initial parameter set first.
    void SetStageTemp(float temp, bool raw);
    void InitTempController();
    // Writes the test mode (parameter 7: 25 on, 75 off) when it changes.
    void SetStageTestMode(bool on, bool withoutWaiting);

    // --- displacement sensor (link 1) ---
    // One reading into `IndicatorReading`.
    bool ReadDisplacement();

    // --- state ---
    [[nodiscard]] float IndicatorReading() const { return indicatorReading_; } // inches
    [[nodiscard]] float SampleTemp() const { return sampleTemp_; }             // °C
    [[nodiscard]] int CommandedTemp() const { return commandedTemp_; }         // whole °C
    [[nodiscard]] bool ControllerReady() const { return controllerReady_; }
    [[nodiscard]] bool TestModeOn() const { return testModeOn_; }
    [[nodiscard]] bool DemoMode() const { return demoMode_; }
    // Once on, demo mode lasts until the program ends.
    void setDemoMode() { demoMode_ = true; }
    // The calibrator's port, found by its search and kept for the run (0 = none).
    int calibratorComPort = 0;

    [[nodiscard]] LinkServices& services() { return s_; }

  private:
    struct Exchange {
        bool ok = false;
        std::string reply;
    };
    // One framed exchange with the controller (up to six tries for an 8-character answer).
    Exchange ExchangeStageFrame(const std::string& payload);
    // Appends input of `port` to `into` until `want` characters are held, the deadline
    // (whole seconds since midnight) is reached, or, with `whileOpen`, the port closes.
    void Collect(SerialPort& port, std::string& into, size_t want, long deadline, bool whileOpen);
    [[nodiscard]] int configuredPort(Link link) const;
    void openConfigured(SerialPort& port, int comPort, std::string_view settings);

    LinkServices s_;
    std::array<SerialPort*, 3> ports_;
    bool linkBusy_ = false;
    bool demoMode_ = false;
    bool controllerReady_ = false;
    bool testModeOn_ = false;
    float indicatorReading_ = 0.0f;
    float sampleTemp_ = 0.0f;
    int commandedTemp_ = 0;
};

} // namespace dilato
