// The start-up windows that decide something: the password and the operational warnings.

#include "core/SettingsFile.h"
#include "core/StartUpModels.h"
#include "platform/IniFile.h"
#include "platform/VirtualClock.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace dilato {
namespace {

TEST(PasswordModel, RefusesBlanksAndGivesFullOperationOnlyForThePassword) {
    test::RecordingOperator op;
    PasswordModel form("s3cret", op);
    EXPECT_EQ(form.Edited("s3c"), "s3c");
    EXPECT_EQ(form.Edited("s3 c"), "");
    EXPECT_EQ(op.last().text, "No spaces allowed in Password");
    EXPECT_EQ(op.last().icon, MessageIcon::Critical);
    EXPECT_TRUE(form.FullOperation("s3cret"));
    EXPECT_EQ(op.messages.size(), 1u);
    EXPECT_FALSE(form.FullOperation("S3cret"));
    EXPECT_EQ(op.last().text, "Tester in Limited Operation Mode");
    EXPECT_EQ(op.last().title, "Incorrect Password");
    EXPECT_FALSE(PasswordModel::LimitedOperation());
}

TEST(WarningsModel, EveryStatementMustBeAcknowledged) {
    test::TempFolder dir;
    dir.write("app/Sounds/Boing.wav", "RIFF");
    dir.write("sys/Dilato.ini", "[General]\r\n");
    VirtualClock clock;
    test::RecordingOperator op;
    Folders folders(dir.path() + "app/", dir.path() + "sys/");
    SettingsFile settings(folders, clock, op);
    settings.showSystemWarnings = true;
    WarningsModel form(settings, op, folders.AppFolder);
    std::array<bool, kWarningCount> ticked{true, true, true, true, true, false};
    EXPECT_FALSE(form.Continue(ticked, true));
    EXPECT_EQ(op.last().text, "You must acknowledge all warnings before continuing!");
    EXPECT_EQ(op.last().title, "Warning Acknowledgement Error");
    EXPECT_EQ(op.sounds, std::vector<std::string>{folders.AppFolder + "Sounds/Boing.wav"});
    EXPECT_TRUE(settings.showSystemWarnings);
    ticked.back() = true;
    EXPECT_TRUE(form.Continue(ticked, false));
    EXPECT_TRUE(settings.showSystemWarnings) << "shown again next time";
    EXPECT_TRUE(form.Continue(ticked, true));
    EXPECT_FALSE(settings.showSystemWarnings);
    EXPECT_EQ(ReadIniValue(settings.FileName(), "General", "SystemWarnings"), "False");
    for (const char* statement : kOperationalWarnings)
        EXPECT_GT(std::string(statement).size(), 40u);
}

} // namespace
} // namespace dilato
