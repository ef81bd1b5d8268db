#pragma once
// The machine's package manager as the update helper uses it: which Dilato is installed, what
// a package file says it is, and the installation itself with a bounded wait for the package
// manager's lock.

#include <string>

namespace dilato {

struct PackageFields {
    std::string package;
    std::string version;
};

struct PackageInstall {
    bool ok = false;
    bool lockBusy = false; // the package manager stayed busy for the whole wait
    std::string problem;   // why it failed, a sentence
};

class PackageSystem {
  public:
    virtual ~PackageSystem() = default;
    // The installed version of the package "dilato"; "" when it is not installed.
    virtual std::string installedVersion() = 0;
    virtual PackageInstall install(const std::string& debPath, int lockWaitSeconds) = 0;
};

// The package and version fields of a Debian package file (dpkg-deb); empty when unreadable.
[[nodiscard]] PackageFields ReadPackageFields(const std::string& debPath,
                                              const std::string& dpkgDeb = "/usr/bin/dpkg-deb");

// dpkg-query and apt-get at fixed paths; apt-get's output goes to the update log.
class AptPackageSystem final : public PackageSystem {
  public:
    struct Tools {
        std::string dpkgQuery = "/usr/bin/dpkg-query";
        std::string aptGet = "/usr/bin/apt-get";
        std::string log = "/var/log/dilato-update.log";
    };
    AptPackageSystem() = default;
    explicit AptPackageSystem(Tools tools) : tools_(std::move(tools)) {}
    std::string installedVersion() override;
    PackageInstall install(const std::string& debPath, int lockWaitSeconds) override;

  private:
    Tools tools_;
};

// Appends a line to the update log (root's, never in the shared folder); failures are ignored.
void AppendUpdateLog(const std::string& log, const std::string& text);

} // namespace dilato
