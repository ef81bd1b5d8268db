#pragma once
// The main window: the five-tab strip, the four-panel status bar and the window title. It
// shows what the program's models say and forwards the operator's events; it decides
// nothing itself.

#include "core/TabStrip.h"
#include "core/TestTabControl.h"
#include "ui/MainTab.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QTabWidget;
class QTimer;

namespace dilato {
class PlotTabs;
class PlotSink;
class ResultsTabs;
}

namespace dilato::ui {

class AboutBox;
class TestTab;

class MainWindow final : public QMainWindow {
  public:
    MainWindow(Program& program, HelpViewer& help, Operator& op, Clock& clock,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] QTabWidget& tabs() const { return *tabs_; }
    [[nodiscard]] MainTab& page(Tab tab) const {
        return *pages_.at(static_cast<size_t>(TabIndex(tab)));
    }
    [[nodiscard]] TabStrip& tabStrip() { return tabStrip_; }
    [[nodiscard]] TestTabControl& testTabControl() { return testControl_; }
    [[nodiscard]] PlotTabs& plotTabs() { return *plots_; }
    [[nodiscard]] ResultsTabs& resultsTabs() { return *results_; }

    // What a close request does (the exit question); the window itself always stays open.
    void setOnCloseRequest(std::function<void()> onClose) { onClose_ = std::move(onClose); }
    // Lets the window close for good (at the program's end).
    void allowClose() { closeAllowed_ = true; }

    // Shows the models' state again (after every tick, a few times a second and after each
    // action).
    void refresh();
    // Called after each refresh (a test watches the looks the window goes through).
    void setAfterRefresh(std::function<void()> after) { afterRefresh_ = std::move(after); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void TabChanged(int index);
    void FitToScreen();
    void ShowStatusBar();

    Program& program_;
    HelpViewer& help_;
    TabStrip tabStrip_;
    TestTabControl testControl_;
    QTabWidget* tabs_ = nullptr;
    std::unique_ptr<PlotTabs> plots_; // the Plotting and Plotting Setup tabs' model and chart
    std::unique_ptr<PlotSink> plotSink_; // the plots among the result sinks
    std::unique_ptr<ResultsTabs> results_; // the Results tab's model and charts
    TestTab* testTab_ = nullptr;
    std::array<MainTab*, kTabCount> pages_{};
    std::array<QLabel*, 4> panels_{};
    QTimer* refreshTimer_ = nullptr;
    AboutBox* about_ = nullptr;
    Tab currentTab_ = Tab::Test;
    std::function<void()> onClose_;
    std::function<void()> afterRefresh_;
    bool closeAllowed_ = false;
};

} // namespace dilato::ui
