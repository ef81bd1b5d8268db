// window-screenshots: runs the program on the simulated instruments and saves pictures of the
// main window (Test tab idle and testing, every other tab), the termination question and the
// warnings window into $DILATO_SCREENSHOTS, for the documentation. Run it on a display of the
// size to show, e.g. xvfb-run -s "-screen 0 1366x768x24" window-screenshots.

#include "GuiProgram.h"
#include "WindowRobot.h"

#include "support/TempFolder.h"
#include "ui/Guard.h"
#include "ui/Looks.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <iostream>

using namespace dilato;
using namespace dilato::test;

namespace {

// Waits a moment for the pictures to settle, then takes one of the whole screen.
void Shot(const QString& name) {
    QTest::qWait(300);
    Screenshot(nullptr, name);
    std::cout << "saved " << name.toStdString() << std::endl;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::ApplyLooks(app);
    TempFolder dir;
    dir.write("xdg/applications/mimeinfo.cache", "[MIME Cache]\napplication/pdf=viewer.desktop;\n");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.file("xdg")));
    WindowRobot robot;
    robot.answerWarnings = false;
    QTimer warnings;
    QObject::connect(&warnings, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != QLatin1String("frmSystemWarnings")) return;
        warnings.stop();
        QTimer::singleShot(0, [&robot] {
            Shot(QStringLiteral("warnings-window"));
            robot.answerWarnings = true;
        });
    });
    warnings.start(50);

    gui::GuiProgram gui(gui::ParseGuiOptions(
        {"--simulate", "--time-scale", "60", "--system-folder", dir.file("system/")}));
    try {
        if (!gui.start()) return 1;
        ui::MainWindow& window = *gui.window();
        Type(Find<QComboBox>(QStringLiteral("DataFolderCombo"))->lineEdit(),
             QStringLiteral("Demo"));
        QTest::keyClick(Find<QComboBox>(QStringLiteral("DataFolderCombo"))->lineEdit(),
                        Qt::Key_Return);
        Type(Find<QComboBox>(QStringLiteral("DataFileCombo"))->lineEdit(),
             QStringLiteral("Copper1"));
        Type(Find<QLineEdit>(QStringLiteral("Comment")), QStringLiteral("Cu bar 2 in"));
        Type(Find<QLineEdit>(QStringLiteral("TextBoxThickness")), QStringLiteral("2.000"));
        WaitFor([] { return false; }, 1.5);
        Shot(QStringLiteral("test-tab-idle"));
        const char* names[] = {"test", "instr-calibration-tab", "plotting-tab",
                               "plotting-setup-tab", "setup-options-tab"};
        for (int t = tab::Calibration; t < kTabCount; ++t) {
            window.tabs().setCurrentIndex(t);
            Shot(QString::fromLatin1(names[t]));
        }
        window.tabs().setCurrentIndex(tab::Test);
        Click(Find<QPushButton>(QStringLiteral("SonicClickStartBtn")));
        WaitFor([] { return Lights() == QLatin1String("green yellow red"); }, 120);
        Shot(QStringLiteral("test-tab-testing"));
        Click(Find<QPushButton>(QStringLiteral("SonicClickStopTestBtn")));
        WaitFor([&] { return gui.termination().QDialog::isVisible(); }, 10);
        Shot(QStringLiteral("termination-question"));
        Click(Find<QPushButton>(QStringLiteral("SonicClickNoBtn")));
        window.close();
        WaitFor([&] { return gui.termination().QDialog::isVisible(); }, 10);
        Shot(QStringLiteral("exit-question"));
        Click(Find<QPushButton>(QStringLiteral("SonicClickYesBtn")));
    } catch (const ProgramEnd&) {
    }
    return ui::ApplicationEnding() ? 0 : 1;
}
