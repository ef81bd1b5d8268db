#pragma once
// The update reminder, as plain state: its text, the "Remind me again" box that mirrors
// `UpdateReminder`, and whether "Yes" asked for the control panel.

namespace dilato {

namespace reminder {
inline constexpr const char* kCaption = "Check for Software Update";
inline constexpr const char* kText =
    "It has been more than 90 days since Dilato has been updated. Would you like to run "
    "LiveUpdate to check to see if a newer version of Dilato is available?";
inline constexpr const char* kRemindAgain = "Remind me again";
inline constexpr const char* kYes = "Yes";
inline constexpr const char* kClose = "Close";
} // namespace reminder

struct ReminderModel {
    bool UpdateReminder = false;
    bool openControlPanel = false; // "Yes" was pressed
    bool closed = false;

    [[nodiscard]] bool remindTicked() const { return UpdateReminder; }
    void clickRemindAgain() { UpdateReminder = !UpdateReminder; }
    void pressYes() {
        openControlPanel = true;
        closed = true;
    }
    void pressClose() { closed = true; }
};

} // namespace dilato
