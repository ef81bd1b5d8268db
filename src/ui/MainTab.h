#pragma once
// One page of the main window's tab strip. The window calls the leave step of the page being
// left (which may refuse the switch) and the entry step of the page being entered, and asks
// every page to show the models' state again after each tick and each operator action.

#include "core/MainTabs.h"

#include <QWidget>

namespace dilato {
class Program;
}

namespace dilato::ui {

class HelpViewer;

// What a page may reach: the whole program (its models and logic) and the help window.
struct TabContext {
    Program& program;
    HelpViewer& help;
};

class MainTab : public QWidget {
  public:
    explicit MainTab(TabContext context, QWidget* parent = nullptr)
        : QWidget(parent), context_(context) {}

    // The entry step, after the page became the current one.
    virtual void enterTab() {}
    // The leave step; false refuses the switch and the page stays current.
    [[nodiscard]] virtual bool leaveTab(Tab newTab) {
        (void)newTab;
        return true;
    }
    // Shows the models' state again.
    virtual void refresh() {}

  protected:
    [[nodiscard]] Program& program() const { return context_.program; }
    [[nodiscard]] HelpViewer& help() const { return context_.help; }

  private:
    TabContext context_;
};

} // namespace dilato::ui
