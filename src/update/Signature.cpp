#include "update/Signature.h"

#include "update/ReleaseKey.h"

#include "update/HeldFile.h"
#include "update/ReleaseManifest.h"

#include <sodium.h>

namespace dilato {

std::optional<PublicKey> PublicKeyFromHex(std::string_view hex) {
    if (hex.size() != 2 * kPublicKeyBytes) return std::nullopt;
    PublicKey key{};
    size_t written = 0;
    if (sodium_hex2bin(key.data(), key.size(), hex.data(), hex.size(), nullptr, &written,
                       nullptr) != 0 ||
        written != key.size())
        return std::nullopt;
    return key;
}

std::optional<PublicKey> BuiltInReleaseKey() {
    return PublicKeyFromHex(kReleasePublicKeyHex);
}

bool UpdatesEnabledInThisBuild() {
    return BuiltInReleaseKey().has_value();
}

const char* UpdateHelperPath() {
    return kUpdateHelperPath;
}

std::string SignatureFileName(const std::string& archive) {
    return archive + kSignatureEnding;
}

SignatureCheck VerifyArchive(const std::string& archivePath, const std::string& signaturePath,
                             const std::optional<PublicKey>& key) {
    if (!key) return SignatureCheck::NoKey;
    const HeldFile signature = ReadHeldFile(signaturePath, kSignatureBytes);
    if (signature.missing) return SignatureCheck::MissingSignature;
    if (!signature.ok || signature.bytes.size() != kSignatureBytes)
        return SignatureCheck::MalformedSignature;
    const HeldFile archive = ReadHeldFile(archivePath, kMaxSignedArchiveBytes);
    if (!archive.ok) return SignatureCheck::Unreadable;
    return SignatureMatches(archive.bytes, signature.bytes, key) ? SignatureCheck::Valid
                                                                 : SignatureCheck::Mismatch;
}

std::string SignatureProblem(SignatureCheck check) {
    switch (check) {
    case SignatureCheck::Valid:
        return {};
    case SignatureCheck::NoKey:
        return "This copy of Dilato carries no update key, so no update can be verified.";
    case SignatureCheck::MissingSignature:
        return "The update file has no signature.";
    case SignatureCheck::MalformedSignature:
        return "The signature of the update file is damaged.";
    case SignatureCheck::Unreadable:
        return "The update file could not be read.";
    case SignatureCheck::Mismatch:
        return "The update file is not signed by Norvane or was altered on the way.";
    }
    return {};
}

} // namespace dilato
