#pragma once
// `frmGrSimpleSaveOptions`: the modal "Graph Save Options" dialog over GraphSaveOptions.

#include "ui/plot/GraphSaveOptions.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace dilato {

class frmGrSimpleSaveOptions final : public QDialog, public GraphSaveDialog {
  public:
    frmGrSimpleSaveOptions(Operator& op, QWidget* owner);

    const GraphSaveOptions& Show(const std::string& fileName) override;

    [[nodiscard]] GraphSaveOptions& options() { return options_; }
    // The OK button's work, also for tests: true when the dialog closed.
    bool ClickOk();
    void ClickCancel();

  private:
    void ToWidgets();

    Operator& op_;
    GraphSaveOptions options_;
    QLineEdit* txtBoxFileName_;
    QRadioButton* optImgType_[2];
    QCheckBox* chkBoxNegativeImage_;
};

} // namespace dilato
