// The release manifest: what it must hold to be read at all, and what a verified one means for
// the running version on a given day.

#include "UpdateTestKit.h"
#include "update/ReleaseManifest.h"
#include "update/VerifiedRelease.h"

#include <gtest/gtest.h>

namespace dilato {
namespace {

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(Manifest, RoundTripsAndStaysUnderTheVersionFileLimit) {
    const test::TestSigningKey key;
    const test::TestRelease release = test::MakeRelease(key, "1.4.0", {{"dilato_1.4.0_all.deb", "x"}});
    // The longest archive length a manifest may name still leaves it under 300 bytes.
    ReleaseManifest longest = release.manifest;
    longest.length = kMaxSignedArchiveBytes;
    EXPECT_LT(FormatManifest(longest).size(), 300u);
    const auto parsed = ParseManifest(release.manifestBytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(FormatManifest(*parsed), release.manifestBytes);
    EXPECT_TRUE(ArchiveMatchesManifest(release.archive, *parsed));
    EXPECT_FALSE(ArchiveMatchesManifest(release.archive + "x", *parsed));
    std::string flipped = release.archive;
    flipped[10] ^= 1;
    EXPECT_FALSE(ArchiveMatchesManifest(flipped, *parsed));
}

TEST(Manifest, MalformedManifestsAreRefusedWithAReason) {
    const test::TestSigningKey key;
    const std::string good = test::MakeRelease(key, "1.4.0", {{"a", "x"}}).manifestBytes;
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    const std::vector<Case> cases{
        {"no version", Replaced(good, "Ver. 1.4.0", "Version 1.4.0"), "names no version"},
        {"two-digit field", Replaced(good, "Ver. 1.4.0", "Ver. 1.10.0"), "names no version"},
        {"version twice", good + "Ver. 1.5.0\r\n", "version appears twice"},
        {"field twice", good + "Length: 5\r\n", "Length appears twice"},
        {"archive of another version", Replaced(good, "Archive: Dilato140.zip", "Archive: Dilato150.zip"),
         "not the one of version"},
        {"archive path", Replaced(good, "Archive: Dilato140.zip", "Archive: ../Dilato140.zip"),
         "not the one of version"},
        {"no hash", Replaced(good, "SHA-256: ", "SHA-1: "), "no SHA-256"},
        {"short hash", Replaced(good, "SHA-256: ", "SHA-256: 00"), "hash is not valid"},
        {"negative length", Replaced(good, "Length: ", "Length: -"), "length is not valid"},
        {"bad date", Replaced(good, "Expires: 2027-06-01", "Expires: 2027-13-01"), "dates are not valid"},
        {"expires before release", Replaced(good, "Expires: 2027-06-01", "Expires: 2026-01-01"),
         "dates are not valid"},
    };
    for (const Case& c : cases) {
        std::string problem;
        EXPECT_FALSE(ParseManifest(c.bytes, &problem)) << c.what;
        EXPECT_NE(problem.find(c.reason), std::string::npos) << c.what << ": " << problem;
    }
}

TEST(Manifest, VerdictsForRunningVersionAndDay) {
    const test::TestSigningKey key;
    const ReleaseManifest m = test::MakeRelease(key, "1.4.0", {{"a", "x"}}).manifest; // expires 2027-06-01
    EXPECT_EQ(JudgeManifest(m, "1.3.7", "2026-12-09"), ManifestVerdict::Offer);
    EXPECT_EQ(JudgeManifest(m, "1.3.7", "2027-06-01"), ManifestVerdict::Offer);
    EXPECT_EQ(JudgeManifest(m, "1.3.7", "2027-06-02"), ManifestVerdict::Expired);
    EXPECT_EQ(JudgeManifest(m, "1.4.0", "2026-12-09"), ManifestVerdict::NotNewer);
    EXPECT_EQ(JudgeManifest(m, "1.5.0", "2026-12-09"), ManifestVerdict::NotNewer);
    EXPECT_EQ(JudgeManifest(m, "unknown", "2026-12-09"), ManifestVerdict::NotNewer);
    ReleaseManifest other = m;
    other.product = "com.example.Other";
    EXPECT_EQ(JudgeManifest(other, "1.3.7", "2026-12-09"), ManifestVerdict::Foreign);
}

TEST(Manifest, OnlyTheReleaseKeysSignatureOverTheExactBytesCounts) {
    const test::TestSigningKey key, stranger;
    const test::TestRelease r = test::MakeRelease(key, "1.4.0", {{"a", "x"}});
    const auto check = [&](const std::string& bytes, const std::string& signature,
                           const std::optional<PublicKey>& k) {
        return CheckManifestBytes(bytes, signature, k, "1.3.7", "2026-12-09").refusal;
    };
    EXPECT_EQ(check(r.manifestBytes, r.signature, key.publicKey()), ReleaseRefusal::None);
    EXPECT_EQ(check(r.manifestBytes, r.signature, stranger.publicKey()), ReleaseRefusal::Unsigned);
    EXPECT_EQ(check(r.manifestBytes, r.signature, std::nullopt), ReleaseRefusal::NoKey);
    EXPECT_EQ(check(r.manifestBytes + "\r\n", r.signature, key.publicKey()), ReleaseRefusal::Unsigned);
    EXPECT_EQ(check(r.manifestBytes, r.signature.substr(1), key.publicKey()), ReleaseRefusal::Unsigned);
    const std::string bad = Replaced(r.manifestBytes, "Length: ", "Length: x");
    EXPECT_EQ(check(bad, key.sign(bad), key.publicKey()), ReleaseRefusal::Invalid);
}

} // namespace
} // namespace dilato
