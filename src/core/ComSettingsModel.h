#pragma once
// The COM configuration dialog `frmSystemCOMError` ("System COM Settings Error") as plain
// state and operations: two drop-down lists of the usable ports, a search for each
// instrument, demo mode, and OK, which accepts only two distinct ports. The window shows
// this state and forwards its buttons here.

#include "instrument/InstrumentLinks.h"

#include <functional>
#include <string>
#include <vector>

namespace dilato {

inline constexpr const char* kSystemComErrorCaption = "System COM Settings Error";
inline constexpr const char* kNoPortEntry = "--";

// A drop-down list: its entries and the selected one (-1: none, the text is then empty).
struct PortList {
    std::vector<std::string> items;
    int listIndex = -1;
    [[nodiscard]] std::string text() const;
};

class ComSettingsModel {
  public:
    ComSettingsModel(InstrumentLinks& links, const std::vector<int>& comPorts)
        : links_(links), comPorts_(comPorts) {}

    // On activation: "--" first (and selected) in the list of an instrument without a port,
    // then every usable port; an instrument's port that is in the list is selected.
    void Activate();
    // Tries the ports in order until the instrument answers and selects it; when none does,
    // tells the operator and ends the program.
    void FindDisplacementPort();
    void FindTempStagePort();
    // Takes the chosen ports; returns true (and saves the settings) only when both are set
    // and distinct, else tells the operator and stays open.
    bool AcceptPorts();
    // Demo mode, closing without saving.
    void ChooseDemoMode();
    void ShowHelp() {
        if (onHelp) onHelp();
    }

    PortList displacementPorts;
    PortList tempStagePorts;
    bool enabled = true; // false while a search runs
    bool closed = false;
    // Opens the help file at the dialog's topic (the window supplies it).
    std::function<void()> onHelp;

  private:
    // One of the two searches: each COM port in turn until the instrument answers on it.
    struct PortSearch {
        Link link;
        PortList& list;
        int skipPort; // 0: none
        std::function<void(int)> setPort;
        std::function<bool()> read;
        const char* notFoundText;
        const char* notFoundTitle;
        const char* place;
    };
    void Search(const PortSearch& search);
    void Fill(PortList& list, int port);
    // Selects the entry of ComPorts position `position` in `list`.
    static void Select(PortList& list, size_t position);

    InstrumentLinks& links_;
    const std::vector<int>& comPorts_;
};

} // namespace dilato
