#include "core/StartUpModels.h"

#include "core/SettingsFile.h"
#include "platform/Desktop.h"

#include <algorithm>

namespace dilato {

std::string PasswordModel::Edited(const std::string& text) {
    if (text.find(' ') == std::string::npos) return text;
    ShowMessage(op_, "No spaces allowed in Password", kProgramTitle, MessageIcon::Critical);
    return {};
}

bool PasswordModel::FullOperation(const std::string& text) {
    if (text == password_) return true;
    ShowMessage(op_, "Tester in Limited Operation Mode", "Incorrect Password",
                MessageIcon::Critical);
    return false;
}

bool WarningsModel::Continue(const std::array<bool, kWarningCount>& ticked, bool dontShowAgain) {
    if (std::all_of(ticked.begin(), ticked.end(), [](bool b) { return b; })) {
        if (dontShowAgain) {
            settings_.showSystemWarnings = false;
            settings_.SaveSettings();
        }
        return true;
    }
    PlayEventSound(op_, appFolder_, "Boing.wav");
    ShowMessage(op_, "You must acknowledge all warnings before continuing!",
                "Warning Acknowledgement Error");
    return false;
}

} // namespace dilato
