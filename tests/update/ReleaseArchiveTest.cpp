// The release pipeline into the program: the signing tool and the archive script make what
// the program accepts, and a stranger's key is refused.

#include "platform/Files.h"
#include "platform/TextFile.h"
#include "support/TempFolder.h"
#include "update/SafeExtract.h"
#include "update/Signature.h"
#include "update/VersionText.h"

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

    folder.write("dilato_1.4.0_amd64.deb", "a package");
    ASSERT_TRUE(RunTool(DILATO_SOURCE_DIR "/scripts/update/make-update-archive",
                    {"1.4.0", "dilato_1.4.0_amd64.deb", "release.key", "out"}, here));

    const auto versionFile = ReadFileBytes(folder.path() + "out/versions/Dilato_Version.htm");
    ASSERT_TRUE(versionFile);
    EXPECT_EQ(CheckVersionFile(*versionFile, "1.3.7").verdict, VersionVerdict::Newer);

    const std::string archive = folder.path() + "out/downloads/" + ArchiveName("1.4.0");
    EXPECT_EQ(VerifyArchive(archive, archive + ".sig", key), SignatureCheck::Valid);
    const auto stranger = PublicKeyFromHex(std::string(63, '1') + "0");
    EXPECT_NE(VerifyArchive(archive, archive + ".sig", stranger), SignatureCheck::Valid);

    const std::string work = folder.path() + "out/downloads/";
    const ExtractResult result = ExtractFlat(archive, work, {}, "Setup.sh");
    ASSERT_TRUE(result.ok) << result.message;
    EXPECT_EQ(folder.read("out/downloads/dilato_1.4.0_amd64.deb"), "a package");
    EXPECT_NE(folder.read("out/downloads/Setup.sh").find("apt-get install"), std::string::npos);
}

} // namespace
} // namespace dilato
