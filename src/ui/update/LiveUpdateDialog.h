#pragma once
// The update control panel: shows a LiveUpdateModel, forwards its two buttons and runs its
// two one-second timers. Closing the window counts as "Cancel".

#include "update/LiveUpdateModel.h"

#include <QDialog>
#include <QTimer>

class QLabel;
class QLineEdit;
class QPushButton;

namespace dilato {

class LiveUpdateDialog final : public QDialog {
  public:
    explicit LiveUpdateDialog(LiveUpdateModel& model, QWidget* parent = nullptr);
    ~LiveUpdateDialog() override;

    // Shows the model's state (the model's `changed` calls it after a transfer).
    void refresh();

    QPushButton* modeButton() const { return mode_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLabel* messageLabel() const { return message_; }
    QLabel* statusPanel() const { return statusPanel_; }
    QLabel* timePanel() const { return timePanel_; }
    QLineEdit* currentVersionField() const { return current_; }
    QLineEdit* updateVersionField() const { return update_; }

  protected:
    void reject() override;

  private:
    LiveUpdateModel& model_;
    QLineEdit* current_;
    QLineEdit* update_;
    QLabel* message_;
    QPushButton* mode_;
    QPushButton* cancel_;
    QLabel* statusPanel_;
    QLabel* timePanel_;
    QTimer statusTimer_;
    QTimer downloadTimer_;
};

} // namespace dilato
