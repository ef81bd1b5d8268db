#pragma once
// The two start-up windows that decide something, as plain state: the operation-mode
// (password) window and the operational-warnings window. The Qt windows show them and
// forward the operator's typing and buttons here.

#include "platform/Operator.h"

#include <array>
#include <string>

namespace dilato {

class SettingsFile;

class PasswordModel {
  public:
    PasswordModel(std::string password, Operator& op) : password_(std::move(password)), op_(op) {}

    // Every change of the password box: a blank anywhere tells the operator and empties the
    // box. Returns what the box holds afterwards.
    std::string Edited(const std::string& text);
    // "Full Operation": true (full operation) when the text is the password; otherwise the
    // operator is told the tester runs in limited operation.
    bool FullOperation(const std::string& text);
    // "Limited Operation".
    static bool LimitedOperation() { return false; }

  private:
    std::string password_;
    Operator& op_;
};

inline constexpr int kWarningCount = 6;

// The statements beside the six tick boxes.
inline constexpr std::array<const char*, kWarningCount> kOperationalWarnings{
    "The sample must not be tested near its melting or softening point: it deforms, sticks to "
    "the vial and spoils the sensor's reading.",
    "The temperature stage can be hot or cold enough to hurt: do not touch it or the vial "
    "while a test runs or right after one.",
    "Seat the vial fully in the stage before starting, so that the sample follows the stage "
    "temperature.",
    "Keep the displacement sensor's tip clean and clear of the sample holder when loading a "
    "sample; a knock changes its zero.",
    "After switching the tester on, let it warm up for 15 minutes before the first test.",
    "Do not move, knock or lean on the tester during a test: any jolt shows as a length change.",
};

class WarningsModel {
  public:
    WarningsModel(SettingsFile& settings, Operator& op, std::string appFolder)
        : settings_(settings), op_(op), appFolder_(std::move(appFolder)) {}

    // "Continue": true when the window may close (all six acknowledged; with "Don't show
    // this warning again!" ticked the warnings are switched off in the settings file).
    // Otherwise the operator hears the sound, is told and the window stays.
    bool Continue(const std::array<bool, kWarningCount>& ticked, bool dontShowAgain);

  private:
    SettingsFile& settings_;
    Operator& op_;
    std::string appFolder_;
};

} // namespace dilato
