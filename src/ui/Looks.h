#pragma once
// The program's look, shared by the main window and its dialogs: the font (Cambria where
// installed, else the metric-compatible Caladea), the two looks of a button (enabled: dark
// tint, white caption; disabled: pale tint, grey caption), the stage light colours and the
// live-reading field colours.

#include "core/MainWindowModel.h"

#include <QColor>
#include <QString>

class QApplication;
class QLabel;
class QPushButton;
class QWidget;

namespace dilato::ui {

// Sets the application's font and style sheet.
void ApplyLooks(QApplication& app);
// The family the program uses on this machine.
[[nodiscard]] QString ProgramFontFamily();

[[nodiscard]] QColor LightColour(Light light);
// Shows a stage light; the light's name is kept in the widget's "light" property.
void ShowLight(QLabel& shape, Light light);
// The live-reading field colours: light yellow while a test runs, light grey otherwise. A
// reading its instrument did not give in the latest read cycle (`stale`) keeps the colour and
// shows its text dark red and in italics, with a tip saying why; the field's "stale" property
// carries the mark.
void ShowTestDataLook(QWidget& field, bool enabled, bool stale = false);
// A button with the program's look.
[[nodiscard]] QPushButton* MakeButton(const QString& caption, const QString& name, QWidget* parent);
// The width a dialog needs for its whole title to show in a window manager's title bar.
inline constexpr int kTitleBarExtras = 160;
[[nodiscard]] int TitleRoom(const QString& title);
// A " ?" help button.
[[nodiscard]] QPushButton* MakeHelpButton(const QString& name, QWidget* parent);

} // namespace dilato::ui
