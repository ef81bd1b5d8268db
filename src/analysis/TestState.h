#pragma once
// The phases of a test as the sequencer runs it, one step after another. Here, below the
// sequencer, because the live analysis computes by phase. The numbers are the window's
// status codes (MainWindowModel::UpdateTestStatus) and what the sequencer's error messages
// name ("@ gTestState=3"); nothing else relies on them.

#include <ostream>

namespace dilato {

enum class TestState {
    Idle = -2,           // no test runs
    Accepted = -1,       // the start is accepted; the initial reading waits for measured values
    StepStart = 0,       // a step begins: its set point goes to the stage
    Settling = 1,        // the stage heads for the set point
    TemperatureWait = 2, // until the temperature is steady
    Hold = 3,            // the drift criteria decide the step's end
};

// The phases under the short names the sequencer's rules read them by.
namespace state {
inline constexpr TestState Idle = TestState::Idle;
inline constexpr TestState Accepted = TestState::Accepted;
inline constexpr TestState StepStart = TestState::StepStart;
inline constexpr TestState Settling = TestState::Settling;
inline constexpr TestState TemperatureWait = TestState::TemperatureWait;
inline constexpr TestState Hold = TestState::Hold;
} // namespace state

// The phase's status code, for the window's texts and the messages that name it.
[[nodiscard]] constexpr int StatusCode(TestState s) { return static_cast<int>(s); }

inline std::ostream& operator<<(std::ostream& os, TestState s) { return os << StatusCode(s); }

} // namespace dilato
