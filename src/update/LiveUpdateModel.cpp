#include "update/LiveUpdateModel.h"

#include "platform/TextFile.h"
#include "update/UpdateServer.h"
#include "update/VersionText.h"
#include "update/WorkFolder.h"

#include <filesystem>

namespace dilato {

using namespace liveupdate;

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

void LiveUpdateModel::checkForUpdate() {
    view_.state = kChecking;
    view_.modeEnabled = false;
    fetcher_.fetch(VersionFileUrl(settings_.server), settings_.workFolder + kVersionFileName,
                   settings_.maxVersionFileBytes,
                   [this](const FetchResult& result) { versionFileArrived(result); });
}

// The check always ends with the mode button enabled, so the operator is never left with a
// panel that only "Cancel" can leave.
void LiveUpdateModel::settle(const char* message, bool cancelEnabled) {
    view_.message = message;
    view_.modeCaption = kOk;
    view_.modeEnabled = true;
    view_.cancelEnabled = cancelEnabled;
}

void LiveUpdateModel::versionFileArrived(const FetchResult& result) {
    view_.downloadTimerRunning = false;
    view_.state = kIdle;
    if (!result.ok) {
        // Too large to be a version file: the server sent something else.
        if (result.tooLarge)
            settle(kInvalidFile, false);
        else
            settle(kUnableToConnect, view_.cancelEnabled);
        notify();
        return;
    }
    const auto bytes = ReadFileBytes(settings_.workFolder + kVersionFileName);
    const VersionCheck check = CheckVersionFile(bytes.value_or(std::string()), settings_.runningVersion);
    if (!check.newVersion.empty()) view_.updateVersion = check.newVersion;
    switch (check.verdict) {
    case VersionVerdict::Invalid:
        settle(kInvalidFile, false);
        break;
    case VersionVerdict::NoVersion:
        settle(kUnableToConnect, view_.cancelEnabled);
        break;
    case VersionVerdict::UpToDate:
        settle(kMostRecent, false);
        break;
    case VersionVerdict::Newer:
        view_.message = kNewerAvailable;
        view_.modeCaption = kDownload;
        view_.modeEnabled = true;
        break;
    }
    notify();
}

void LiveUpdateModel::download() {
    downloadSeconds_ = 0;
    view_.downloadTimerRunning = true;
    view_.message = kDownloadInProgress;
    view_.modeCaption = kOk;
    view_.modeEnabled = false;
    view_.cancelEnabled = false;
    view_.state = kDownloading;
    archive_ = settings_.workFolder + ArchiveName(view_.updateVersion);
    // The signature first: without one the archive is not worth fetching.
    fetcher_.fetch(ArchiveUrl(settings_.server, ArchiveName(view_.updateVersion)) + kSignatureEnding,
                   SignatureFileName(archive_), 4 * static_cast<std::int64_t>(kSignatureBytes),
                   [this](const FetchResult& result) { signatureArrived(result); });
}

void LiveUpdateModel::signatureArrived(const FetchResult& result) {
    if (!result.ok) {
        downloadFailed("The signature of the update file could not be downloaded from the "
                       "Norvane update server (" + result.error + ").");
        return;
    }
    fetcher_.fetch(ArchiveUrl(settings_.server, ArchiveName(view_.updateVersion)), archive_,
                   settings_.maxArchiveBytes,
                   [this](const FetchResult& arrived) { archiveArrived(arrived); });
}

void LiveUpdateModel::archiveArrived(const FetchResult& result) {
    if (!result.ok) {
        downloadFailed("The update file could not be downloaded from the Norvane update "
                       "server (" + result.error + ").");
        return;
    }
    const SignatureCheck check =
        VerifyArchive(archive_, SignatureFileName(archive_), settings_.releaseKey);
    if (check != SignatureCheck::Valid) {
        downloadFailed(SignatureProblem(check) + " It was deleted.");
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
