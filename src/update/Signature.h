#pragma once
// The release key and detached Ed25519 signatures (64 bytes). The program carries the release
// key's public half; what it believes of an update comes from the signed release manifest
// (ReleaseManifest.h). Archives are signed on their own as well ("Dilato140.zip.sig"), for
// the copies of the program made before the manifest existed.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dilato {

inline constexpr std::size_t kPublicKeyBytes = 32;
inline constexpr std::size_t kSignatureBytes = 64;
// Archives larger than this are refused before they are read into memory.
inline constexpr std::int64_t kMaxSignedArchiveBytes = 1024LL * 1024 * 1024;
inline constexpr const char* kSignatureEnding = ".sig";

using PublicKey = std::array<unsigned char, kPublicKeyBytes>;

// The release key built into this program; nullopt when the build carries none (then no
// archive verifies).
[[nodiscard]] std::optional<PublicKey> BuiltInReleaseKey();
// False for a build configured without a release key: it offers no updates at all.
[[nodiscard]] bool UpdatesEnabledInThisBuild();
// The absolute path of the administrator's update helper this build hands over to.
[[nodiscard]] const char* UpdateHelperPath();

// A key from its 64 hexadecimal digits; nullopt for anything else.
[[nodiscard]] std::optional<PublicKey> PublicKeyFromHex(std::string_view hex);

// archive + ".sig"
[[nodiscard]] std::string SignatureFileName(const std::string& archive);

enum class SignatureCheck {
    Valid,
    NoKey,             // the program carries no release key
    MissingSignature,  // no signature file
    MalformedSignature,// a signature file of the wrong size
    Unreadable,        // the archive is missing, unreadable or too large
    Mismatch,          // the signature does not belong to this archive and key
};

// Verifies the archive against its signature file with the key.
[[nodiscard]] SignatureCheck VerifyArchive(const std::string& archivePath,
                                           const std::string& signaturePath,
                                           const std::optional<PublicKey>& key);

// What the operator reads when the check failed ("" for Valid).
[[nodiscard]] std::string SignatureProblem(SignatureCheck check);

} // namespace dilato
