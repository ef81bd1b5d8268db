#pragma once
// What the instrument links need from the rest of the program, as small interfaces that the
// application core implements: the tick timer's controls, the instrument abort, the main
// window's "initialising" display, and the two COM port numbers kept in the settings file.

#include "platform/Clock.h"
#include "platform/Operator.h"
#include "storage/LogSink.h"
#include "storage/SystemParameters.h"

#include <functional>

namespace dilato {

// The main window's tick timer and the parts of the program around the links.
class LinkHost {
  public:
    virtual ~LinkHost() = default;
    virtual void SuspendTicks() = 0;
    virtual void EnableTicks() = 0;
    [[nodiscard]] virtual bool TicksActive() const = 0;
    // Stops a running test and tells the operator (kind 4: no answer to a controller write).
    virtual void AbortErrors(int failureKind) = 0;
    // Disables the main window and shows "Initializing Temp. Stage... Please wait!"; the next
    // pass of the read cycle hides it again.
    virtual void ShowStageInitializing() = 0;
};

// The instruments' COM ports, owned by the settings file of this PC.
class ComPortSettings {
  public:
    virtual ~ComPortSettings() = default;
    [[nodiscard]] virtual int DisplacementComPort() const = 0; // displacement sensor, 0 = not set
    [[nodiscard]] virtual int TempStageComPort() const = 0;    // Temp-Stage controller, 0 = not set
    virtual void setDisplacementComPort(int port) = 0;
    virtual void setTempStageComPort(int port) = 0;
    // Saves the settings file.
    virtual void SaveSettings() = 0;
};

// Everything a link routine reaches outside itself.
struct LinkServices {
    Clock& clock;
    Operator& op;
    LogSink& log;
    SystemParameters& params; // `Scale` 1 to 4
    ComPortSettings& ports;
    LinkHost& host;
    // A pause that does not let the program do anything else meanwhile (the link-free wait
    // polls without yielding). Empty: sleep on the wall clock, scaled by the clock's time
    // factor; a clock that does not follow the wall (the virtual clock) is then not paused.
    std::function<void(double seconds)> blockingPause;
};

} // namespace dilato
