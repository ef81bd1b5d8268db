#include "update/PackageSystem.h"

#include "update/ChildProcess.h"

#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace dilato {

namespace {

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

std::string Field(const std::string& output, const std::string& name) {
    const std::string prefix = name + ": ";
    std::size_t at = 0;
    while (at < output.size()) {
        std::size_t end = output.find('\n', at);
        if (end == std::string::npos) end = output.size();
        const std::string line = output.substr(at, end - at);
        if (line.rfind(prefix, 0) == 0) return Trimmed(line.substr(prefix.size()));
        at = end + 1;
    }
    return {};
}

} // namespace

PackageFields ReadPackageFields(const std::string& debPath, const std::string& dpkgDeb) {
    const ChildResult run = RunChild({dpkgDeb, "--field", debPath, "Package", "Version"},
                                     CleanEnvironment());
    if (run.exitCode != 0) return {};
    return {Field(run.output, "Package"), Field(run.output, "Version")};
}

void AppendUpdateLog(const std::string& log, const std::string& text) {
    const int fd = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0640);
    if (fd < 0) return;
    const std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S ", std::localtime(&now));
    const std::string line = stamp + text + (text.empty() || text.back() != '\n' ? "\n" : "");
    (void)!::write(fd, line.data(), line.size());
    ::close(fd);
}

std::string AptPackageSystem::installedVersion() {
    const ChildResult run = RunChild(
        {tools_.dpkgQuery, "--show", "--showformat=${Status}\\t${Version}", "dilato"},
        CleanEnvironment());
    if (run.exitCode != 0) return {};
    const auto tab = run.output.find('\t');
    if (tab == std::string::npos || run.output.substr(0, tab) != "install ok installed") return {};
    return Trimmed(run.output.substr(tab + 1));
}

PackageInstall AptPackageSystem::install(const std::string& debPath, int lockWaitSeconds) {
    // apt waits for the lock itself, up to the timeout, instead of failing at once.
    const ChildResult run = RunChild(
        {tools_.aptGet, "install", "--yes", "--no-install-recommends",
         "-o", "DPkg::Lock::Timeout=" + std::to_string(lockWaitSeconds), debPath},
        CleanEnvironment());
    AppendUpdateLog(tools_.log, run.output);
    PackageInstall result;
    if (!run.started) {
        result.problem = tools_.aptGet + " could not be started.";
    } else if (run.exitCode != 0) {
        result.lockBusy = run.output.find("Could not get lock") != std::string::npos;
        result.problem =
            result.lockBusy
                ? "the package manager was busy with another installation for " +
                      std::to_string(lockWaitSeconds) + " s."
                : "apt-get ended with status " + std::to_string(run.exitCode) + ".";
    } else {
        result.ok = true;
    }
    return result;
}

} // namespace dilato
