#pragma once
// The installation confirmation, as plain state. "Yes" verifies the downloaded archive
// against its signature, unpacks it flat into the work folder and, after a pause that lets
// the operator read the banner, reports `Updating`. An archive that fails either step is
// deleted and reported, and nothing of it runs. "Close" discards the downloads.

#include "platform/Operator.h"
#include "update/SafeExtract.h"
#include "update/Signature.h"

#include <optional>
#include <string>

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
    InstallModel(std::string workFolder, std::optional<PublicKey> releaseKey, Operator& op,
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

  private:
    void fail(const std::string& archive, const std::string& message);

    std::string workFolder_;
    std::optional<PublicKey> releaseKey_;
    Operator& op_;
    ExtractLimits limits_;
};

} // namespace dilato
