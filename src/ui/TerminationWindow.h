#pragma once
// `frmTerminateTest`: the question asked when the operator stops a test or closes the
// program. It opens over everything, "No" has the focus, and it holds the rest of the program
// until answered; the answer goes to the logic's answer operation.

#include "core/TerminationDialog.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace dilato {
class Operator;
}

namespace dilato::ui {

class TerminationWindow final : public QDialog, public TerminationDialog {
  public:
    TerminationWindow(Operator& op, QWidget* parent = nullptr);

    // The operator's answer: true for "Yes".
    void setOnAnswer(std::function<void(bool)> onAnswer) { onAnswer_ = std::move(onAnswer); }

    // TerminationDialog
    void open(const TerminationQuestion& question) override;
    void close() override;
    [[nodiscard]] bool isVisible() const override { return QDialog::isVisible(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Answer(bool yes);
    Operator& op_;
    QLabel* query_ = nullptr;
    std::array<QLabel*, 2> notes_{};
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
    std::function<void(bool)> onAnswer_;
};

} // namespace dilato::ui
