#pragma once
// Opens a file or a folder the way Browse Data and the calibration tab do: a folder in the
// desktop's file manager, a file with the program the desktop has for its type (none
// registered: nothing is started).

#include "ui/results/ResultsPorts.h"

namespace dilato {

class DesktopOpener final : public FileOpener {
  public:
    [[nodiscard]] bool Open(const std::string& path) override;
};

} // namespace dilato
