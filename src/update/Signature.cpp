#include "update/Signature.h"

#include "update/ReleaseKey.h"

#include <QFile>
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

std::string SignatureFileName(const std::string& archive) {
    return archive + kSignatureEnding;
}

SignatureCheck VerifyArchive(const std::string& archivePath, const std::string& signaturePath,
                             const std::optional<PublicKey>& key) {
    if (!key) return SignatureCheck::NoKey;
    if (sodium_init() < 0) return SignatureCheck::Unreadable;

    QFile signatureFile(QString::fromStdString(signaturePath));
    if (!signatureFile.open(QIODevice::ReadOnly)) return SignatureCheck::MissingSignature;
    if (signatureFile.size() != static_cast<qint64>(kSignatureBytes))
        return SignatureCheck::MalformedSignature;
    const QByteArray signature = signatureFile.readAll();
    if (signature.size() != static_cast<qsizetype>(kSignatureBytes))
        return SignatureCheck::MalformedSignature;

    QFile archive(QString::fromStdString(archivePath));
    if (!archive.open(QIODevice::ReadOnly) || archive.size() > kMaxSignedArchiveBytes)
        return SignatureCheck::Unreadable;
    // An empty file cannot be mapped; its signature is checked over no bytes.
    static const unsigned char kNothing = 0;
    const unsigned char* bytes = &kNothing;
    if (archive.size() > 0) {
        bytes = archive.map(0, archive.size());
        if (bytes == nullptr) return SignatureCheck::Unreadable;
    }
    const int result = crypto_sign_verify_detached(
        reinterpret_cast<const unsigned char*>(signature.constData()), bytes,
        static_cast<unsigned long long>(archive.size()), key->data());
    return result == 0 ? SignatureCheck::Valid : SignatureCheck::Mismatch;
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
