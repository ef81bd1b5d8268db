#include "update/InstallModel.h"

#include "update/VerifiedRelease.h"
#include "update/WorkFolder.h"

namespace dilato {

using namespace install;

InstallModel::InstallModel(std::string workFolder, std::optional<PublicKey> releaseKey,
                           Operator& op, std::string runningVersion, std::string today,
                           ExtractLimits limits)
    : workFolder_(std::move(workFolder)), releaseKey_(releaseKey),
      runningVersion_(std::move(runningVersion)), today_(std::move(today)), op_(op),
      limits_(limits) {}

void InstallModel::pressYes() {
    if (!yesEnabled) return;
    banner = kBanner;
    yesEnabled = false;
    closeEnabled = false;
}

bool InstallModel::install() {
    const VerifiedRelease release =
        LoadVerifiedRelease(workFolder_, releaseKey_, runningVersion_, today_);
    if (!release.ok) {
        fail(release.problem + " It was deleted; nothing of it was run.");
        return false;
    }
    // The bytes just verified are the bytes unpacked, whatever lies on the disk by now.
    int packages = 0;
    const ExtractResult check = UnpackArchive(
        release.archive, release.manifest.archive, limits_, {},
        [&packages](const std::string& base, const std::string&) {
            packages += IsDilatoPackageName(base) ? 1 : 0;
            return std::string();
        });
    if (!check.ok) {
        fail(check.message + " It was deleted; nothing of it was run.");
        return false;
    }
    if (packages != 1) {
        fail("The update archive could not be extracted: it holds no Dilato package. It was "
             "deleted; nothing of it was run.");
        return false;
    }
    checkedFiles = check.files;
    return true;
}

void InstallModel::finishHandOver() {
    Updating = true;
    closed = true;
}

void InstallModel::pressClose() {
    if (!closeEnabled) return;
    DiscardDownloads(workFolder_);
    closed = true;
}

void InstallModel::fail(const std::string& message) {
    DiscardDownloads(workFolder_);
    ShowMessage(op_, message, kFailureTitle, MessageIcon::Exclamation);
    Updating = false;
    closed = true;
}

} // namespace dilato
