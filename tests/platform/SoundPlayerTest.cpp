// Event sounds: the player is chosen from the sound outputs the machine has, runs to the end
// of the sound before the program goes on, and never holds the program beyond its limit; a
// machine without sound output or without the file plays nothing.
#include "platform/SoundPlayer.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace fs = std::filesystem;
using namespace dilato;

namespace {

SoundOutputs Machine(std::set<std::string> programs, bool pipeWire, bool pulse, bool alsa) {
    SoundOutputs o;
    o.hasProgram = [programs](const std::string& p) { return programs.count(p) > 0; };
    o.pipeWireSocket = pipeWire;
    o.pulseSocket = pulse;
    o.alsaPlayback = alsa;
    return o;
}

std::string ProgramOf(const std::optional<PlayerCommand>& c) { return c ? c->program : "none"; }

// A stand-in player: records its arguments, takes `seconds`, then marks that it ended.
std::string FakePlayer(const dilato::test::TempFolder& dir, const std::string& name, double seconds) {
    const std::string path = dir.path() + name;
    std::ofstream(path) << "#!/bin/sh\nPATH=/usr/bin:/bin\necho \"$@\" > \"" << dir.path() << "args\"\nsleep " << seconds
                        << "\ntouch \"" << dir.path() << "ended\"\n";
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) ::setenv(name_, old_->c_str(), 1);
        else ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(SoundPlayer, ThePlayerFollowsTheSoundOutputOfTheMachine) {
    const std::set<std::string> all{"pw-play", "paplay", "aplay"};
    // no output at all: a server, a CI runner, a session under Xvfb
    EXPECT_EQ(ProgramOf(ChooseSoundPlayer(Machine(all, false, false, false))), "none");
    // the desktop's sound server first
    EXPECT_EQ(ProgramOf(ChooseSoundPlayer(Machine(all, true, true, true))), "pw-play");
    EXPECT_EQ(ProgramOf(ChooseSoundPlayer(Machine(all, false, true, true))), "paplay");
    EXPECT_EQ(ProgramOf(ChooseSoundPlayer(Machine({"paplay", "aplay"}, true, false, false))), "aplay");
    // plain ALSA where no server runs
    const auto alsa = ChooseSoundPlayer(Machine(all, false, false, true));
    ASSERT_TRUE(alsa);
    EXPECT_EQ(alsa->program, "aplay");
    EXPECT_EQ(alsa->arguments, std::vector<std::string>{"-q"});
    // an output but no player program for it
    EXPECT_EQ(ProgramOf(ChooseSoundPlayer(Machine({}, true, true, true))), "none");
    EXPECT_EQ(ProgramOf(ChooseSoundPlayer(Machine({"pw-play"}, false, true, true))), "none");
    EXPECT_EQ(ProgramOf(ChooseSoundPlayer(SoundOutputs{})), "none");
}

TEST(SoundPlayer, PlayingWaitsForTheEndOfTheSoundAndStopsAPlayerThatHangs) {
    dilato::test::TempFolder dir;
    const std::string wav = dir.path() + "Tone.wav";
    std::ofstream(wav) << "RIFF";

    const PlayerCommand player{FakePlayer(dir, "player", 0.3), {"-q"}};
    EXPECT_TRUE(RunSoundPlayer(player, wav, 5000));
    EXPECT_TRUE(fs::exists(dir.path() + "ended")) << "returned before the sound ended";
    std::ifstream args(dir.path() + "args");
    std::string line;
    std::getline(args, line);
    EXPECT_EQ(line, "-q " + wav);

    const PlayerCommand stuck{FakePlayer(dir, "stuck", 30), {}};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunSoundPlayer(stuck, wav, 300));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    EXPECT_FALSE(RunSoundPlayer(PlayerCommand{dir.path() + "no-such-player", {}}, wav, 1000));
}

TEST(SoundPlayer, AnEventSoundPlaysOnlyWhenItsFileAndAnOutputExist) {
    dilato::test::TempFolder dir;
    FakePlayer(dir, "paplay", 0);
    const std::string wav = dir.path() + "TurnON.wav";
    std::ofstream(wav) << "RIFF";
    fs::create_directories(dir.path() + "run/pulse");
    ScopedEnv path("PATH", dir.path().substr(0, dir.path().size() - 1));
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path() + "run");
    ::unsetenv("PULSE_SERVER");

    // no sound server socket: nothing plays (and nothing is said)
    PlaySoundFile(wav);
    EXPECT_FALSE(fs::exists(dir.path() + "ended"));

    std::ofstream(dir.path() + "run/pulse/native") << "";
    PlaySoundFile(dir.path() + "Missing.wav");
    EXPECT_FALSE(fs::exists(dir.path() + "ended")) << "played a file that does not exist";
    PlaySoundFile(wav);
    EXPECT_TRUE(fs::exists(dir.path() + "ended"));
}
