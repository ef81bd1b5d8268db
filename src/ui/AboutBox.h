#pragma once
// `frmAbout`: the program's version, the rights notice and the keys of the main window.
// Modeless, owned by the main window; "OK" hides it.

#include <QDialog>

class QLabel;

namespace dilato::ui {

class AboutBox final : public QDialog {
  public:
    explicit AboutBox(QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLabel* version_ = nullptr;
};

} // namespace dilato::ui
