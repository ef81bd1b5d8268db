#pragma once
// The release manifest: the version file the update server publishes is a short signed text
// that says which release it offers and binds everything the program acts on to the release
// key. A detached Ed25519 signature of the whole file ("Dilato_Version.htm.sig") sits beside
// it. Nothing of it is believed before the signature checks out:
//
//   Ver. 1.4.0
//   Product: com.norvane.Dilato
//   Archive: Dilato140.zip
//   Length: 41234567
//   SHA-256: <64 hex digits of the archive's hash>
//   Released: 2026-12-09
//   Expires: 2027-06-09
//
// Lines end in CR LF or LF; other lines are ignored, each field appears once. The whole file
// stays under 300 bytes, the version file's size limit.

#include "update/Signature.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dilato {

inline constexpr const char* kProductId = "com.norvane.Dilato";
inline constexpr std::size_t kSha256Bytes = 32;
using Sha256 = std::array<unsigned char, kSha256Bytes>;

struct ReleaseManifest {
    std::string version;  // "1.4.0"
    std::string product;  // kProductId
    std::string archive;  // "Dilato140.zip"
    std::int64_t length = 0;
    Sha256 sha256{};
    std::string released; // "2026-12-09"
    std::string expires;  // "2027-06-09": no longer believed after this day
};

// The fields of a manifest, or nullopt with `problem` set when one is missing, repeated or
// malformed, or when the archive name is not the one the version gives.
[[nodiscard]] std::optional<ReleaseManifest> ParseManifest(std::string_view bytes,
                                                           std::string* problem = nullptr);

// The manifest text the release tool writes (CR LF line ends).
[[nodiscard]] std::string FormatManifest(const ReleaseManifest& manifest);

[[nodiscard]] Sha256 HashBytes(std::string_view bytes);
[[nodiscard]] std::string HexText(const unsigned char* bytes, std::size_t size);

// Ed25519 over exactly these bytes. False without a key, with a signature of the wrong size
// or one that does not belong to the bytes.
[[nodiscard]] bool SignatureMatches(std::string_view bytes, std::string_view signature,
                                    const std::optional<PublicKey>& key);

// What a verified manifest means for a program at `installedVersion` on `today`
// ("YYYY-MM-DD", UTC).
enum class ManifestVerdict {
    Offer,     // a newer release for this product, still current
    NotNewer,  // the same or an older version: nothing to offer (a replayed old release too)
    Expired,   // past its expiry day: no update information at all
    Foreign,   // another product
};
[[nodiscard]] ManifestVerdict JudgeManifest(const ReleaseManifest& manifest,
                                            std::string_view installedVersion,
                                            std::string_view today);

// True when `archive` is exactly the archive the manifest names: its length and hash.
[[nodiscard]] bool ArchiveMatchesManifest(std::string_view archive, const ReleaseManifest& manifest);

// Today's date in UTC as "YYYY-MM-DD".
[[nodiscard]] std::string TodayUtc();

} // namespace dilato
