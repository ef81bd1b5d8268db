#pragma once
// `GraphSaveOptionsDialog`: the modal "Graph Save Options" dialog over GraphSaveOptions.

#include "ui/plot/GraphSaveOptions.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace dilato {

class GraphSaveOptionsDialog final : public QDialog, public GraphSaveDialog {
  public:
    GraphSaveOptionsDialog(Operator& op, QWidget* owner);

    const GraphSaveOptions& Show(const std::string& fileName) override;

    [[nodiscard]] GraphSaveOptions& options() { return options_; }
    // The OK button's work, also for tests: true when the dialog closed.
    bool ClickOk();
    void ClickCancel();

  private:
    void ToWidgets();

    Operator& op_;
    GraphSaveOptions options_;
    QLineEdit* fileNameBox_;
    QRadioButton* imageTypeOptions_[2];
    QCheckBox* negativeImageBox_;
};

} // namespace dilato
