#include "ui/HelpTopics.h"

#include "ui/HelpViewer.h"

#include <algorithm>
#include <array>

namespace dilato::ui {

namespace {

constexpr std::array kTopics{
    HelpTopic{help::Main, "index.html", "contents"},
    HelpTopic{help::TestTab, "test-tab.html", "test-tab"},
    HelpTopic{help::CalibrationTab, "calibration.html", "calibration-tab"},
    HelpTopic{help::PlottingTab, "plotting.html", "plotting-tab"},
    HelpTopic{help::PlottingSetupTab, "plotting.html", "plotting-setup-tab"},
    HelpTopic{help::SetupOptionsTab, "setup-options.html", "setup-options-tab"},
    HelpTopic{help::Password, "getting-started.html", "password"},
    HelpTopic{help::Warnings, "getting-started.html", "warnings"},
    HelpTopic{help::PdfViewer, "getting-started.html", "pdf-viewer"},
    HelpTopic{help::RegionalSettings, "getting-started.html", "regional-settings"},
    HelpTopic{help::VideoMode, "getting-started.html", "video-mode"},
    HelpTopic{help::ComPorts, "instruments.html", "com-ports"},
    HelpTopic{help::DataStorageOptions, "setup-options.html", "data-store"},
    HelpTopic{help::CalibratorTest, "calibration.html", "tc-cal-test"},
    HelpTopic{help::ResultsTab, "results.html", "results-tab"},
};

} // namespace

std::span<const HelpTopic> HelpTopics() { return kTopics; }

const HelpTopic* FindHelpTopic(int contextNumber) {
    const auto it = std::find_if(kTopics.begin(), kTopics.end(), [&](const HelpTopic& t) {
        return t.contextNumber == contextNumber;
    });
    return it == kTopics.end() ? nullptr : &*it;
}

} // namespace dilato::ui
