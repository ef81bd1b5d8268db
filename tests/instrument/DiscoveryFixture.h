#pragma once
// The COM discovery of the links to the simulated instruments, with a COM configuration
// dialog that only counts how often it was shown.

#include "instrument/LinkFixture.h"

#include <functional>

namespace dilato::test {

struct ScriptedDialog final : ComDialog {
    void ShowSystemComError() override {
        ++shown;
        if (onShow) onShow();
    }
    int shown = 0;
    std::function<void()> onShow;
};

struct DiscoveryFixture : LinkFixture {
    ScriptedDialog dialog;
    ComDiscovery discovery{links, dialog};
};

} // namespace dilato::test
