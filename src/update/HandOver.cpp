#include "update/HandOver.h"

#include "update/SafeExtract.h"
#include "update/UpdateResult.h"
#include "update/VerifiedRelease.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace dilato {

namespace {

constexpr const char* kPackageName = "dilato";

// The private folder the package is unpacked into: made by mkdtemp, so by this process alone,
// and removed with everything in it at the end.
class StagingFolder {
  public:
    explicit StagingFolder(const std::string& parent) {
        std::string pattern = parent + "/dilato-update-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~StagingFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    [[nodiscard]] const std::string& path() const { return path_; }

  private:
    std::string path_;
};

std::string WriteRootFile(const std::string& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return path + ": " + std::strerror(errno);
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    return ok ? std::string() : path + ": " + std::strerror(errno);
}


// The Debian version is the signed version, perhaps with a package revision ("1.4.0-1").
bool SameVersion(const std::string& debVersion, const std::string& signedVersion) {
    return debVersion == signedVersion || debVersion.rfind(signedVersion + "-", 0) == 0;
}

std::string NewRecordId() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()) + "-" +
           std::to_string(::getpid());
}

} // namespace

HandOverOutcome RunHandOver(const std::string& workFolder, PackageSystem& packages,
                            const HandOverConfig& config) {
    const auto step = [&](const char* name) {
        if (config.between) config.between(name);
    };
    HandOverOutcome outcome;
    const std::string installed = packages.installedVersion();
    const auto finish = [&](bool ok, const std::string& text) {
        outcome.installed = ok;
        if (ok) {
            outcome.message = "Dilato " + outcome.version + " was installed.";
        } else {
            outcome.message =
                "The update" + (outcome.version.empty() ? std::string() : " to Dilato " + outcome.version) +
                " was not installed: " + text +
                (installed.empty() ? std::string() : " Dilato " + installed + " stays in use.") +
                " Run Live Update again; if it fails again, show " + config.log +
                " to the administrator.";
        }
        AppendUpdateLog(config.log, "update from " + workFolder + ": " + outcome.message);
        (void)WriteResultRecord(config.resultFolder,
                                {NewRecordId(), outcome.installed, outcome.version, outcome.message},
                                config.resultOwner);
        return outcome;
    };

    step("start");
    if (installed.empty()) return finish(false, "Dilato is not installed as a package on this computer.");
    const std::string today = config.today ? config.today() : TodayUtc();
    const VerifiedRelease release =
        LoadVerifiedRelease(workFolder, config.key, installed, today, config.between);
    if (!release.ok) return finish(false, release.problem);
    outcome.version = release.manifest.version;

    // Only the package is taken from the archive; whatever else it holds is never written.
    StagingFolder staging(config.stagingParent);
    if (staging.path().empty()) return finish(false, "no private folder could be made for the package.");
    ::chmod(staging.path().c_str(), 0711); // apt's own user reads the package from here
    std::string debPath;
    const ExtractResult unpacked = UnpackArchive(
        release.archive, release.manifest.archive, {}, {},
        [&](const std::string& base, const std::string& content) -> std::string {
            if (!IsDilatoPackageName(base)) return {};
            if (!debPath.empty()) return "it holds more than one Dilato package.";
            debPath = staging.path() + "/" + base;
            return WriteRootFile(debPath, content);
        });
    if (!unpacked.ok) return finish(false, unpacked.message);
    if (debPath.empty()) return finish(false, "the update file holds no Dilato package.");
    step("unpacked");

    const PackageFields fields = ReadPackageFields(debPath, config.dpkgDeb);
    if (fields.package != kPackageName || !SameVersion(fields.version, release.manifest.version))
        return finish(false, "the package in the update file is not Dilato " +
                                 release.manifest.version + " (it reads \"" + fields.package +
                                 "\" " + fields.version + ").");
    step("checked");

    const PackageInstall done = packages.install(debPath, config.lockWaitSeconds);
    return finish(done.ok, done.problem);
}

} // namespace dilato
