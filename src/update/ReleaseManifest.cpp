#include "update/ReleaseManifest.h"

#include "platform/TextFile.h"
#include "update/VersionText.h"

#include <ctime>
#include <map>
#include <sodium.h>

namespace dilato {

namespace {

const char* const kFieldNames[] = {"Product", "Archive", "Length", "SHA-256", "Released",
                                   "Expires"};

bool IsIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u})
        if (text[i] < '0' || text[i] > '9') return false;
    const int month = (text[5] - '0') * 10 + (text[6] - '0');
    const int day = (text[8] - '0') * 10 + (text[9] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

std::optional<std::int64_t> ParseLength(const std::string& text) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<ReleaseManifest> Refuse(std::string* problem, const std::string& why) {
    if (problem != nullptr) *problem = why;
    return std::nullopt;
}

} // namespace

std::optional<ReleaseManifest> ParseManifest(std::string_view bytes, std::string* problem) {
    ReleaseManifest m;
    std::map<std::string, std::string> fields;
    bool versionSeen = false;
    for (const std::string& line : SplitTextLines(bytes)) {
        if (line.rfind(kVersionMarker, 0) == 0) {
            if (versionSeen) return Refuse(problem, "the version appears twice");
            versionSeen = true;
            m.version = line.substr(kVersionMarker.size());
            continue;
        }
        const auto colon = line.find(": ");
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, colon);
        for (const char* name : kFieldNames) {
            if (key != name) continue;
            if (!fields.emplace(key, line.substr(colon + 2)).second)
                return Refuse(problem, "the field " + key + " appears twice");
        }
    }
    if (!IsVersionText(m.version)) return Refuse(problem, "it names no version");
    for (const char* name : kFieldNames)
        if (fields.count(name) == 0) return Refuse(problem, std::string("it has no ") + name);

    m.product = fields["Product"];
    m.archive = fields["Archive"];
    if (m.archive != ArchiveName(m.version))
        return Refuse(problem, "the archive " + m.archive + " is not the one of version " + m.version);
    const auto length = ParseLength(fields["Length"]);
    if (!length || *length <= 0 || *length > kMaxSignedArchiveBytes)
        return Refuse(problem, "the archive length is not valid");
    m.length = *length;
    const std::string& hex = fields["SHA-256"];
    std::size_t written = 0;
    if (hex.size() != 2 * kSha256Bytes ||
        sodium_hex2bin(m.sha256.data(), m.sha256.size(), hex.data(), hex.size(), nullptr,
                       &written, nullptr) != 0 ||
        written != kSha256Bytes)
        return Refuse(problem, "the archive hash is not valid");
    m.released = fields["Released"];
    m.expires = fields["Expires"];
    if (!IsIsoDate(m.released) || !IsIsoDate(m.expires) || m.expires < m.released)
        return Refuse(problem, "its dates are not valid");
    return m;
}

std::string FormatManifest(const ReleaseManifest& m) {
    return std::string(kVersionMarker) + m.version + "\r\n" +
           "Product: " + m.product + "\r\n" +
           "Archive: " + m.archive + "\r\n" +
           "Length: " + std::to_string(m.length) + "\r\n" +
           "SHA-256: " + HexText(m.sha256.data(), m.sha256.size()) + "\r\n" +
           "Released: " + m.released + "\r\n" +
           "Expires: " + m.expires + "\r\n";
}

Sha256 HashBytes(std::string_view bytes) {
    Sha256 hash{};
    if (sodium_init() < 0) return hash;
    crypto_hash_sha256(hash.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                       bytes.size());
    return hash;
}

std::string HexText(const unsigned char* bytes, std::size_t size) {
    std::string hex(2 * size + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), bytes, size);
    hex.pop_back();
    return hex;
}

bool SignatureMatches(std::string_view bytes, std::string_view signature,
                      const std::optional<PublicKey>& key) {
    if (!key || signature.size() != kSignatureBytes || sodium_init() < 0) return false;
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char*>(signature.data()),
                                       reinterpret_cast<const unsigned char*>(bytes.data()),
                                       bytes.size(), key->data()) == 0;
}

ManifestVerdict JudgeManifest(const ReleaseManifest& manifest, std::string_view installedVersion,
                              std::string_view today) {
    if (manifest.product != kProductId) return ManifestVerdict::Foreign;
    if (today > manifest.expires) return ManifestVerdict::Expired;
    if (!IsVersionText(installedVersion)) return ManifestVerdict::NotNewer;
    if (VersionNumber(manifest.version) <= VersionNumber(installedVersion))
        return ManifestVerdict::NotNewer;
    return ManifestVerdict::Offer;
}

bool ArchiveMatchesManifest(std::string_view archive, const ReleaseManifest& manifest) {
    if (static_cast<std::int64_t>(archive.size()) != manifest.length) return false;
    const Sha256 hash = HashBytes(archive);
    return sodium_memcmp(hash.data(), manifest.sha256.data(), hash.size()) == 0;
}

std::string TodayUtc() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
    return text;
}

} // namespace dilato
