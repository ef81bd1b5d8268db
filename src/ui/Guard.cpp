#include "ui/Guard.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>

namespace dilato::ui {

namespace {
constexpr const char* kEndingProperty = "dilatoEnding";
constexpr const char* kExitCodeProperty = "dilatoExitCode";
} // namespace

void EndApplication(const ProgramEnd& end) {
    if (!end.reason.empty())
        std::fprintf(stderr, "dilato: the program ends: %s\n", end.reason.c_str());
    qApp->setProperty(kEndingProperty, true);
    qApp->setProperty(kExitCodeProperty, end.exitCode);
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    QCoreApplication::exit(end.exitCode);
}

bool ApplicationEnding() {
    return qApp && qApp->property(kEndingProperty).toBool();
}

} // namespace dilato::ui

namespace dilato::ui {

int ApplicationExitCode() {
    return qApp ? qApp->property(kExitCodeProperty).toInt() : 0;
}

void ResetEnding() {
    if (qApp) qApp->setProperty(kEndingProperty, false);
}

void ContinueEnding() {
    if (ApplicationEnding()) throw ProgramEnd{ApplicationExitCode(), {}};
}

} // namespace dilato::ui
