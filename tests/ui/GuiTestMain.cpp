// The window tests' main: a QApplication with the program's looks on a screen of 1920 x 1080
// (offscreen unless a display is given), then the tests.

#include "WindowRobot.h"

#include "ui/Looks.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    dilato::test::UseScreenSize(qEnvironmentVariableIntValue("DILATO_SCREEN_WIDTH") > 0
                                    ? qEnvironmentVariableIntValue("DILATO_SCREEN_WIDTH")
                                    : 1920,
                                qEnvironmentVariableIntValue("DILATO_SCREEN_HEIGHT") > 0
                                    ? qEnvironmentVariableIntValue("DILATO_SCREEN_HEIGHT")
                                    : 1080);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    dilato::ui::ApplyLooks(app);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
