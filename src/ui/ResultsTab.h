#pragma once
// The "Results" tab: the tests of the results store, laid over each other, with α(T) and the
// statistics of a batch.

#include "ui/MainTab.h"

namespace dilato {
class ResultsTabs;
}

namespace dilato::ui {

class ResultsTab final : public MainTab {
  public:
    ResultsTab(TabContext context, ResultsTabs& results, QWidget* parent = nullptr);

    void enterTab() override;
    void refresh() override;

  private:
    ResultsTabs& results_;
};

} // namespace dilato::ui
