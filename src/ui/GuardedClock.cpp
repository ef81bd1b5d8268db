#include "ui/GuardedClock.h"

#include "ui/Guard.h"

namespace dilato::ui {

TimerId GuardedClock::startTimer(double intervalSeconds, std::function<void()> onTimeout) {
    return inner_.startTimer(intervalSeconds, [callback = std::move(onTimeout)] {
        if (!ApplicationEnding()) Guarded(callback);
    });
}

} // namespace dilato::ui
