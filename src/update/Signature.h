#pragma once
// Update archives are signed: beside "Dilato140.zip" the server publishes "Dilato140.zip.sig",
// the 64-byte detached Ed25519 signature of the whole archive. The program carries the
// release key's public half and runs nothing of an archive that does not verify against it.

#include <array>
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
