#pragma once
// The "Setup Options" tab: the persistent test options (end-of-test temperature, password,
// units, the batch temperatures with their spin boxes, round trip, reordering, PDF files,
// accuracy, the data store folders) over the Setup Options model.

#include "core/DataStorageOptionsModel.h"
#include "core/SetupOptionsModel.h"
#include "ui/MainTab.h"

#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace dilato::ui {

class SetupOptionsTab final : public MainTab {
  public:
    explicit SetupOptionsTab(TabContext context, QWidget* parent = nullptr);

    void enterTab() override;
    [[nodiscard]] bool leaveTab(Tab newTab) override;
    void refresh() override;

    [[nodiscard]] SetupOptionsModel& model() { return model_; }

  private:
    QWidget* BuildTemperatures();
    QWidget* BuildOptions();
    void Connect();
    // The controls from the model's view, and the model's view from the controls.
    void Show();
    void Take();
    // The options the model takes only on leaving: end temperature, accuracy, round trip,
    // reordering.
    void TakeOptions();

    DataStorageOptionsModel storeOptions_;
    SetupOptionsModel model_;
    std::array<QRadioButton*, 3> endTemp_{};
    std::array<QRadioButton*, 2> units_{};
    std::array<QRadioButton*, 2> accuracy_{};
    QLineEdit* password_ = nullptr;
    QSpinBox* points_ = nullptr;
    std::array<QSpinBox*, kBatchPoints> temps_{};
    std::array<QLabel*, kBatchPoints> labels_{};
    QCheckBox* roundTrip_ = nullptr;
    QCheckBox* reorder_ = nullptr;
    QCheckBox* pdf_ = nullptr;
    QPushButton* dataStore_ = nullptr;
    QPushButton* help_ = nullptr;
    QLabel* serial_ = nullptr;
    QLabel* calibrationDate_ = nullptr;
    bool showing_ = false; // the controls are being loaded: their signals are not the operator's
};

} // namespace dilato::ui
