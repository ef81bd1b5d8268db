#pragma once
// The update control panel, as plain state: the running and offered versions, the message,
// the mode button ("Check for Update!", "Download!", "OK"), "Cancel" and the two status
// panels. The dialog shows this state, forwards the buttons and runs the two one-second
// timers; transfers run through a Fetcher and report back through `changed`.

#include "update/Fetcher.h"
#include "update/ReleaseManifest.h"
#include "update/Signature.h"

#include <functional>
#include <optional>
#include <string>

namespace dilato {

namespace liveupdate {
inline constexpr const char* kCaption = "Norvane  Live Update";
inline constexpr const char* kHeading = "Live Update Control Panel";
inline constexpr const char* kCurrentLabel = "Current Dilato Version:";
inline constexpr const char* kUpdateLabel = "Update Dilato Version:";
inline constexpr const char* kCheck = "Check for Update!";
inline constexpr const char* kDownload = "Download!";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancel = "Cancel";
inline constexpr const char* kIdle = "Idle";
inline constexpr const char* kChecking = "Checking for updates...";
inline constexpr const char* kDownloading = "Downloading.....";
inline constexpr const char* kPressCheck =
    "Press the 'Check for Update!' button to check the Norvane Server for Dilato updates!";
inline constexpr const char* kInvalidFile =
    "Invalid update file received from the Norvane update server! Press 'OK' to continue "
    "running the current version.";
inline constexpr const char* kUnableToConnect =
    "Unable to connect to the Norvane update server. Press 'OK' to continue running the "
    "current version.";
inline constexpr const char* kMostRecent =
    "You have the most recent version of Dilato. No update is required at this time. Press "
    "'OK' to continue running the current version.";
inline constexpr const char* kNewerAvailable =
    "There is a newer Dilato version available. Press 'Download!' to get it, or 'Cancel' to "
    "quit.";
inline constexpr const char* kDownloadInProgress = "File Download in progress. Please wait!";
inline constexpr const char* kDownloadComplete =
    "Update File Download Complete! Press 'OK' to exit Dilato and continue the update process.";
inline constexpr const char* kContinueCurrent =
    " Press 'OK' to continue running the current version.";
// A build without the release key checks nothing and downloads nothing.
inline constexpr const char* kUpdatesDisabled =
    "This copy of Dilato was built without the Norvane release key: updates disabled in this "
    "build. Press 'OK' to continue running the current version.";
} // namespace liveupdate

// The message for update information past its expiry day ("no update information").
[[nodiscard]] std::string ExpiredMessage(const std::string& expires);

struct LiveUpdateSettings {
    std::string workFolder;     // ends with "/"
    std::string server;         // scheme and host, no trailing "/"
    std::string runningVersion; // "1.3.7"
    std::optional<PublicKey> releaseKey;
    std::string serverProblem;  // why no server may be asked (the administrator's settings)
    std::string today = TodayUtc(); // "YYYY-MM-DD", for the manifest's expiry
    std::int64_t maxVersionFileBytes = 64 * 1024; // larger answers are cut off early
};

// What the control panel shows.
struct LiveUpdateView {
    std::string currentVersion;
    std::string updateVersion;
    std::string message;
    std::string modeCaption;
    bool modeEnabled = true;
    bool cancelEnabled = true;
    std::string state;       // "Idle", "Checking for updates...", "Downloading....."
    std::string statusPanel; // panel 1: "Status: " + state, written by the status timer
    std::string timePanel;   // panel 2: "Download Time:" + seconds + " Secs"
    bool downloadTimerRunning = false;
    bool closed = false;
};

class LiveUpdateModel {
  public:
    LiveUpdateModel(LiveUpdateSettings settings, Fetcher& fetcher);
    LiveUpdateModel(const LiveUpdateModel&) = delete;
    LiveUpdateModel& operator=(const LiveUpdateModel&) = delete;

    // The panel as it opens.
    void load();
    // The two one-second timers.
    void statusTimerTick();
    void downloadTimerTick();
    // The buttons. Closing the window by other means counts as "Cancel"; it abandons a
    // transfer under way and leaves no partial file.
    void pressMode();
    void pressCancel();

    [[nodiscard]] const LiveUpdateView& view() const { return view_; }
    // Runs after a transfer changed the view (the buttons' own changes need no notice).
    std::function<void()> changed;

  private:
    void checkForUpdate();
    void versionFileArrived(const FetchResult& result);
    void manifestSignatureArrived(const FetchResult& result);
    void download();
    void archiveArrived(const FetchResult& result);
    void downloadFailed(const std::string& message);
    void settle(const std::string& message, bool cancelEnabled);
    void notify();

    LiveUpdateSettings settings_;
    Fetcher& fetcher_;
    LiveUpdateView view_;
    int downloadSeconds_ = 0;
    std::string archive_;       // work folder + archive name, while it is being fetched
    std::string manifestBytes_; // the version file as it arrived, until its signature is checked
    std::optional<ReleaseManifest> manifest_; // the verified manifest: what may be fetched
};

} // namespace dilato
