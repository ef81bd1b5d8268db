#pragma once
// Finding the instruments' COM ports: the list of usable ports built at start-up, and the
// instrument link check that runs at start-up and after a failed reading, which offers the
// COM configuration dialog or demo mode.

#include "instrument/InstrumentLinks.h"

#include <vector>

namespace dilato {

// Shows the COM configuration dialog (`frmSystemCOMError`) modally and returns when it
// closes. The GUI shows the real window over a ComSettingsModel; tests script one.
class ComDialog {
  public:
    virtual ~ComDialog() = default;
    virtual void ShowSystemComError() = 0;
};

class ComDiscovery {
  public:
    // The enumeration opens each COM number on link 1's port.
    ComDiscovery(InstrumentLinks& links, ComDialog& dialog) : links_(links), dialog_(dialog) {}

    // Fills `ComPorts` with the numbers 1 to 16 that open; true when any did.
    bool EnumComPorts();
    // Reads both instruments once and asks the operator about each that did not answer.
    // `atStartUp`: the program is starting (a "No" starts it in demo mode); otherwise it is
    // running and a "No" switches it to demo mode.
    void CheckInstrumentLinks(bool atStartUp = true);

    [[nodiscard]] const std::vector<int>& ComPorts() const { return comPorts_; }

  private:
    InstrumentLinks& links_;
    ComDialog& dialog_;
    std::vector<int> comPorts_;
};

inline constexpr const char* kDemoModeNote = "A 'No' will start the software in Demo mode....";
inline constexpr const char* kDemoModeSwitchNote =
    "A 'No' will switch the software to Demo mode: the instruments are no longer read....";

} // namespace dilato
