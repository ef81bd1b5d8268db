#include "ui/Looks.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace dilato::ui {

namespace {
// Enabled: tint brightness 20 with a white caption; disabled: brightness 50, grey caption.
constexpr const char* kStyleSheet = R"(
QPushButton { background-color: #2a4a6e; color: #ffffff; border: 1px solid #1b3048;
              border-radius: 4px; padding: 4px 14px; min-height: 22px; }
QPushButton:hover { background-color: #34598a; }
QPushButton:pressed { background-color: #1b3048; }
QPushButton:disabled { background-color: #8ea4bd; color: #808080; border-color: #8ea4bd; }
QPushButton:focus { border: 2px solid #f0c040; }
QLabel#TestStatus0, QLabel#TestStatus1 { font-size: 15pt; font-weight: bold; color: #1b3048; }
QLabel#OutOfCalib { color: #c00000; font-weight: bold; }
QLabel#LabelTempInit { color: #c00000; font-weight: bold; }
)";
} // namespace

QString ProgramFontFamily() {
    const QStringList families = QFontDatabase::families();
    if (families.contains(QStringLiteral("Cambria"))) return QStringLiteral("Cambria");
    if (families.contains(QStringLiteral("Caladea"))) return QStringLiteral("Caladea");
    return QApplication::font().family();
}

void ApplyLooks(QApplication& app) {
    QFont font(ProgramFontFamily());
    font.setPointSize(10);
    app.setFont(font);
    app.setStyleSheet(QString::fromLatin1(kStyleSheet));
}

QColor LightColour(Light light) {
    switch (light) {
    case Light::Red:
        return QColor(0xFF, 0x00, 0x00);
    case Light::Yellow:
        return QColor(0xFF, 0xFF, 0x00);
    case Light::Green:
        return QColor(0x00, 0xFF, 0x00);
    }
    return Qt::gray;
}

void ShowLight(QLabel& shape, Light light) {
    const char* name = light == Light::Red ? "red" : light == Light::Yellow ? "yellow" : "green";
    if (shape.property("light").toString() == QLatin1String(name)) return;
    shape.setProperty("light", QString::fromLatin1(name));
    shape.setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid #404040; "
                                       "border-radius: 12px;")
                            .arg(LightColour(light).name()));
}

void ShowTestDataLook(QWidget& field, bool enabled, bool stale) {
    QString sheet = enabled ? QStringLiteral("background-color: #FFFFC0;")
                            : QStringLiteral("background-color: #E0E0E0;");
    if (stale) sheet += QStringLiteral(" color: #A00000;");
    if (field.styleSheet() != sheet) field.setStyleSheet(sheet);
    if (field.property("stale").toBool() == stale) return;
    field.setProperty("stale", stale);
    QFont font = field.font();
    font.setItalic(stale);
    field.setFont(font);
    field.setToolTip(stale ? QStringLiteral("No reading in the latest read cycle: the value "
                                            "shown is an older one.")
                           : QString());
}

QPushButton* MakeButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

int TitleRoom(const QString& title) {
    // The window manager's title font is not known here: a bold one a little larger than the
    // program's, plus the icon and the three buttons of a title bar.
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarExtras;
}

QPushButton* MakeHelpButton(const QString& name, QWidget* parent) {
    auto* button = MakeButton(QStringLiteral(" ?"), name, parent);
    button->setToolTip(QStringLiteral("Help"));
    return button;
}

} // namespace dilato::ui
