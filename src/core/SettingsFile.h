#pragma once
// The settings of this PC, as opposed to the instrument: SysFolder + "Dilato.ini", section
// "General". LoadSettings reads every key into memory, SaveSettings writes every key back
// in one atomic rewrite. The remote store folders are kept by Folders (RemoteStore) and only
// read and written here.

#include "platform/Clock.h"
#include "platform/Operator.h"
#include "storage/Folders.h"

#include <cstdint>
#include <string>

namespace dilato {

inline constexpr const char* kSettingsFile = "Dilato.ini";
inline constexpr const char* kSettingsSection = "General";

class SettingsFile {
  public:
    SettingsFile(Folders& folders, Clock& clock, Operator& op)
        : folders_(folders), clock_(clock), op_(op) {}

    // Reads the keys in order. A missing or empty key takes its default; a value that cannot
    // be converted (a Boolean "Yes") is reported with its key and keeps its earlier value;
    // the other keys are read all the same.
    void LoadSettings();
    // Writes every key; the file and the section are made when missing. A failure is
    // reported and leaves the previous file whole.
    void SaveSettings();

    [[nodiscard]] std::string FileName() const { return folders_.SysFolder + kSettingsFile; }

    // The values, as kept in memory; until the first read they are 0, False or empty.
    std::int16_t displacementComPort = 0; // COM port of the displacement sensor, 0 = not set
    std::int16_t tempStageComPort = 0;    // COM port of the Temp-Stage controller, 0 = not set
    bool showTips = false;
    std::int16_t lastTip = 0;
    bool backupReminderOn = false;
    std::string backupReminderDate;
    bool updateReminderOn = false;   // the update reminder is on
    std::string updateReminderDate;  // date of the last update reminder
    bool showSystemWarnings = false; // show the system warnings at start-up
    std::int16_t calibratorType = 0; // thermocouple calibrator type
    bool promptForPdfViewer = true;  // ask for a PDF viewer at start-up when none is found

  private:
    Folders& folders_;
    Clock& clock_;
    Operator& op_;
};

// The conversions of the settings file, for its tests.
namespace settings {
// The leading number of the text rounded to a whole number (halves to the even neighbour);
// empty text gives `fallback`. Beyond the 16-bit range: std::overflow_error("Overflow").
[[nodiscard]] std::int16_t ToInt16(const std::string& text, std::int16_t fallback);
// "True"/"False" in any letter case, or a number (0 is False); empty text gives `fallback`.
// Anything else: std::runtime_error("Type mismatch").
[[nodiscard]] bool ToBoolean(const std::string& text, bool fallback);
[[nodiscard]] inline const char* BooleanText(bool b) {
    return b ? "True" : "False";
}
} // namespace settings

} // namespace dilato
