#include "core/TestRun.h"

#include "platform/LeadingNumber.h"

namespace dilato {

double TestRun::elapsed() const {
    return LeadingNumber(ElapsedMinutes);
}

} // namespace dilato
