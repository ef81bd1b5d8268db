#pragma once
// What the Instr. Calibration tab shows, as plain state: the calibration writes its messages,
// readings and button looks here; the Qt tab maps them onto its widgets.

#include <array>
#include <string>

namespace dilato {

// The CAL button's look: caption, enabled state, tint (20 done, 50 ready or running) and
// whether its caption is white (done) or grey.
struct CalButtonLook {
    std::string caption = "CAL";
    bool enabled = true;
    int tint = 50;
    bool whiteCaption = false;
};

struct CalibrationView {
    std::string messageText; // the message area, `txtMsg`
    std::array<std::string, 2>
        readingTexts; // thermistor and thermocouple readings, `txtBoxCalData`
    bool calibMessVisible = false;            // "Calibration in Progress", blinking
    CalButtonLook cal;                        // `SonicClickCalBtn`
    bool howToEnabled = true;                 // `SonicClickHowToBtn`
    bool stopEnabled = true;                  // `SonicClickStopCalibBtn`
    bool tcTestEnabled = true;                // `SonicClickTCCalTestBtn`
    bool browseEnabled = true;                // `SonicClickBrowseBtn`
    bool helpEnabled = false;                 // `SonicClickCalibTabHelpBtn`
    bool howToShown = false;
    std::string hobbsMeter; // `HobbsMeter`: the instrument's hours

    // Replaces the message, or appends it on a new line.
    void WriteMessage(const std::string& message, bool append = false) {
        messageText = append ? messageText + "\r\n" + message : message;
    }
};

} // namespace dilato
