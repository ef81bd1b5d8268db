#include "update/LiveUpdateModel.h"

#include "update/HeldFile.h"
#include "update/UpdateServer.h"
#include "update/VerifiedRelease.h"
#include "update/VersionText.h"
#include "update/WorkFolder.h"

namespace dilato {

using namespace liveupdate;

namespace {

// Where a failed transfer is this computer's fault, the operator is told so and not that the
// server was out of reach.
std::string LocalFailureMessage(const std::string& workFolder, const FetchResult& result) {
    return "The update folder " + workFolder + " cannot be written (" + result.error + ")." +
           kContinueCurrent;
}

} // namespace

LiveUpdateModel::LiveUpdateModel(LiveUpdateSettings settings, Fetcher& fetcher)
    : settings_(std::move(settings)), fetcher_(fetcher) {}

void LiveUpdateModel::load() {
    view_ = LiveUpdateView{};
    view_.currentVersion = settings_.runningVersion;
    view_.updateVersion = "--";
    view_.state = kIdle;
    view_.statusPanel = std::string("Status: ") + kIdle;
    view_.modeCaption = kCheck;
    view_.message = kPressCheck;
}

void LiveUpdateModel::statusTimerTick() {
    view_.statusPanel = "Status: " + view_.state;
}

void LiveUpdateModel::downloadTimerTick() {
    if (!view_.downloadTimerRunning) return;
    ++downloadSeconds_;
    view_.timePanel = "Download Time:" + std::to_string(downloadSeconds_) + " Secs";
}

void LiveUpdateModel::pressMode() {
    if (!view_.modeEnabled || view_.closed) return;
    if (view_.modeCaption == kCheck) {
        checkForUpdate();
    } else if (view_.modeCaption == kDownload) {
        download();
    } else {
        view_.closed = true;
    }
}

void LiveUpdateModel::pressCancel() {
    fetcher_.cancel();
    if (!archive_.empty()) {
        // An archive that was not verified must not wait for the next start.
        RemoveArchive(archive_);
        archive_.clear();
    }
    view_.downloadTimerRunning = false;
    view_.closed = true;
}

std::string ExpiredMessage(const std::string& expires) {
    return "The update information on the Norvane update server expired on " + expires +
           ", so it tells nothing about updates. Ask Norvane for a current release." +
           kContinueCurrent;
}

void LiveUpdateModel::checkForUpdate() {
    // Nothing is fetched that could not be checked, nor from a server the administrator did
    // not set, nor into a folder this user cannot safely write.
    if (!settings_.releaseKey) {
        settle(kUpdatesDisabled, false);
        return;
    }
    if (!settings_.serverProblem.empty()) {
        settle(settings_.serverProblem + kContinueCurrent, true);
        return;
    }
    if (const WorkFolderState folder = CheckWorkFolder(settings_.workFolder);
        folder != WorkFolderState::Usable) {
        settle(WorkFolderProblem(folder, settings_.workFolder) + kContinueCurrent, true);
        return;
    }
    view_.state = kChecking;
    view_.modeEnabled = false;
    manifest_.reset();
    fetcher_.fetch(VersionFileUrl(settings_.server), settings_.workFolder + kVersionFileName,
                   settings_.maxVersionFileBytes,
                   [this](const FetchResult& result) { versionFileArrived(result); });
}

// The check always ends with the mode button enabled, so the operator is never left with a
// panel that only "Cancel" can leave.
void LiveUpdateModel::settle(const std::string& message, bool cancelEnabled) {
    view_.message = message;
    view_.modeCaption = kOk;
    view_.modeEnabled = true;
    view_.cancelEnabled = cancelEnabled;
}

void LiveUpdateModel::versionFileArrived(const FetchResult& result) {
    if (!result.ok) {
        view_.downloadTimerRunning = false;
        view_.state = kIdle;
        // Too large to be a version file: the server sent something else.
        if (result.tooLarge)
            settle(kInvalidFile, false);
        else if (result.localFailure)
            settle(LocalFailureMessage(settings_.workFolder, result), true);
        else
            settle(kUnableToConnect, view_.cancelEnabled);
        notify();
        return;
    }
    const HeldFile held = ReadHeldFile(settings_.workFolder + kVersionFileName, settings_.maxVersionFileBytes);
    manifestBytes_ = held.ok ? held.bytes : std::string();
    const VersionCheck check = CheckVersionFile(manifestBytes_, settings_.runningVersion);
    if (check.verdict == VersionVerdict::Invalid || check.verdict == VersionVerdict::NoVersion) {
        view_.downloadTimerRunning = false;
        view_.state = kIdle;
        settle(check.verdict == VersionVerdict::Invalid ? kInvalidFile : kUnableToConnect,
               check.verdict == VersionVerdict::Invalid ? false : view_.cancelEnabled);
        notify();
        return;
    }
    // Nothing of the version file counts before its signature is checked.
    fetcher_.fetch(VersionSignatureUrl(settings_.server),
                   settings_.workFolder + ManifestSignatureName(), kSignatureBytes,
                   [this](const FetchResult& arrived) { manifestSignatureArrived(arrived); });
}

void LiveUpdateModel::manifestSignatureArrived(const FetchResult& result) {
    view_.downloadTimerRunning = false;
    view_.state = kIdle;
    if (!result.ok) {
        if (result.localFailure)
            settle(LocalFailureMessage(settings_.workFolder, result), true);
        else if (result.notFound || result.tooLarge)
            settle(kInvalidFile, false); // an unsigned version file
        else
            settle(kUnableToConnect, view_.cancelEnabled);
        notify();
        return;
    }
    const HeldFile signature = ReadHeldFile(settings_.workFolder + ManifestSignatureName(), kSignatureBytes);
    const VerifiedRelease release =
        CheckManifestBytes(manifestBytes_, signature.ok ? signature.bytes : std::string(),
                           settings_.releaseKey, settings_.runningVersion, settings_.today);
    switch (release.refusal) {
    case ReleaseRefusal::None:
        manifest_ = release.manifest;
        view_.updateVersion = release.manifest.version;
        view_.message = kNewerAvailable;
        view_.modeCaption = kDownload;
        view_.modeEnabled = true;
        break;
    case ReleaseRefusal::NotNewer:
        view_.updateVersion = release.manifest.version;
        settle(kMostRecent, false);
        break;
    case ReleaseRefusal::Expired:
        settle(ExpiredMessage(release.manifest.expires), false);
        break;
    default:
        settle(kInvalidFile, false);
        break;
    }
    notify();
}

void LiveUpdateModel::download() {
    if (!manifest_) return;
    downloadSeconds_ = 0;
    view_.downloadTimerRunning = true;
    view_.message = kDownloadInProgress;
    view_.modeCaption = kOk;
    view_.modeEnabled = false;
    view_.cancelEnabled = false;
    view_.state = kDownloading;
    // The signed manifest names the file and its length: nothing longer is accepted.
    archive_ = settings_.workFolder + manifest_->archive;
    fetcher_.fetch(ArchiveUrl(settings_.server, manifest_->archive), archive_, manifest_->length,
                   [this](const FetchResult& arrived) { archiveArrived(arrived); });
}

void LiveUpdateModel::archiveArrived(const FetchResult& result) {
    if (!result.ok) {
        downloadFailed("The update file could not be downloaded from the Norvane update "
                       "server (" + result.error + ").");
        return;
    }
    const HeldFile archive = ReadHeldFile(archive_, manifest_->length);
    if (!archive.ok || !ArchiveMatchesManifest(archive.bytes, *manifest_)) {
        downloadFailed(SignatureProblem(SignatureCheck::Mismatch) + " It was deleted.");
        return;
    }
    archive_.clear(); // verified: it stays for the installation confirmation
    view_.downloadTimerRunning = false;
    view_.state = kIdle;
    view_.message = kDownloadComplete;
    view_.modeEnabled = true;
    view_.cancelEnabled = true;
    notify();
}
// A failed download says so and leaves nothing of itself behind; the running version goes on.
void LiveUpdateModel::downloadFailed(const std::string& message) {
    RemoveArchive(archive_);
    archive_.clear();
    view_.downloadTimerRunning = false;
    view_.state = kIdle;
    view_.message = message + kContinueCurrent;
    view_.modeCaption = kOk;
    view_.modeEnabled = true;
    view_.cancelEnabled = true;
    notify();
}

void LiveUpdateModel::notify() {
    if (changed) changed();
}

} // namespace dilato
