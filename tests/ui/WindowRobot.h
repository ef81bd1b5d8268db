#pragma once
// Drives the program's windows the way an operator does: finds widgets by their names,
// clicks and types with QTest, and answers the start-up windows and message boxes that open
// on their own. It also watches the Test tab's status text and stage lights, so that a test
// can check every look the window went through.

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <vector>

class QPushButton;

namespace dilato::test {

// Sets up the offscreen platform with a screen of the given size (other platforms, such as
// an X server, are left as they are). Call before the QApplication is made.
void UseScreenSize(int width, int height);

// The named widget among all windows; nullptr when none is shown.
template <class W> W* Find(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == name)
            if (auto* w = qobject_cast<W*>(top)) return w;
        if (auto* w = top->findChild<W*>(name)) return w;
    }
    return nullptr;
}

// A left click in the middle of the button (it must be visible and enabled to react).
void Click(QWidget* widget);
// Waits, with the event loop running, until `done` holds or `seconds` pass.
bool WaitFor(const std::function<bool()>& done, double seconds);
// Saves a picture of the widget (or of the whole screen when `widget` is null) as
// $DILATO_SCREENSHOTS/name.png when that variable is set.
void Screenshot(QWidget* widget, const QString& name);

class WindowRobot {
  public:
    WindowRobot();
    ~WindowRobot();

    // Every message box text seen, in order ("title: text").
    QStringList boxes;
    // Every distinct status text of the Test tab, in order.
    QStringList statuses;
    // Every distinct set of the three lights ("green green yellow"), in order.
    QStringList lights;
    // The longest time the event loop did not serve the robot's timer.
    std::chrono::milliseconds longestBlock{0};
    // Called with a message box's text before it is answered with its default button.
    std::function<void(const QString&)> onBox;
    // Whether the warnings window is answered (ticking every statement, then Continue).
    bool answerWarnings = true;

    // Notes the Test tab's status text and lights when they changed.
    void NoteLooks();

  private:
    void Look();
    QTimer timer_;
    bool acting_ = false; // an answer is on its way
    std::chrono::steady_clock::time_point last_;
};

} // namespace dilato::test
