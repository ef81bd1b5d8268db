#include "platform/SoundPlayer.h"

#include "platform/Files.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdlib>
#include <filesystem>

namespace dilato {

namespace fs = std::filesystem;

namespace {

// Event sounds last about a second; a player still running after this is stuck.
constexpr int kPlayLimitMs = 5000;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

bool AlsaPlaybackDevice() {
    std::error_code ec;
    for (fs::directory_iterator it("/dev/snd", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.rfind("pcmC", 0) == 0 && !name.empty() && name.back() == 'p') return true;
    }
    return false;
}

} // namespace

SoundOutputs CurrentSoundOutputs() {
    SoundOutputs o;
    o.hasProgram = [](const std::string& program) {
        return !QStandardPaths::findExecutable(QString::fromStdString(program)).isEmpty();
    };
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    std::error_code ec;
    if (!runtime.empty()) {
        o.pipeWireSocket = fs::exists(runtime + "/pipewire-0", ec);
        o.pulseSocket = fs::exists(runtime + "/pulse/native", ec);
    }
    if (!Env("PULSE_SERVER").empty()) o.pulseSocket = true;
    o.alsaPlayback = AlsaPlaybackDevice();
    return o;
}

std::optional<PlayerCommand> ChooseSoundPlayer(const SoundOutputs& o) {
    const auto has = [&](const char* program) { return o.hasProgram && o.hasProgram(program); };
    // The sound server first: it mixes with other programs and follows the desktop's choice
    // of output; plain ALSA only where no server runs.
    if (o.pipeWireSocket && has("pw-play")) return PlayerCommand{"pw-play", {}};
    if (o.pulseSocket && has("paplay")) return PlayerCommand{"paplay", {}};
    if ((o.pulseSocket || o.pipeWireSocket || o.alsaPlayback) && has("aplay"))
        return PlayerCommand{"aplay", {"-q"}};
    return std::nullopt;
}

bool RunSoundPlayer(const PlayerCommand& player, const std::string& path, int limitMs) {
    QStringList args;
    for (const auto& a : player.arguments) args << QString::fromStdString(a);
    args << QString::fromStdString(path);
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(QString::fromStdString(player.program), args);
    if (!process.waitForStarted(limitMs)) return false;
    if (!process.waitForFinished(limitMs)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void PlaySoundFile(const std::string& path) {
    if (!IsFile(path)) return;
    const auto player = ChooseSoundPlayer(CurrentSoundOutputs());
    if (player) RunSoundPlayer(*player, path, kPlayLimitMs);
}

} // namespace dilato
