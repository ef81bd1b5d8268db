// The help window shows the topic asked for, falls back to the contents for a number the
// manual does not know, and says where it looked when the manual is missing.
#include "ui/HelpWindow.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QUrl>

using namespace dilato::ui;

namespace {

class HelpWindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_help";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) app_ = new QApplication(argc, argv);
    }
    static inline QApplication* app_ = nullptr;
};

QString PageOf(const QUrl& url) { return QFileInfo(url.toLocalFile()).fileName(); }

} // namespace

TEST_F(HelpWindowTest, ShowsTheTopicOfEachContextNumberAndBringsTheWindowUp) {
    HelpWindow window(DILATO_PROGRAM_FOLDER);
    window.showTopic(help::TestTab);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(PageOf(window.currentSource()), "test-tab.html");
    EXPECT_EQ(window.currentSource().fragment(), "test-tab");
    EXPECT_TRUE(window.currentText().contains("Starting Sample Length"));

    window.showTopic(help::ComPorts);
    EXPECT_EQ(PageOf(window.currentSource()), "instruments.html");
    EXPECT_EQ(window.currentSource().fragment(), "com-ports");

    window.showTopic(help::Main);
    EXPECT_EQ(PageOf(window.currentSource()), "index.html");
    EXPECT_TRUE(window.currentText().contains("The main window"));
}

TEST_F(HelpWindowTest, TheWindowFitsOnTheScreen) {
    HelpWindow window(DILATO_PROGRAM_FOLDER);
    window.showTopic(help::TestTab);
    const QRect room = window.screen()->availableGeometry();
    EXPECT_LE(window.height() + 48, room.height()) << "with room for a title bar";
    EXPECT_LE(window.width(), room.width());
    EXPECT_TRUE(room.contains(window.geometry())) << window.geometry().y();
}

TEST_F(HelpWindowTest, AnUnknownContextNumberShowsTheContents) {
    HelpWindow window(DILATO_PROGRAM_FOLDER);
    window.showTopic(help::TestTab);
    window.showTopic(9999);
    EXPECT_EQ(PageOf(window.currentSource()), "index.html");
    EXPECT_EQ(window.currentSource().fragment(), "contents");
}

TEST_F(HelpWindowTest, AMissingManualSaysWhereItWasLookedFor) {
    HelpWindow window("/nonexistent/dilato/");
    window.showTopic(help::TestTab);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.currentText().contains("manual was not found"));
    EXPECT_TRUE(window.currentText().contains("/nonexistent/dilato/Help/"));
}

TEST_F(HelpWindowTest, TheProgramsHelpViewerIsThisWindow) {
    const auto viewer = MakeHelpViewer(DILATO_PROGRAM_FOLDER);
    viewer->showTopic(help::PlottingSetupTab);
    const auto* window = dynamic_cast<const HelpWindow*>(viewer.get());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(PageOf(window->currentSource()), "plotting.html");
    EXPECT_EQ(window->currentSource().fragment(), "plotting-setup-tab");
}
