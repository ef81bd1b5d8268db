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

#include <QMessageBox>

#include <chrono>
#include <functional>
#include <ostream>
#include <vector>

class QLineEdit;
class QPushButton;

// Texts in test failures read as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace dilato::test {

class TempFolder;

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
// A click into the field, then the text typed key by key.
void Type(QWidget* field, const QString& text);
// Replaces a field's text as an operator does: select all, type, and Return when asked.
void Retype(QLineEdit* field, const QString& text, bool enter = false);
// The named button among all windows (nullptr when none is shown).
[[nodiscard]] QPushButton* Button(const char* name);
// The Test tab's three stage lights ("green green yellow") and its status text.
[[nodiscard]] QString Lights();
[[nodiscard]] QString Status();
// Whether the termination question is open, and its notes (0, 1).
[[nodiscard]] bool QuestionShown();
[[nodiscard]] QString QuestionNote(int i);
// A desktop, under `dir`, on which a program is registered for PDF files.
void RegisterPdfViewer(const TempFolder& dir);
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
    // The button that answers a box ("title: text"); NoButton: its default button.
    std::function<QMessageBox::StandardButton(const QString&)> answer;
    // Whether the warnings window is answered (ticking every statement, then Continue).
    bool answerWarnings = true;
    // Whether the COM settings window is answered with OK (the ports as they are).
    bool answerComSettings = false;

    // Notes the Test tab's status text and lights when they changed.
    void NoteLooks();
    // Runs `act` once, the first time `ready` holds on one of the robot's looks. The looks go
    // on inside every event loop, including those of the program's own waits, so an action
    // can land in the middle of a wait as an operator's click would.
    void When(std::function<bool()> ready, std::function<void()> act);
    // Whether every action given to When() has run.
    [[nodiscard]] bool actionsDone() const { return actions_.empty(); }

  private:
    void Look();
    struct Action {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    std::vector<Action> actions_;
    QTimer timer_;
    bool acting_ = false; // an answer is on its way
    std::chrono::steady_clock::time_point last_;
};

} // namespace dilato::test
