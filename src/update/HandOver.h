#pragma once
// The administrator's side of the hand-over: what the root helper does with the work folder an
// operator's program named. Nothing in that folder is trusted or run. The manifest, its
// signature and the archive are read once (never through a link) and checked; the package is
// unpacked from those same bytes into a folder of root's own, checked to be Dilato at the
// signed version and newer than the installed one, and installed with a bounded wait for the
// package manager. The outcome is logged and left as a record for the next start of Dilato.

#include "update/PackageSystem.h"
#include "update/Signature.h"

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace dilato {

struct HandOverConfig {
    std::optional<PublicKey> key;
    std::string resultFolder;            // the record's folder (root's)
    uid_t resultOwner = 0;               // who alone may write that folder
    std::string log;                     // root's update log
    std::string stagingParent = "/tmp";  // where the private unpacking folder is made
    std::string dpkgDeb = "/usr/bin/dpkg-deb";
    int lockWaitSeconds = 120;
    std::function<std::string()> today;  // "YYYY-MM-DD" (UTC)
    // Called between the steps with the step's name (tests act there); may be empty.
    std::function<void(const std::string& step)> between;
};

struct HandOverOutcome {
    bool installed = false;
    std::string version; // the signed version, when the manifest was believed
    std::string message; // the operator's text, as the record holds it
};

// The steps, in order, as `between` names them.
inline constexpr const char* kHandOverSteps[] = {"start", "manifest", "signature", "archive",
                                                 "unpacked", "checked"};

[[nodiscard]] HandOverOutcome RunHandOver(const std::string& workFolder, PackageSystem& packages,
                                          const HandOverConfig& config);

} // namespace dilato
