#pragma once
// dilato-results: the results store from the command line (see ResultsUsage()).

#include <iosfwd>
#include <string>
#include <vector>

namespace dilato::results_tool {

inline constexpr int kDone = 0;
inline constexpr int kFound = 1; // verify: a file changed or missing; import: a damaged file
inline constexpr int kBadOptions = 2;
inline constexpr int kNoStore = 3;

// Runs the command of `args` (without the program name).
[[nodiscard]] int RunResultsTool(const std::vector<std::string>& args, std::ostream& out,
                                 std::ostream& err);

[[nodiscard]] const char* ResultsUsage();

} // namespace dilato::results_tool
