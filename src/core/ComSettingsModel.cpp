#include "core/ComSettingsModel.h"

#include "platform/Desktop.h"
#include "platform/LeadingNumber.h"
#include "platform/ProgramEnd.h"

#include <cmath>

namespace dilato {

std::string PortList::text() const {
    if (listIndex < 0 || static_cast<size_t>(listIndex) >= items.size()) return {};
    return items[static_cast<size_t>(listIndex)];
}

void ComSettingsModel::Fill(PortList& list, int port) {
    list = PortList{};
    if (port == 0) {
        list.items.push_back(kNoPortEntry);
        list.listIndex = 0;
    }
    for (const int n : comPorts_) {
        list.items.push_back(std::to_string(n));
        if (n == port) list.listIndex = static_cast<int>(list.items.size()) - 1;
    }
}

void ComSettingsModel::Activate() {
    closed = false;
    enabled = true;
    Fill(displacementPorts, links_.services().ports.DisplacementComPort());
    Fill(tempStagePorts, links_.services().ports.TempStageComPort());
}

void ComSettingsModel::Select(PortList& list, size_t position) {
    const bool dashes = list.text() == kNoPortEntry;
    list.listIndex = static_cast<int>(position + (dashes ? 1 : 0));
}

void ComSettingsModel::Search(const PortSearch& search) {
    LinkServices& s = links_.services();
    try {
        enabled = false;
        SetBusyPointer(s.op, s.clock, false);
        bool found = false;
        for (size_t i = 0; i < comPorts_.size() && !found; ++i) {
            if (search.skipPort != 0 && comPorts_[i] == search.skipPort) continue;
            search.setPort(comPorts_[i]);
            // The read must go to the port being tried, not to one still open from before.
            links_.OpenCommPort(false, search.link);
            if (search.read()) {
                Select(search.list, i);
                found = true;
            } else {
                links_.OpenCommPort(false, search.link);
                search.setPort(0);
            }
        }
        if (!found) {
            ShowMessage(s.op, search.notFoundText, search.notFoundTitle, MessageIcon::Critical);
            EndProgram(1, search.notFoundText);
        }
        enabled = true;
        SetBusyPointer(s.op, s.clock, true);
    } catch (const std::exception& e) {
        ReportError(s.op, 0, search.place, e.what());
        EndProgram(1, e.what());
    }
}

void ComSettingsModel::FindDisplacementPort() {
    ComPortSettings& ports = links_.services().ports;
    Search(PortSearch{Link::Displacement, displacementPorts, 0,
                      [&ports](int port) { ports.setDisplacementComPort(port); },
                      [this] { return links_.ReadDisplacement(); },
                      "No Displacement Sensor COM link found.  Check cable connection",
                      "No Displacement Sensor COM-Link",
                      "frmSystemCOMError.SonicClickFindKeyence"});
}

void ComSettingsModel::FindTempStagePort() {
    ComPortSettings& ports = links_.services().ports;
    // The controller is not looked for on the displacement sensor's port.
    Search(PortSearch{Link::TempStage, tempStagePorts, ports.DisplacementComPort(),
                      [&ports](int port) { ports.setTempStageComPort(port); },
                      [this] { return links_.ReadStageTemperature(0, true, true); },
                      "No Temp-Stage COM link found.  Check cable connection",
                      "No Temp-Stage COM-Link", "frmSystemCOMError.SonicClickFindTE"});
}

bool ComSettingsModel::AcceptPorts() {
    ComPortSettings& ports = links_.services().ports;
    Operator& op = links_.services().op;
    // Decide on the chosen values first: a refused choice leaves the ports as they were, so
    // that a later save cannot store it.
    const auto chosen = [](const PortList& list, int current) {
        const std::string t = list.text();
        if (t.empty()) return current;
        if (t == kNoPortEntry) return 0;
        return static_cast<int>(std::lround(LeadingNumber(t)));
    };
    const int keyence = chosen(displacementPorts, ports.DisplacementComPort());
    const int te = chosen(tempStagePorts, ports.TempStageComPort());
    if (keyence == 0 || te == 0) {
        ShowMessage(op,
                    "You must specify a COM port for both the Displacement Sensor and "
                    "Temp-Stage!",
                    kSystemComErrorCaption, MessageIcon::Critical);
        return false;
    }
    if (keyence == te) {
        ShowMessage(op,
                    "You must specify a unique COM port for the Displacement Sensor and the "
                    "Temp-Stage!",
                    kSystemComErrorCaption, MessageIcon::Critical);
        return false;
    }
    ports.setDisplacementComPort(keyence);
    ports.setTempStageComPort(te);
    ports.SaveSettings();
    closed = true;
    return true;
}

void ComSettingsModel::ChooseDemoMode() {
    links_.setDemoMode();
    closed = true;
}

} // namespace dilato
