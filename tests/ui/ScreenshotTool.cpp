// window-screenshots: runs the program on the simulated instruments and saves pictures of the
// main window (Test tab idle and testing, every other tab, the Plotting tab with a stored test
// and with the live plot), the termination and exit questions and the warnings window into
// $DILATO_SCREENSHOTS, for the documentation. A stored test is made first with dilato-run.
// Run it on a display of the size to show; an argument is appended to every picture's name:
//   xvfb-run -s "-screen 0 1366x768x24" window-screenshots
//   xvfb-run -s "-screen 0 1920x1080x24" window-screenshots -1920x1080

#include "GuiProgram.h"
#include "WindowRobot.h"

#include "support/TempFolder.h"
#include "ui/Guard.h"
#include "ui/Looks.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <iostream>

using namespace dilato;
using namespace dilato::test;

namespace {

QString suffix;

// Waits a moment for the pictures to settle, then takes one of the whole screen.
void Shot(const QString& name) {
    QTest::qWait(300);
    Screenshot(nullptr, name + suffix);
    std::cout << "saved " << (name + suffix).toStdString() << std::endl;
}

// A finished test in the data folder "Demo", for the plotting tabs.
bool MakeStoredTest(const std::string& systemFolder) {
    QProcess run;
    run.start(QStringLiteral(DILATO_RUN_PROGRAM),
              {QStringLiteral("--simulate"), QStringLiteral("--system-folder"),
               QString::fromStdString(systemFolder), QStringLiteral("--folder"),
               QStringLiteral("Demo"), QStringLiteral("--test"), QStringLiteral("Copper0"),
               QStringLiteral("--sample-id"), QStringLiteral("Cu bar 2 in"),
               QStringLiteral("--length"), QStringLiteral("2.0")});
    return run.waitForFinished(120000) && run.exitCode() == 0;
}

// The stored test chosen on the Plotting Setup tab for its displacement-temperature plot.
void ChooseStoredTest(QWidget& window) {
    auto* files = Find<QListWidget>(QStringLiteral("LstBoxDirFiles"));
    if (files && files->count() > 0) {
        const QRect item = files->visualItemRect(files->item(0));
        QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
    }
    Click(Button("SonicClickXferRightBtn"));
    for (QRadioButton* type : window.findChildren<QRadioButton*>())
        if (type->text() == QLatin1String("Displacement Versus Temperature")) // on its circle
            QTest::mouseClick(type, Qt::LeftButton, Qt::NoModifier, QPoint(8, type->height() / 2));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::ApplyLooks(app);
    if (argc > 1) suffix = QString::fromLocal8Bit(argv[1]);
    TempFolder dir;
    if (!MakeStoredTest(dir.file("system/"))) std::cerr << "no stored test to plot" << std::endl;
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
        Retype(Find<QComboBox>(QStringLiteral("DataFolderCombo"))->lineEdit(),
               QStringLiteral("Demo"), true);
        Retype(Find<QComboBox>(QStringLiteral("DataFileCombo"))->lineEdit(),
               QStringLiteral("Copper1"));
        Retype(Find<QLineEdit>(QStringLiteral("Comment")), QStringLiteral("Cu bar 2 in"));
        Retype(Find<QLineEdit>(QStringLiteral("TextBoxThickness")), QStringLiteral("2.000"));
        WaitFor([] { return false; }, 1.5);
        Shot(QStringLiteral("test-tab-idle"));
        const char* names[] = {"test", "instr-calibration-tab", "plotting-tab",
                               "plotting-setup-tab", "setup-options-tab"};
        window.tabs().setCurrentIndex(TabIndex(Tab::Calibration));
        Shot(QString::fromLatin1(names[TabIndex(Tab::Calibration)]));
        window.tabs().setCurrentIndex(TabIndex(Tab::PlottingSetup));
        ChooseStoredTest(window);
        Shot(QString::fromLatin1(names[TabIndex(Tab::PlottingSetup)]));
        window.tabs().setCurrentIndex(TabIndex(Tab::Plotting));
        Shot(QString::fromLatin1(names[TabIndex(Tab::Plotting)]));
        window.tabs().setCurrentIndex(TabIndex(Tab::SetupOptions));
        Shot(QString::fromLatin1(names[TabIndex(Tab::SetupOptions)]));
        window.tabs().setCurrentIndex(TabIndex(Tab::Test));
        Click(Find<QPushButton>(QStringLiteral("SonicClickStartBtn")));
        WaitFor([] { return Lights() == QLatin1String("green yellow red"); }, 120);
        Shot(QStringLiteral("test-tab-testing"));
        window.tabs().setCurrentIndex(TabIndex(Tab::Plotting));
        Shot(QStringLiteral("plotting-tab-live"));
        window.tabs().setCurrentIndex(TabIndex(Tab::Test));
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
