#include "platform/KillPoint.h"

#include <csignal>
#include <cstdlib>
#include <string>

namespace dilato {

namespace {

struct Armed {
    std::string name;
    long hit = 1;
    long reached = 0;
};

Armed* ArmedPoint() {
    static Armed* armed = [] () -> Armed* {
        const char* value = std::getenv("DILATO_KILL_AT");
        if (!value || !*value) return nullptr;
        static Armed point;
        std::string text(value);
        const auto colon = text.find(':');
        point.name = text.substr(0, colon);
        if (colon != std::string::npos) point.hit = std::atol(text.c_str() + colon + 1);
        return &point;
    }();
    return armed;
}

} // namespace

bool KillPointDue(std::string_view name) {
    Armed* armed = ArmedPoint();
    if (!armed || armed->name != name) return false;
    return ++armed->reached == armed->hit;
}

void KillNow() {
    std::raise(SIGKILL);
    std::abort();
}

void KillPoint(std::string_view name) {
    if (KillPointDue(name)) KillNow();
}

} // namespace dilato
