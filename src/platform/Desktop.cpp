#include "platform/Desktop.h"

#include "platform/Files.h"
#include "platform/Wait.h"

namespace dilato {

void ReportError(Operator& op, int kind, const std::string& place, const std::string& text) {
    if (kind == 0)
        op.show(Message{"Error in " + place + ": \n" + text, kProgramTitle, MessageIcon::Critical});
    else if (kind == 1)
        op.show(Message{text, kProgramTitle, MessageIcon::Exclamation});
}

void SetBusyPointer(Operator& op, Clock& clock, bool restore) {
    const bool wantBusy = !restore;
    if (op.busyPointerShown() == wantBusy) return;
    op.setBusyPointer(wantBusy);
    WaitSeconds(clock, 0.5);
}

void PlayEventSound(Operator& op, const std::string& appFolder, const std::string& name) {
    const std::string path = WithTrailingSeparator(appFolder) + "Sounds/" + name;
    if (IsFile(path)) op.playSound(path);
}

} // namespace dilato
