#pragma once
// Named points where a test may have the program killed, to prove that a crash at exactly
// that moment loses nothing. Armed only by the environment variable DILATO_KILL_AT
// ("name" or "name:N" for the N-th time the point is reached); without it a point costs a
// comparison and does nothing.

#include <string_view>

namespace dilato {

// True when the armed point is reached for its N-th time: the caller then does the part of
// its work that a crash would leave half done and calls KillNow().
[[nodiscard]] bool KillPointDue(std::string_view name);
// Ends the process at once with SIGKILL, as a power cut would (no clean-up, no flush).
[[noreturn]] void KillNow();
// Both in one: the process dies here when the point is due.
void KillPoint(std::string_view name);

} // namespace dilato
