#pragma once
// The Results tab's parts: the model over the program's results store, its two charts, the
// desktop that opens files, and the page of widgets. The main window hosts the page in its
// tab control and runs the entry step on its tab switch.

#include "ui/results/DesktopOpener.h"
#include "ui/results/ResultsChart.h"
#include "ui/results/ResultsPage.h"
#include "ui/results/ResultsTabModel.h"

#include <QPointer>

#include <functional>
#include <memory>

namespace dilato {

struct ResultsTabServices {
    std::function<results::StoreConnection*()> store; // the store in use; nullptr: none
    Operator& op;
    std::function<std::string()> exportFolder;
    Clock& clock;
    std::string fontsFolder; // the report's font metrics
};

class ResultsTabs {
  public:
    explicit ResultsTabs(const ResultsTabServices& services);
    ~ResultsTabs();

    [[nodiscard]] ResultsTabModel& model() { return *model_; }
    [[nodiscard]] ResultsPage& page() { return *page_; }
    [[nodiscard]] ResultsChart& overlayChart() { return *overlay_; }
    [[nodiscard]] ResultsChart& alphaChart() { return *alpha_; }
    // Where files are opened (the desktop unless a test puts its own in).
    void setOpener(FileOpener& opener) { opener_ = &opener; }
    // Where the report's font metrics are (the program folder's unless a test names another).
    void setFontsFolder(std::string folder) { fontsFolder_ = std::move(folder); }

    void Enter();

  private:
    // Forwards to the opener in use, so that a test may swap it after the model is made.
    class OpenerSwitch final : public FileOpener {
      public:
        explicit OpenerSwitch(ResultsTabs& tabs) : tabs_(tabs) {}
        bool Open(const std::string& path) override { return tabs_.opener_->Open(path); }

      private:
        ResultsTabs& tabs_;
    };

    std::string fontsFolder_;
    StoreResultsSource source_;
    DesktopOpener desktop_;
    FileOpener* opener_ = &desktop_;
    OpenerSwitch switch_{*this};
    std::unique_ptr<ResultsChart> overlay_, alpha_;
    std::unique_ptr<ResultsTabModel> model_;
    QPointer<ResultsPage> page_; // belongs to the window once it hosts it
};

} // namespace dilato
