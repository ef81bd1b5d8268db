#pragma once
// Runs a program by its absolute path with an environment of our own making (nothing of the
// caller's environment passes) and collects what it writes. For the administrator's update
// helper, which must not let a caller's PATH or variables choose what root runs.

#include <string>
#include <vector>

namespace dilato {

struct ChildResult {
    bool started = false;
    int exitCode = -1;   // -1 when it did not end normally
    std::string output;  // standard output and error together
};

// argv[0] is the absolute path of the program.
[[nodiscard]] ChildResult RunChild(const std::vector<std::string>& argv,
                                   const std::vector<std::string>& environment);

// The environment the helper gives every program it runs.
[[nodiscard]] const std::vector<std::string>& CleanEnvironment();

} // namespace dilato
