#pragma once
// The "Test" tab: data folder and file, sample ID and length, the live readings, the three
// stage lights, the status text, Start, Stop, Browse Data, About and help. The widgets carry
// the names the operator's manual uses (DataFolderCombo, SonicClickStartBtn, ...).

#include "ui/MainTab.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dilato {
class TestTabControl;
}

namespace dilato::ui {

class TestTab final : public MainTab {
  public:
    TestTab(TabContext context, TestTabControl& control, QWidget* parent = nullptr);

    void refresh() override;
    // The About button's action (the main window owns the About box).
    void setOnAbout(std::function<void()> onAbout) { onAbout_ = std::move(onAbout); }
    // The "Out-of-Calibration" label (the calibration is due).
    void setOutOfCalibrationVisible(bool visible);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildFileFrame(QWidget* frame);
    void BuildTestParameters(QWidget* frame);
    void BuildTestData(QWidget* frame);
    void Connect();
    void BrowseData();
    void SampleLengthEdited(const QString& typed);
    void ShowChoices(QComboBox& box, const std::vector<std::string>& items, int selected,
                     const std::string& text, std::vector<std::string>& shown);

    TestTabControl& control_;
    std::function<void()> onAbout_;
    QComboBox* folderCombo_ = nullptr;
    QComboBox* fileCombo_ = nullptr;
    QLineEdit* sampleId_ = nullptr;
    QLineEdit* nextTemp_ = nullptr;
    QLineEdit* length_ = nullptr;
    QComboBox* materialClass_ = nullptr;
    QComboBox* reference_ = nullptr;
    QLabel* referenceWarning_ = nullptr;
    QLabel* lengthLabel_ = nullptr;
    QLabel* lengthUnits_ = nullptr;
    QLabel* indicatorUnits_ = nullptr;
    std::array<QLineEdit*, 3> testData_{};
    QLineEdit* slope_ = nullptr;
    QLineEdit* elapsed_ = nullptr;
    std::array<QLabel*, 3> lights_{};
    QLabel* status_ = nullptr;
    QLabel* initializing_ = nullptr;
    QLabel* outOfCalibration_ = nullptr;
    QLabel* startNote_ = nullptr; // why Start is off
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* about_ = nullptr;
    QPushButton* help_ = nullptr;
    std::vector<std::string> shownFolders_, shownFiles_;
    std::string lengthBefore_;
    bool choosingFolder_ = false; // a folder choice is being handled (its message is open)
};

} // namespace dilato::ui
