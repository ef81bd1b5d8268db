#include "update/InstallModel.h"

#include "platform/Files.h"
#include "update/WorkFolder.h"


namespace dilato {

using namespace install;

InstallModel::InstallModel(std::string workFolder, std::optional<PublicKey> releaseKey,
                           Operator& op, ExtractLimits limits)
    : workFolder_(std::move(workFolder)), releaseKey_(releaseKey), op_(op), limits_(limits) {}

void InstallModel::pressYes() {
    if (!yesEnabled) return;
    banner = kBanner;
    yesEnabled = false;
    closeEnabled = false;
}

bool InstallModel::install() {
    const auto archive = FindPendingArchive(workFolder_);
    if (!archive) {
        fail({}, "The update file is no longer in " + workFolder_ + ".");
        return false;
    }
    const SignatureCheck check = VerifyArchive(*archive, SignatureFileName(*archive), releaseKey_);
    if (check != SignatureCheck::Valid) {
        fail(*archive, SignatureProblem(check) + " It was deleted; nothing of it was run.");
        return false;
    }
    const ExtractResult result = ExtractFlat(*archive, workFolder_, limits_, kInstallerName);
    if (!result.ok) {
        fail(*archive, result.message + " It was deleted; nothing of it was run.");
        return false;
    }
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

void InstallModel::fail(const std::string& archive, const std::string& message) {
    if (!archive.empty()) RemoveArchive(archive);
    ShowMessage(op_, message, kFailureTitle, MessageIcon::Exclamation);
    Updating = false;
    closed = true;
}

} // namespace dilato
