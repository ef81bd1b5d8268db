#pragma once
// A release as it lies in the update work folder: the manifest (the version file), its
// signature and the archive it names, each read once, and believed only when the signature
// holds, the manifest offers a newer release that has not expired and the archive's bytes are
// the ones the manifest names. The program checks this before the hand-over; the
// administrator's helper checks it again, for itself, before it installs anything.

#include "update/ReleaseManifest.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dilato {

// The signature of the version file, beside it: "Dilato_Version.htm.sig".
[[nodiscard]] std::string ManifestSignatureName();

enum class ReleaseRefusal {
    None,
    NoKey,       // this build carries no release key
    Unreadable,  // a file is missing, a link, not a plain file or too large
    Unsigned,    // the signature is missing, damaged or not the release key's
    Invalid,     // signed, but the manifest's fields are not valid
    Foreign,     // signed for another product
    NotNewer,    // signed, but not newer than the installed version (a replay, a rollback)
    Expired,     // signed, but past its expiry day
    Altered,     // the archive is not the one the manifest names
};

struct VerifiedRelease {
    bool ok = false;
    ReleaseRefusal refusal = ReleaseRefusal::None;
    std::string problem; // for the operator, a whole sentence
    ReleaseManifest manifest; // once the signature held (also for NotNewer and Expired)
    std::string archive; // the archive's bytes
};

// `installedVersion`: the version the release must be newer than; `today`: "YYYY-MM-DD".
// `between`, when set, runs after each file was read ("manifest", "signature", "archive").
[[nodiscard]] VerifiedRelease LoadVerifiedRelease(
    const std::string& folder, const std::optional<PublicKey>& key,
    std::string_view installedVersion, std::string_view today,
    const std::function<void(const std::string&)>& between = {});

// The same checks on a manifest and signature already in memory; the archive is not read.
[[nodiscard]] VerifiedRelease CheckManifestBytes(std::string_view manifest,
                                                 std::string_view signature,
                                                 const std::optional<PublicKey>& key,
                                                 std::string_view installedVersion,
                                                 std::string_view today);

// "dilato_<version>_<arch>.deb": the one file of an update archive that is installed.
[[nodiscard]] bool IsDilatoPackageName(const std::string& name);

// The operator's sentence for a verdict other than Offer.
[[nodiscard]] std::string ManifestVerdictProblem(ManifestVerdict verdict,
                                                 const ReleaseManifest& manifest,
                                                 std::string_view installedVersion);

} // namespace dilato
