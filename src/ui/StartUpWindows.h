#pragma once
// The two start-up windows that ask the operator something: the operation mode (password)
// and the operational warnings. Their rules live in core/StartUpForms; these windows show
// them and forward the operator's typing and buttons.

#include "core/StartUp.h"
#include "core/StartUpModels.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace dilato::ui {

class HelpViewer;

// `frmEnterPassword`; exec() returns when a button was pressed or the window was closed.
class PasswordWindow final : public QDialog {
  public:
    PasswordWindow(PasswordModel& form, HelpViewer& help, QWidget* parent = nullptr);
    // The full-operation flag the operator's choice gives (closing the window: limited).
    [[nodiscard]] bool fullOperation() const { return fullOperation_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    PasswordModel& form_;
    QLineEdit* password_ = nullptr;
    bool fullOperation_ = false;
};

// `frmSystemWarnings`; the heading blinks every 700 ms.
class WarningsWindow final : public QDialog {
  public:
    WarningsWindow(WarningsModel& form, HelpViewer& help, QWidget* parent = nullptr);
    // How the window was closed: Continue (Button) or any other way.
    [[nodiscard]] DialogClose closedBy() const { return closedBy_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    WarningsModel& form_;
    QLabel* heading_ = nullptr;
    std::array<QCheckBox*, kWarningCount> checks_{};
    QCheckBox* dontShowAgain_ = nullptr;
    QTimer* blink_ = nullptr;
    DialogClose closedBy_ = DialogClose::OtherMeans;
};

inline constexpr int kWarningBlinkMs = 700;

} // namespace dilato::ui
