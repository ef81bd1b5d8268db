// The event sounds the build makes: real PCM WAV files that any player reads, short enough
// to be played while the window waits, audible, unclipped, and each its own.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

uint32_t Le(const std::vector<unsigned char>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + static_cast<size_t>(i));
    return v;
}

} // namespace

TEST(EventSounds, EachSoundIsAShortCleanPcmWaveFile) {
    std::set<std::string> distinct;
    for (const char* name : {"TurnON.wav", "TestFinished.wav", "Attention.wav", "Shutdown.wav", "Boing.wav"}) {
        SCOPED_TRACE(name);
        std::ifstream in(std::string(DILATO_PROGRAM_FOLDER) + "Sounds/" + name, std::ios::binary);
        ASSERT_TRUE(in) << "not made by the build";
        const std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), {}};
        ASSERT_GE(b.size(), 44u);
        ASSERT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
        ASSERT_EQ(std::string(b.begin() + 8, b.begin() + 16), "WAVEfmt ");
        EXPECT_EQ(Le(b, 4, 4), b.size() - 8) << "RIFF size";
        EXPECT_EQ(Le(b, 20, 2), 1u) << "PCM";
        const uint32_t channels = Le(b, 22, 2), rate = Le(b, 24, 4), bits = Le(b, 34, 2);
        EXPECT_EQ(channels, 1u);
        EXPECT_EQ(bits, 16u);
        EXPECT_EQ(Le(b, 28, 4), rate * channels * bits / 8) << "byte rate";
        ASSERT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
        const uint32_t bytes = Le(b, 40, 4);
        ASSERT_EQ(bytes, b.size() - 44);

        const double seconds = static_cast<double>(bytes) / (rate * 2);
        EXPECT_GT(seconds, 0.2);
        EXPECT_LT(seconds, 1.2) << "played synchronously, a sound holds the window this long";

        std::vector<int> samples;
        for (size_t i = 44; i + 1 < b.size(); i += 2)
            samples.push_back(static_cast<int16_t>(Le(b, i, 2)));
        int peak = 0;
        for (const int s : samples) peak = std::max(peak, std::abs(s));
        EXPECT_GT(peak, 8000) << "too quiet to hear";
        EXPECT_LT(peak, 32000) << "clipped";
        EXPECT_TRUE(distinct.insert(std::string(b.begin() + 44, b.end())).second)
            << "the same sound as another event's";
    }
}
