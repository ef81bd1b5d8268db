#pragma once
// The system folder of a headless run (a test or a calibration): chosen by the folder rules,
// owned by this run through its lock, prepared (provisioned when new, cleaned of what a
// killed run left) and its parameter and settings files loaded. Every step prints what it
// did or why the run cannot start.

#include "core/Program.h"
#include "platform/Operator.h"
#include "platform/SystemFolder.h"
#include "platform/SystemFolderLock.h"

#include <iosfwd>
#include <memory>
#include <optional>

namespace dilato::run {

struct RunFolder {
    SystemFolderChoice choice;
    std::unique_ptr<SystemFolderLock> lock; // held for the whole run
};

// The folder and its lock; nullopt (the reason printed) when the run cannot have them.
[[nodiscard]] std::optional<RunFolder> OpenRunFolder(const std::optional<std::string>& option,
                                                     bool simulated, std::ostream& out);

// Prepares the folder and loads the program's files; false (printed) when the run cannot
// start.
[[nodiscard]] bool PrepareAndLoad(Program& p, Operator& op, std::ostream& out);

} // namespace dilato::run
