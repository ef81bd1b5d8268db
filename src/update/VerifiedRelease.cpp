#include "update/VerifiedRelease.h"

#include "update/HeldFile.h"
#include "update/VersionText.h"

namespace dilato {

namespace {

VerifiedRelease Refused(ReleaseRefusal why, std::string problem) {
    VerifiedRelease release;
    release.refusal = why;
    release.problem = std::move(problem);
    return release;
}

ReleaseRefusal RefusalOf(ManifestVerdict verdict) {
    switch (verdict) {
    case ManifestVerdict::NotNewer:
        return ReleaseRefusal::NotNewer;
    case ManifestVerdict::Expired:
        return ReleaseRefusal::Expired;
    case ManifestVerdict::Foreign:
        return ReleaseRefusal::Foreign;
    case ManifestVerdict::Offer:
        break;
    }
    return ReleaseRefusal::None;
}

} // namespace

bool IsDilatoPackageName(const std::string& name) {
    return name.rfind("dilato_", 0) == 0 && name.size() > 11 &&
           name.compare(name.size() - 4, 4, ".deb") == 0;
}

std::string ManifestSignatureName() {
    return std::string(kVersionFileName) + kSignatureEnding;
}

std::string ManifestVerdictProblem(ManifestVerdict verdict, const ReleaseManifest& manifest,
                                   std::string_view installedVersion) {
    switch (verdict) {
    case ManifestVerdict::Offer:
        return {};
    case ManifestVerdict::NotNewer:
        return "The update " + manifest.version + " is not newer than the installed version " +
               std::string(installedVersion) + ".";
    case ManifestVerdict::Expired:
        return "The update information expired on " + manifest.expires + ".";
    case ManifestVerdict::Foreign:
        return "The update information is for another product (" + manifest.product + ").";
    }
    return {};
}

VerifiedRelease CheckManifestBytes(std::string_view manifest, std::string_view signature,
                                   const std::optional<PublicKey>& key,
                                   std::string_view installedVersion, std::string_view today) {
    if (!key) return Refused(ReleaseRefusal::NoKey, SignatureProblem(SignatureCheck::NoKey));
    if (signature.size() != kSignatureBytes)
        return Refused(ReleaseRefusal::Unsigned, SignatureProblem(SignatureCheck::MalformedSignature));
    if (!SignatureMatches(manifest, signature, key))
        return Refused(ReleaseRefusal::Unsigned, SignatureProblem(SignatureCheck::Mismatch));
    std::string why;
    const auto parsed = ParseManifest(manifest, &why);
    if (!parsed)
        return Refused(ReleaseRefusal::Invalid, "The update information is not valid: " + why + ".");
    const ManifestVerdict verdict = JudgeManifest(*parsed, installedVersion, today);
    if (verdict != ManifestVerdict::Offer) {
        VerifiedRelease refused =
            Refused(RefusalOf(verdict), ManifestVerdictProblem(verdict, *parsed, installedVersion));
        refused.manifest = *parsed;
        return refused;
    }
    VerifiedRelease release;
    release.ok = true;
    release.manifest = *parsed;
    return release;
}

VerifiedRelease LoadVerifiedRelease(const std::string& folder, const std::optional<PublicKey>& key,
                                    std::string_view installedVersion, std::string_view today,
                                    const std::function<void(const std::string&)>& between) {
    const auto step = [&](const char* name) {
        if (between) between(name);
    };
    if (!key) return Refused(ReleaseRefusal::NoKey, SignatureProblem(SignatureCheck::NoKey));
    const HeldFolder work(folder);
    if (!work.ok()) return Refused(ReleaseRefusal::Unreadable, work.problem());
    const HeldFile manifest = ReadHeldFileAt(work.fd(), kVersionFileName, kMaxVersionFileBytes);
    step("manifest");
    if (!manifest.ok)
        return Refused(ReleaseRefusal::Unreadable, "The update information " + manifest.problem);
    const HeldFile signature = ReadHeldFileAt(work.fd(), ManifestSignatureName(), kSignatureBytes);
    step("signature");
    if (!signature.ok)
        return signature.missing
                   ? Refused(ReleaseRefusal::Unsigned, SignatureProblem(SignatureCheck::MissingSignature))
                   : Refused(ReleaseRefusal::Unreadable, "The signature " + signature.problem);
    VerifiedRelease release =
        CheckManifestBytes(manifest.bytes, signature.bytes, key, installedVersion, today);
    if (!release.ok) return release;
    const HeldFile archive = ReadHeldFileAt(work.fd(), release.manifest.archive, release.manifest.length);
    step("archive");
    if (!archive.ok) return Refused(ReleaseRefusal::Unreadable, "The update file " + archive.problem);
    if (!ArchiveMatchesManifest(archive.bytes, release.manifest))
        return Refused(ReleaseRefusal::Altered, SignatureProblem(SignatureCheck::Mismatch));
    release.archive = archive.bytes;
    return release;
}

} // namespace dilato
