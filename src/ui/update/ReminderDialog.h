#pragma once
// The update reminder: shows a ReminderModel and forwards its box and buttons.

#include "update/ReminderModel.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace dilato {

class ReminderDialog final : public QDialog {
  public:
    explicit ReminderDialog(ReminderModel& model, QWidget* parent = nullptr);

    void refresh();
    QCheckBox* remindBox() const { return remind_; }
    QPushButton* yesButton() const { return yes_; }
    QPushButton* closeButton() const { return close_; }

  protected:
    void reject() override;

  private:
    ReminderModel& model_;
    QCheckBox* remind_;
    QPushButton* yes_;
    QPushButton* close_;
};

} // namespace dilato
