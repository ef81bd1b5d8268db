// The release pipeline into the program: the signing tool and the archive script make the
// signed manifest and archive the program and its helper accept, and a stranger's key is
// refused.

#include "platform/Files.h"
#include "platform/TextFile.h"
#include "support/TempFolder.h"
#include "update/SafeExtract.h"
#include "update/Signature.h"
#include "update/VerifiedRelease.h"
#include "update/VersionText.h"

#include "UpdateTestKit.h"
#include <filesystem>

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace dilato {
namespace {

// Runs a program to its end; its standard output, or nullopt when it failed.
std::optional<std::string> RunTool(const QString& program, const QStringList& arguments,
                               const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DILATO_SIGN", DILATO_SIGN_TOOL);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << ": " << process.readAllStandardError().toStdString();
        return std::nullopt;
    }
    return process.readAllStandardOutput().trimmed().toStdString();
}

TEST(ReleaseArchive, ScriptAndSigningToolMakeWhatTheProgramAccepts) {
    test::TempFolder folder;
    const QString here = QString::fromStdString(folder.path());
    const auto publicHex = RunTool(DILATO_SIGN_TOOL, {"keygen", "release.key"}, here);
    ASSERT_TRUE(publicHex);
    const auto key = PublicKeyFromHex(*publicHex);
    ASSERT_TRUE(key) << *publicHex;
    // The secret key is for its owner alone.
    EXPECT_EQ(QFile::permissions(here + "release.key") & 0x0077, 0);
    // keygen never overwrites a key.
    QProcess again;
    again.setWorkingDirectory(here);
    again.start(DILATO_SIGN_TOOL, {"keygen", "release.key"});
    ASSERT_TRUE(again.waitForFinished(10000));
    EXPECT_NE(again.exitCode(), 0);

    ASSERT_TRUE(test::MakeDeb(folder.file("dilato_1.4.0_amd64.deb"), "dilato", "1.4.0", "a package"));
    ASSERT_TRUE(RunTool(DILATO_SOURCE_DIR "/scripts/update/make-update-archive",
                    {"1.4.0", "dilato_1.4.0_amd64.deb", "release.key", "out", "30"}, here));

    const auto versionFile = ReadFileBytes(folder.path() + "out/versions/Dilato_Version.htm");
    ASSERT_TRUE(versionFile);
    EXPECT_EQ(CheckVersionFile(*versionFile, "1.3.7").verdict, VersionVerdict::Newer);

    // The manifest, the archive and its package are what the program and the helper accept.
    const std::string downloads = folder.path() + "out/downloads/";
    const std::string versions = folder.path() + "out/versions/";
    std::filesystem::copy_file(versions + "Dilato_Version.htm", downloads + "Dilato_Version.htm");
    std::filesystem::copy_file(versions + "Dilato_Version.htm.sig", downloads + "Dilato_Version.htm.sig");
    const VerifiedRelease release = LoadVerifiedRelease(downloads, key, "1.3.7", TodayUtc());
    ASSERT_TRUE(release.ok) << release.problem;
    EXPECT_EQ(release.manifest.version, "1.4.0");
    EXPECT_EQ(release.manifest.released, TodayUtc());
    EXPECT_LT(release.manifest.released, release.manifest.expires);
    EXPECT_EQ(LoadVerifiedRelease(downloads, key, "1.3.7", release.manifest.expires).refusal, ReleaseRefusal::None);
    // A package that is not the version given is refused before anything is signed.
    QProcess wrong;
    wrong.setWorkingDirectory(here);
    wrong.start(DILATO_SOURCE_DIR "/scripts/update/make-update-archive",
                {"1.5.0", "dilato_1.4.0_amd64.deb", "release.key", "out2"});
    ASSERT_TRUE(wrong.waitForFinished(30000));
    EXPECT_NE(wrong.exitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder.path() + "out2/versions/Dilato_Version.htm"));

    const std::string archive = folder.path() + "out/downloads/" + ArchiveName("1.4.0");
    EXPECT_EQ(VerifyArchive(archive, archive + ".sig", key), SignatureCheck::Valid);
    const auto stranger = PublicKeyFromHex(std::string(63, '1') + "0");
    EXPECT_NE(VerifyArchive(archive, archive + ".sig", stranger), SignatureCheck::Valid);

    const std::string work = folder.path() + "out/downloads/";
    const ExtractResult result = ExtractFlat(archive, work, {}, "Setup.sh");
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(folder.read("out/downloads/dilato_1.4.0_amd64.deb"), folder.read("dilato_1.4.0_amd64.deb"));
    EXPECT_NE(folder.read("out/downloads/Setup.sh").find("apt-get install"), std::string::npos);
}

} // namespace
} // namespace dilato
