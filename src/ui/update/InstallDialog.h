#pragma once
// The installation confirmation: shows an InstallModel, runs its "Yes" in two halves (so the
// banner is painted before the work) and its pause before the hand-over.

#include "update/InstallModel.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace dilato {

class InstallDialog final : public QDialog {
  public:
    explicit InstallDialog(InstallModel& model, QWidget* parent = nullptr);

    void refresh();
    QLabel* bannerLabel() const { return banner_; }
    QPushButton* yesButton() const { return yes_; }
    QPushButton* closeButton() const { return close_; }

  protected:
    void reject() override;

  private:
    void install();

    InstallModel& model_;
    QLabel* banner_;
    QPushButton* yes_;
    QPushButton* close_;
};

} // namespace dilato
