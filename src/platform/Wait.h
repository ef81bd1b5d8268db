#pragma once
// WaitSeconds: waits to a deadline rounded to whole seconds since midnight (modulo a day)
// while the program stays responsive. The rounding makes short waits coarse: 0.2 s or 0.5 s
// ends at the next whole second the rounding gives, which may be at once or about a second
// later. A deadline just after midnight is waited for correctly from just before it: a time
// at or past the deadline by no more than 80000 s counts as reached.

#include "platform/Clock.h"

namespace dilato {

void WaitSeconds(Clock& clock, double seconds);

// The same waits inside an instrument exchange, through Clock::pause: nothing of the program
// runs meanwhile. PauseSeconds rounds its deadline as WaitSeconds does; PauseUntil waits for a
// deadline in whole seconds since midnight and returns as soon as `ready` holds (true) or the
// deadline is reached (false, unless `ready` holds then).
void PauseSeconds(Clock& clock, double seconds);
bool PauseUntil(Clock& clock, long deadline, const std::function<bool()>& ready);

// The deadline WaitSeconds uses, in whole seconds since midnight (0 to 86399).
[[nodiscard]] long WaitDeadline(double secondsSinceMidnight, double seconds);
// Whether `now` counts as having reached `deadline` (both in seconds since midnight).
[[nodiscard]] bool DeadlineReached(double now, long deadline);

} // namespace dilato
