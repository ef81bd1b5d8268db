#pragma once
// The help window, as the rest of the window sees it: F1 and every " ?" button ask for a
// topic of the operator's manual by its context number.

#include <memory>
#include <string>

class QWidget;

namespace dilato::ui {

class HelpViewer {
  public:
    virtual ~HelpViewer() = default;
    virtual void showTopic(int contextNumber) = 0;
};

// The program's help window over the manual in the program folder.
[[nodiscard]] std::unique_ptr<HelpViewer> MakeHelpViewer(const std::string& appFolder,
                                                         QWidget* parent = nullptr);

// Help context numbers of the windows and buttons.
namespace help {
inline constexpr int Main = 10; // F1 anywhere in the main window
inline constexpr int TestTab = 20;
inline constexpr int CalibrationTab = 30;
inline constexpr int PlottingTab = 40;
inline constexpr int PlottingSetupTab = 50;
inline constexpr int SetupOptionsTab = 60;
inline constexpr int Password = 70;
inline constexpr int Warnings = 80;
inline constexpr int PdfViewer = 90;
inline constexpr int RegionalSettings = 100;
inline constexpr int VideoMode = 110;
inline constexpr int ComPorts = 120;
inline constexpr int DataStorageOptions = 130;
inline constexpr int CalibratorTest = 140;
inline constexpr int ResultsTab = 150;
} // namespace help

} // namespace dilato::ui
