// Signatures and the safe, flat extraction of update archives, and the installation
// confirmation that puts both together.

#include "UpdateTestKit.h"
#include "platform/Files.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "update/InstallModel.h"
#include "update/SafeExtract.h"
#include "update/Signature.h"
#include "update/WorkFolder.h"

#include <filesystem>
#include <random>
#include <gtest/gtest.h>

namespace dilato {
namespace {

using test::MakeZip;
using test::TempFolder;
using test::TestSigningKey;
using test::ZipEntry;

const std::vector<ZipEntry> kRelease{
    {"Setup.sh", "#!/bin/sh\necho install\n"},
    {"dilato_1.4.0_amd64.deb", std::string(5000, 'd')},
};

TEST(Signature, OnlyTheRightKeyOverTheUnchangedArchiveVerifies) {
    TempFolder folder;
    const TestSigningKey key, otherKey;
    const std::string archive = folder.file("Dilato140.zip");
    ASSERT_TRUE(MakeZip(archive, kRelease));
    EXPECT_EQ(VerifyArchive(archive, archive + ".sig", key.publicKey()),
              SignatureCheck::MissingSignature);
    key.signFile(archive);
    EXPECT_EQ(VerifyArchive(archive, archive + ".sig", key.publicKey()), SignatureCheck::Valid);
    EXPECT_EQ(VerifyArchive(archive, archive + ".sig", otherKey.publicKey()),
              SignatureCheck::Mismatch);
    EXPECT_EQ(VerifyArchive(archive, archive + ".sig", std::nullopt), SignatureCheck::NoKey);

    // One byte changed after signing.
    std::string bytes = folder.read("Dilato140.zip");
    bytes[bytes.size() / 2] ^= 0x01;
    folder.write("Dilato140.zip", bytes);
    EXPECT_EQ(VerifyArchive(archive, archive + ".sig", key.publicKey()), SignatureCheck::Mismatch);

    folder.write("Dilato140.zip.sig", "short");
    EXPECT_EQ(VerifyArchive(archive, archive + ".sig", key.publicKey()),
              SignatureCheck::MalformedSignature);
}

TEST(Signature, KeysFromHexText) {
    const TestSigningKey key;
    std::string hex;
    for (unsigned char b : key.publicKey()) {
        static const char* digits = "0123456789abcdef";
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    EXPECT_EQ(PublicKeyFromHex(hex), key.publicKey());
    EXPECT_FALSE(PublicKeyFromHex(hex.substr(2)));
    EXPECT_FALSE(PublicKeyFromHex(std::string(64, 'g')));
    EXPECT_FALSE(PublicKeyFromHex(""));
}

TEST(FlatNames, BaseNamesOnlyAndNothingOutside) {
    EXPECT_EQ(FlatEntryName("Setup.sh"), "Setup.sh");
    EXPECT_EQ(FlatEntryName("release/1.4.0/Setup.sh"), "Setup.sh");
    EXPECT_EQ(FlatEntryName("release\\Setup.exe"), "Setup.exe");
    for (const char* hostile : {"../Setup.sh", "a/../../Setup.sh", "/etc/passwd", "\\evil",
                                "C:\\Windows\\evil.dll", "a/..", "..", ".", "a/./", "", "bad\nname"})
        EXPECT_EQ(FlatEntryName(hostile), "") << hostile;
    EXPECT_TRUE(IsFolderEntry("release/"));
    EXPECT_FALSE(IsFolderEntry("release"));
}

TEST(Extraction, WritesEveryFileFlatAndKeepsTheFolderOtherwise) {
    TempFolder work;
    work.write("notes.txt", "keep me");
    work.write("Setup.sh", "old installer");
    ASSERT_TRUE(MakeZip(work.file("Dilato140.zip"),
                        {{"release/", ""},
                         {"release/Setup.sh", "new installer"},
                         {"release/deb/dilato_1.4.0_amd64.deb", "package"}}));
    const ExtractResult result = ExtractFlat(work.file("Dilato140.zip"), work.path());
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(result.files, (std::vector<std::string>{"Setup.sh", "dilato_1.4.0_amd64.deb"}));
    EXPECT_EQ(work.read("Setup.sh"), "new installer");
    EXPECT_EQ(work.read("dilato_1.4.0_amd64.deb"), "package");
    EXPECT_EQ(work.read("notes.txt"), "keep me");
    // No folder of the archive and no unpacking leftovers remain.
    EXPECT_TRUE(ListFolders(work.path()).empty());
}

// Each hostile or broken archive is refused whole: nothing new appears, a file of the same
// name keeps its content, and the reason is named.
TEST(Extraction, HostileAndBrokenArchivesLeaveTheFolderUntouched) {
    struct Case {
        const char* what;
        std::vector<ZipEntry> entries;
        const char* reason;
    };
    const std::vector<Case> cases{
        {"parent folder", {{"Setup.sh", "x"}, {"../outside.txt", "x"}}, "points outside"},
        {"absolute path", {{"Setup.sh", "x"}, {"/tmp/abs.txt", "x"}}, "points outside"},
        {"hidden climb", {{"Setup.sh", "x"}, {"a/../../up.txt", "x"}}, "points outside"},
        {"drive letter", {{"Setup.sh", "x"}, {"C:\\x.dll", "x"}}, "points outside"},
        {"symbolic link", {{"Setup.sh", "x"}, {"link", "/etc/passwd", 0120777}}, "link"},
        {"device file", {{"Setup.sh", "x"}, {"dev", "", 0020666}}, "link or a special"},
        {"pipe", {{"Setup.sh", "x"}, {"fifo", "", 0010644}}, "link or a special"},
        {"same name twice", {{"a/Setup.sh", "x"}, {"b/Setup.sh", "y"}}, "occurs twice"},
        {"replaces the archive", {{"Setup.sh", "x"}, {"Dilato140.zip", "y"}}, "archive itself"},
    };
    for (const Case& c : cases) {
        TempFolder work;
        work.write("Setup.sh", "old installer");
        work.write("notes.txt", "keep me");
        ASSERT_TRUE(MakeZip(work.file("Dilato140.zip"), c.entries)) << c.what;
        const ExtractResult result = ExtractFlat(work.file("Dilato140.zip"), work.path());
        EXPECT_FALSE(result.ok) << c.what;
        EXPECT_NE(result.message.find(c.reason), std::string::npos) << c.what << ": " << result.message;
        EXPECT_EQ(ListFiles(work.path()),
                  (std::vector<std::string>{"Dilato140.zip", "Setup.sh", "notes.txt"}))
            << c.what;
        EXPECT_TRUE(ListFolders(work.path()).empty()) << c.what;
        EXPECT_EQ(work.read("Setup.sh"), "old installer") << c.what;
        EXPECT_FALSE(std::filesystem::exists(work.path() + "../outside.txt")) << c.what;
    }
}

TEST(Extraction, LimitsOnEntriesAndUnpackedSize) {
    TempFolder work;
    std::vector<ZipEntry> many;
    for (int i = 0; i < 11; ++i) many.push_back({"f" + std::to_string(i), "x"});
    ASSERT_TRUE(MakeZip(work.file("many.zip"), many));
    ExtractLimits limits;
    limits.maxEntries = 10;
    auto result = ExtractFlat(work.file("many.zip"), work.path(), limits);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("more than 10 entries"), std::string::npos) << result.message;

    // A small archive that expands far: a megabyte of zeros packs to about a kilobyte.
    ASSERT_TRUE(MakeZip(work.file("bomb.zip"), {{"zeros", std::string(1 << 20, '\0')}}));
    EXPECT_LT(std::filesystem::file_size(work.file("bomb.zip")), 8000u);
    limits = {};
    limits.maxTotalBytes = 512 * 1024;
    result = ExtractFlat(work.file("bomb.zip"), work.path(), limits);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.message.find("more than 524288 bytes"), std::string::npos) << result.message;
    EXPECT_FALSE(IsFile(work.file("zeros")));
}

// Sets the unpacked size that the archive's headers state for its entries.
std::string WithStatedSize(std::string zip, std::uint32_t size) {
    auto patch = [&](const std::string& signature, std::size_t offset) {
        for (auto at = zip.find(signature); at != std::string::npos; at = zip.find(signature, at + 4))
            for (int i = 0; i < 4; ++i) zip[at + offset + i] = static_cast<char>(size >> (8 * i));
    };
    patch(std::string("PK\x03\x04", 4), 22); // local headers
    patch(std::string("PK\x01\x02", 4), 24); // central directory
    return zip;
}

TEST(Extraction, AnArchiveThatUnpacksToMoreThanItStatesIsStopped) {
    TempFolder work;
    ASSERT_TRUE(MakeZip(work.file("honest.zip"), {{"zeros", std::string(400000, '\0')}}));
    work.write("lying.zip", WithStatedSize(work.read("honest.zip"), 1000));
    ExtractLimits limits;
    limits.maxTotalBytes = 100000;
    const auto result = ExtractFlat(work.file("lying.zip"), work.path(), limits);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(IsFile(work.file("zeros")));
    EXPECT_TRUE(ListFolders(work.path()).empty());
    EXPECT_NE(result.message.find("unpacks to more bytes than it declares"), std::string::npos)
        << result.message;
}

TEST(Extraction, TruncatedCorruptAndForeignFilesAreRefused) {
    TempFolder work;
    // Bytes that do not compress, so that most of the archive is entry data.
    std::mt19937 random(7);
    auto noise = [&] {
        std::string bytes(20000, '\0');
        for (char& c : bytes) c = static_cast<char>(random());
        return bytes;
    };
    ASSERT_TRUE(MakeZip(work.file("good.zip"), {{"Setup.sh", noise()}, {"pkg.deb", noise()}}));
    const std::string good = work.read("good.zip");
    work.write("truncated.zip", good.substr(0, good.size() - 30));
    std::string corrupt = good;
    corrupt[good.size() * 3 / 4] ^= 0x55; // inside the second entry's data
    work.write("corrupt.zip", corrupt);
    work.write("text.zip", "this is not an archive");
    work.write("empty.zip", "");
    for (const char* name : {"truncated.zip", "corrupt.zip", "text.zip", "empty.zip"}) {
        const auto result = ExtractFlat(work.file(name), work.path());
        EXPECT_FALSE(result.ok) << name;
        EXPECT_EQ(result.message.rfind("The update archive could not be extracted: ", 0), 0u) << name;
        EXPECT_FALSE(IsFile(work.file("Setup.sh"))) << name;
        EXPECT_FALSE(IsFile(work.file("pkg.deb"))) << name;
    }
    EXPECT_TRUE(ListFolders(work.path()).empty());
    // The intact one still unpacks, and an archive without the required installer does not.
    EXPECT_FALSE(ExtractFlat(work.file("good.zip"), work.path(), {}, "Setup.exe").ok);
    EXPECT_TRUE(ExtractFlat(work.file("good.zip"), work.path(), {}, "Setup.sh").ok);
}

// The installation confirmation over a work folder with a downloaded release.
class InstallConfirmation : public ::testing::Test {
  protected:
    void SetUp() override { work.write("notes.txt", "keep me"); }
    void writeRelease(const std::vector<ZipEntry>& entries, const TestSigningKey& signer) {
        test::WriteRelease(work.path(), test::MakeRelease(signer, "1.4.0", entries));
    }
    InstallModel model(std::optional<PublicKey> releaseKey) {
        return InstallModel(work.path(), releaseKey, op, "1.3.7", "2026-12-09");
    }
    // Yes, and the result of the check.
    bool yes(InstallModel& m) {
        m.pressYes();
        EXPECT_EQ(m.banner,
                  "Dilato will now close, and the Installer for the new version will be "
                  "launched! Please wait for the Installer to launch....!");
        EXPECT_FALSE(m.yesEnabled);
        EXPECT_FALSE(m.closeEnabled);
        return m.install();
    }
    void expectRefusedAndRemoved(const InstallModel& m, const std::string& reason) {
        EXPECT_FALSE(m.Updating);
        EXPECT_TRUE(m.closed);
        EXPECT_EQ(ListFiles(work.path()), (std::vector<std::string>{"notes.txt"}));
        EXPECT_EQ(work.read("notes.txt"), "keep me");
        ASSERT_EQ(op.messages.size(), 1u);
        EXPECT_NE(op.messages[0].text.find(reason), std::string::npos) << op.messages[0].text;
        EXPECT_NE(op.messages[0].text.find("nothing of it was run"), std::string::npos);
        op.messages.clear();
    }

