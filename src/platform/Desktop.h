#pragma once
// Busy pointer, event sounds and the error box: small helpers every subsystem uses.

#include "platform/Clock.h"
#include "platform/Operator.h"

#include <string>

namespace dilato {

// kind 0: a critical box "Error in " + place + ": " + line break + text;
// kind 1: an exclamation box with the text alone; other kinds show nothing.
void ReportError(Operator& op, int kind, const std::string& place, const std::string& text);

// restore false shows the hourglass, true the normal pointer; each real change is followed
// by a 0.5 s wait so that the operator sees it.
void SetBusyPointer(Operator& op, Clock& clock, bool restore);

// Plays appFolder + "Sounds/" + name when that file exists; a missing file is skipped.
void PlayEventSound(Operator& op, const std::string& appFolder, const std::string& name);

} // namespace dilato
