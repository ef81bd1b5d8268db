// dilato: the CTE tester's control program with its main window (see GuiUsage()).

#include "GuiProgram.h"

#include "platform/ProgramEnd.h"
#include "platform/Version.h"
#include "ui/Guard.h"
#include "ui/Looks.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    // With TZ unset the C library looks the zone file up again at every local time; the
    // program reads the clock many times a second.
    setenv("TZ", ":/etc/localtime", 0);
    using namespace dilato;
    std::vector<std::string> args(argv + 1, argv + argc);
    gui::GuiOptions options;
    try {
        options = gui::ParseGuiOptions(args);
    } catch (const std::invalid_argument& e) {
        std::cerr << "dilato: " << e.what() << "\n\n" << gui::GuiUsage();
        return 2;
    }
    if (options.help) {
        std::cout << gui::GuiUsage();
        return 0;
    }
    if (options.version) {
        std::cout << "dilato " << kVersionText << std::endl;
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dilato"));
    QApplication::setQuitOnLastWindowClosed(false);
    ui::ApplyLooks(app);
    try {
        gui::GuiProgram program(options);
        if (!program.start()) return 0;
        if (ui::ApplicationEnding()) return ui::ApplicationExitCode();
        return QApplication::exec();
    } catch (const ProgramEnd& end) {
        if (!end.reason.empty())
            std::cerr << "dilato: the program ends: " << end.reason << std::endl;
        return end.exitCode;
    } catch (const std::exception& e) {
        std::cerr << "dilato: " << e.what() << std::endl;
        return 1;
    }
}
