#pragma once
// The termination question, asked when the operator stops a test or closes the program.
// The sequencer opens it from a tick (modeless: the tick ends, the ticks stay suspended);
// the operator's answer comes back later through the sequencer's answer operations.

#include "core/TerminationModel.h"

namespace dilato {

class TerminationDialog {
  public:
    virtual ~TerminationDialog() = default;
    virtual void open(const TerminationQuestion& question) = 0;
    virtual void close() = 0;
    [[nodiscard]] virtual bool isVisible() const = 0;
};

} // namespace dilato
