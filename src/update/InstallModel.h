#pragma once
// The installation confirmation, as plain state. "Yes" reads the signed manifest and the
// archive it names once, verifies them and unpacks the archive from those same bytes to check
// every file in it (nothing is written: the administrator's helper unpacks the package for
// itself), and after a pause that lets the operator read the banner reports `Updating`. An
// update that fails a step is deleted and reported, and nothing of it runs. "Close" discards
// the downloads.

#include "platform/Operator.h"
#include "update/SafeExtract.h"
#include "update/ReleaseManifest.h"
#include "update/Signature.h"
#include "update/VersionText.h"

#include <optional>
#include <string>
#include <vector>

namespace dilato {

namespace install {
inline constexpr const char* kCaption = "Software Update Confirmation";
inline constexpr const char* kText =
    "A new Dilato version is ready for installation. If you would like to install it now, "
    "press 'Yes'. Otherwise press 'Close' to delete the new version and continue running the "
    "current version.";
inline constexpr const char* kBanner =
    "Dilato will now close, and the Installer for the new version will be launched!"
    " Please wait for the Installer to launch....!";
inline constexpr const char* kYes = "Yes";
inline constexpr const char* kClose = "Close";
inline constexpr const char* kFailureTitle = "Software Update";
// The pause between a successful unpacking and the hand-over.
inline constexpr int kHandOverDelayMs = 5000;
} // namespace install

class InstallModel {
  public:
    // runningVersion: the update must be newer; today: "YYYY-MM-DD" for the expiry.
    InstallModel(std::string workFolder, std::optional<PublicKey> releaseKey, Operator& op,
                 std::string runningVersion = RunningVersionText(), std::string today = TodayUtc(),
                 ExtractLimits limits = {});

    // "Yes", first half: the banner shows and both buttons go grey, so the dialog can paint
    // that before the work starts.
    void pressYes();
    // "Yes", second half: check and unpack. True when the hand-over may follow (after
    // kHandOverDelayMs, finishHandOver); false when it failed (reported, dialog closed).
    bool install();
    // The end of the pause: the dialog hides and `Updating` is true.
    void finishHandOver();
    void pressClose();

    bool Updating = false;
    std::string banner;
    bool yesEnabled = true;
    bool closeEnabled = true;
    bool closed = false;
    // After a successful install(): the files the verified archive holds, as checked.
    std::vector<std::string> checkedFiles;

  private:
    void fail(const std::string& message);

    std::string workFolder_;
    std::optional<PublicKey> releaseKey_;
    std::string runningVersion_;
    std::string today_;
    Operator& op_;
    ExtractLimits limits_;
};

} // namespace dilato
