// Synthesises the program's event sounds into a folder: dilato_make_sounds FOLDER
// Each is a short 16-bit mono PCM WAV file made of enveloped tones, so that the program that
// plays it synchronously never holds the window for long.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

using Samples = std::vector<double>; // -1 .. 1

// A tone with a soft attack and an exponential decay; `glide` bends the pitch from f0 to f1.
Samples Tone(double f0, double f1, double seconds, double level, double decay) {
    const int n = static_cast<int>(seconds * kRate);
    Samples out(static_cast<size_t>(n));
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = f0 + (f1 - f0) * t / seconds;
        phase += 2 * kPi * f / kRate;
        const double attack = std::min(1.0, t / 0.008);
        const double release = std::min(1.0, (seconds - t) / 0.015);
        const double env = attack * release * std::exp(-decay * t);
        // a touch of the octave makes the tone rounder than a bare sine
        out[static_cast<size_t>(i)] = level * env * (0.8 * std::sin(phase) + 0.2 * std::sin(2 * phase));
    }
    return out;
}

Samples Silence(double seconds) { return Samples(static_cast<size_t>(seconds * kRate), 0.0); }

void Append(Samples& to, const Samples& more) { to.insert(to.end(), more.begin(), more.end()); }

// Mixes `more` into `to` starting at `at` seconds (notes that ring into each other).
void Mix(Samples& to, const Samples& more, double at) {
    const auto start = static_cast<size_t>(at * kRate);
    if (to.size() < start + more.size()) to.resize(start + more.size(), 0.0);
    for (size_t i = 0; i < more.size(); ++i) to[start + i] += more[i];
}

// Notes struck one after another and left ringing; the last one rings longest.
Samples Arpeggio(std::initializer_list<double> notes, double spacing, double length, double lastLength,
                 double level) {
    Samples s;
    size_t i = 0;
    for (const double f : notes) {
        const bool last = ++i == notes.size();
        Mix(s, Tone(f, f, last ? lastLength : length, level, last ? 5 : 4), spacing * static_cast<double>(i - 1));
    }
    Append(s, Silence(0.02));
    return s;
}

constexpr double kC5 = 523.25, kE5 = 659.25, kG5 = 783.99, kC6 = 1046.5;

// Start: a rising major chord; end of the program: the same chord falling.
Samples TurnOn() { return Arpeggio({kC5, kE5, kG5}, 0.12, 0.42, 0.45, 0.45); }
Samples ShutDown() { return Arpeggio({kG5, kE5, kC5}, 0.14, 0.40, 0.55, 0.45); }
// Batch finished: a bright four-note fanfare ending on the octave.
Samples TestFinished() { return Arpeggio({kC5, kE5, kG5, kC6}, 0.16, 0.22, 0.5, 0.4); }

// Instrument abort: a two-tone alarm, four beeps.
Samples Attention() {
    Samples s;
    for (int i = 0; i < 4; ++i) {
        Append(s, Tone(i % 2 ? 660 : 880, i % 2 ? 660 : 880, 0.16, 0.55, 1));
        Append(s, Silence(0.04));
    }
    return s;
}

// Refusal: a falling, wobbling "boing".
Samples Boing() {
    Samples s = Tone(420, 140, 0.45, 0.6, 5);
    for (size_t i = 0; i < s.size(); ++i)
        s[i] *= 0.75 + 0.25 * std::sin(2 * kPi * 14 * static_cast<double>(i) / kRate);
    Append(s, Silence(0.02));
    return s;
}

void Put16(std::ofstream& f, uint16_t v) {
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    f.write(b, 2);
}
void Put32(std::ofstream& f, uint32_t v) {
    Put16(f, static_cast<uint16_t>(v & 0xFFFF));
    Put16(f, static_cast<uint16_t>(v >> 16));
}

bool WriteWav(const std::string& path, const Samples& s) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    const auto dataBytes = static_cast<uint32_t>(s.size() * 2);
    f.write("RIFF", 4);
    Put32(f, 36 + dataBytes);
    f.write("WAVEfmt ", 8);
    Put32(f, 16);        // fmt chunk size
    Put16(f, 1);         // PCM
    Put16(f, 1);         // mono
    Put32(f, kRate);     // sample rate
    Put32(f, kRate * 2); // bytes per second
    Put16(f, 2);         // block align
    Put16(f, 16);        // bits per sample
    f.write("data", 4);
    Put32(f, dataBytes);
    for (const double v : s) {
        const double clamped = std::max(-1.0, std::min(1.0, v));
        Put16(f, static_cast<uint16_t>(static_cast<int16_t>(std::lround(clamped * 32000))));
    }
    return static_cast<bool>(f);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dilato_make_sounds FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    const struct {
        const char* name;
        Samples samples;
    } sounds[] = {{"TurnON.wav", TurnOn()},
                  {"Shutdown.wav", ShutDown()},
                  {"TestFinished.wav", TestFinished()},
                  {"Attention.wav", Attention()},
                  {"Boing.wav", Boing()}};
    for (const auto& sound : sounds) {
        if (!WriteWav(folder + sound.name, sound.samples)) {
            std::fprintf(stderr, "dilato_make_sounds: cannot write %s%s\n", folder.c_str(), sound.name);
            return 1;
        }
    }
    return 0;
}