    TempFolder work;
    TestSigningKey key;
    test::RecordingOperator op;
};

TEST_F(InstallConfirmation, SignedReleaseIsCheckedAndHandedOverWithoutUnpackingIntoTheFolder) {
    writeRelease(kRelease, key);
    InstallModel m = model(key.publicKey());
    EXPECT_FALSE(m.Updating);
    ASSERT_TRUE(yes(m));
    EXPECT_FALSE(m.Updating); // only after the pause
    EXPECT_EQ(m.checkedFiles, (std::vector<std::string>{"Setup.sh", "dilato_1.4.0_amd64.deb"}));
    // The helper unpacks for itself: nothing lands in the shared folder.
    EXPECT_EQ(ListFiles(work.path()), (std::vector<std::string>{"Dilato140.zip", "Dilato_Version.htm",
                                                                "Dilato_Version.htm.sig", "notes.txt"}));
    m.finishHandOver();
    EXPECT_TRUE(m.Updating);
    EXPECT_TRUE(m.closed);
    EXPECT_TRUE(op.messages.empty());
}

TEST_F(InstallConfirmation, WrongMissingOrAbsentKeyDeletesAndRunsNothing) {
    const TestSigningKey stranger;
    writeRelease(kRelease, stranger);
    InstallModel wrong = model(key.publicKey());
    EXPECT_FALSE(yes(wrong));
    expectRefusedAndRemoved(wrong, "not signed by Norvane");

    writeRelease(kRelease, key);
    std::filesystem::remove(work.file("Dilato_Version.htm.sig"));
    InstallModel missing = model(key.publicKey());
    EXPECT_FALSE(yes(missing));
    expectRefusedAndRemoved(missing, "has no signature");

    writeRelease(kRelease, key);
    InstallModel noKey = model(std::nullopt);
    EXPECT_FALSE(yes(noKey));
    expectRefusedAndRemoved(noKey, "carries no update key");

    // The archive swapped for another after the download.
    writeRelease(kRelease, key);
    ASSERT_TRUE(MakeZip(work.file("Dilato140.zip"), {{"dilato_1.4.0_amd64.deb", "foreign"}}));
    InstallModel swapped = model(key.publicKey());
    EXPECT_FALSE(yes(swapped));
    expectRefusedAndRemoved(swapped, "not signed by Norvane");
}

TEST_F(InstallConfirmation, SignedButHostileArchiveIsRefusedToo) {
    writeRelease({{"dilato_1.4.0_amd64.deb", "x"}, {"../../escape.sh", "x"}}, key);
    InstallModel m = model(key.publicKey());
    EXPECT_FALSE(yes(m));
    expectRefusedAndRemoved(m, "points outside");
    EXPECT_FALSE(std::filesystem::exists(work.path() + "../escape.sh"));

    writeRelease({{"readme.txt", "no package here"}}, key);
    InstallModel noPackage = model(key.publicKey());
    EXPECT_FALSE(yes(noPackage));
    expectRefusedAndRemoved(noPackage, "holds no Dilato package");
}

TEST_F(InstallConfirmation, CloseRemovesOnlyTheDownloads) {
    writeRelease(kRelease, key);
    work.write("Setup.log", "kept");
    InstallModel m = model(key.publicKey());
    m.pressClose();
    EXPECT_TRUE(m.closed);
    EXPECT_FALSE(m.Updating);
    EXPECT_EQ(ListFiles(work.path()), (std::vector<std::string>{"Setup.log", "notes.txt"}));
}

} // namespace
} // namespace dilato
