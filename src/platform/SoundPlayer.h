#pragma once
// Plays a sound file to its end through the machine's own player program, the way the
// desktop's sound services are reached without linking a multimedia library: PipeWire's
// pw-play, PulseAudio's paplay or ALSA's aplay, whichever has a sound output to play on.
// A machine with no sound output (a server, a CI runner, a session under Xvfb) or with no
// player plays nothing and says nothing.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace dilato {

// What the player choice looks at, so that tests can describe any machine.
struct SoundOutputs {
    std::function<bool(const std::string& program)> hasProgram; // found on PATH
    bool pipeWireSocket = false; // $XDG_RUNTIME_DIR/pipewire-0
    bool pulseSocket = false;    // $PULSE_SERVER or $XDG_RUNTIME_DIR/pulse/native
    bool alsaPlayback = false;   // a /dev/snd/pcmC*D*p device
};

// This machine, as it is now.
[[nodiscard]] SoundOutputs CurrentSoundOutputs();

struct PlayerCommand {
    std::string program;
    std::vector<std::string> arguments; // the file's path is appended
};

// The player to use, or none when there is no sound output a player could reach.
[[nodiscard]] std::optional<PlayerCommand> ChooseSoundPlayer(const SoundOutputs& outputs);

// Runs the player on the file and waits for it to end, at most `limitMs` (a player that
// hangs is stopped there). True when it ran and ended with status 0.
bool RunSoundPlayer(const PlayerCommand& player, const std::string& path, int limitMs);

// The program's way to play an event sound: synchronously, silently skipped when the file
// is missing or the machine cannot play it.
void PlaySoundFile(const std::string& path);

} // namespace dilato
