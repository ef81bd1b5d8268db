#pragma once
// The two things storage needs from the main window: refreshing its data folder list after a
// new data folder was made, and its current progress text, which the test log compares to
// avoid writing the same step start twice. Until the window exists the composition root
// answers with an adapter that does nothing and has no text.

#include <string>

namespace dilato {

class MainWindowPort {
  public:
    virtual ~MainWindowPort() = default;
    virtual void RefreshDataFolderList() = 0;
    [[nodiscard]] virtual std::string CurrentProgressText() const = 0;
};

// The adapter for the time before the main window is shown (and for tools without one).
class NoMainWindow final : public MainWindowPort {
  public:
    void RefreshDataFolderList() override {}
    [[nodiscard]] std::string CurrentProgressText() const override { return {}; }
};

} // namespace dilato
