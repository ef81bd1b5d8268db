#pragma once
// The operator, as the program's logic sees them: message boxes and questions, the busy
// pointer and event sounds. The GUI shows real boxes; the headless runner answers by policy
// and prints; tests script the answers and record every text.

#include <string>
#include <vector>

namespace dilato {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct Message {
    std::string text; // "\n" marks a line break
    std::string title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    int defaultButton = 0; // 0 first button, 1 second, 2 third
    // The buttons' captions in order when they are not the standard ones ("Resume").
    std::vector<std::string> captions = {};
};

// The title a box carries when the situation names none.
inline constexpr const char* kProgramTitle = "Dilato";

class Operator {
  public:
    virtual ~Operator() = default;
    // Shows the message and waits for the answer (modal).
    virtual MessageAnswer show(const Message& message) = 0;
    virtual void setBusyPointer(bool busy) = 0;
    [[nodiscard]] virtual bool busyPointerShown() const = 0;
    // Plays a sound file to its end.
    virtual void playSound(const std::string& path) = 0;
    // Tells the operator something that must not stop the program while it is read (a
    // running test goes on): a box that stays open without holding anything up. Where no
    // such box exists the message is shown as any other.
    virtual void notify(const Message& message) { (void)show(message); }
};

// Convenience: a box with an OK button.
inline void ShowMessage(Operator& op, std::string text, std::string title = kProgramTitle,
                        MessageIcon icon = MessageIcon::None) {
    op.show(Message{std::move(text), std::move(title), icon, MessageButtons::Ok, 0});
}

} // namespace dilato
