// How the sounds suit small speakers: loudness and where their energy lies.
// Judgement, under the label taste.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/taste/taste_measures.h"
#include "tests/unit/asset_files.h"

using namespace asset_files;
using namespace taste;

namespace {

// The level of the whole sound in dB under full scale (its RMS).
double LevelDb(const Wave& w) {
    return BandLevelDb(w, 0, 0, 0, double(w.samples.size()) / w.rate);
}

// The part of the energy of samples [from, end) that lies at or above hz:
// the energy of the DFT bins below hz, taken away from the whole (Parseval).
double ShareAbove(const Wave& w, double hz, double fromSeconds = 0) {
    const size_t from = size_t(fromSeconds * w.rate);
    const size_t n = w.samples.size() - from;
    double total = 0;
    for (size_t i = from; i < w.samples.size(); ++i)
        total += double(w.samples[i]) * w.samples[i];
    double below = 0;
    for (size_t k = 0; double(k) * w.rate / double(n) < hz; ++k) {
        double re = 0, im = 0;
        for (size_t i = 0; i < n; ++i) {
            double a = 2.0 * M_PI * double(k) * double(i) / double(n);
            re += w.samples[from + i] * std::cos(a);
            im -= w.samples[from + i] * std::sin(a);
        }
        below += (k == 0 ? 1.0 : 2.0) * (re * re + im * im) / double(n);
    }
    return total > 0 ? 1.0 - below / total : 0.0;
}

}  // namespace

// Heard on small speakers: the servo, repeated while a gun key is held, stays
// under the cannon; the engine and the explosion's tail carry energy above
// 150 Hz, where such speakers still play; the cannon's tail is a dark echo,
// not hiss.
TEST(SoundTaste, LoudnessAndSpectraSuitSmallSpeakers) {
    Wave explosion = LoadWave("wave118.wav"), engine = LoadWave("wave120.wav");
    Wave cannon = LoadWave("wave121.wav"), servo = LoadWave("wave122.wav");
    EXPECT_LE(LevelDb(servo), -20.0);
    EXPECT_LT(LevelDb(servo), LevelDb(cannon));
    EXPECT_GE(ShareAbove(engine, 150.0), 0.40);
    EXPECT_LE(ShareAbove(engine, 150.0), 0.75) << "the engine keeps its rumble";
    EXPECT_GE(ShareAbove(explosion, 150.0, 0.3), 0.25);
    EXPECT_LE(ShareAbove(cannon, 600.0, 0.3), 0.15);
}

// The engine restarts every time its sound ends while the tank drives on:
// it holds its level until a short fade, so the join dips for at most
// 100 ms, and it keeps its beat on small speakers (a 250 Hz high-pass takes
// at most 4 dB).
TEST(SoundTaste, EngineRunsOnWithoutADip) {
    Wave engine = LoadWave("wave120.wav");
    ASSERT_EQ(engine.rate, 8000);
    const double step = 0.005;
    std::vector<double> level = Envelope(engine, 0.025, step);
    ASSERT_GT(level.size(), 100u);
    std::vector<double> middle(level.begin() + long(level.size() / 4),
                               level.end() - long(level.size() / 4));
    std::nth_element(middle.begin(), middle.begin() + long(middle.size() / 2), middle.end());
    const double steady = middle[middle.size() / 2];
    int low = 0;
    for (double l : level)
        low += l < steady - 6.0;
    const double dipMs = 1000.0 * step * low;
    const double seconds = double(engine.samples.size()) / engine.rate;
    const double loss =
        BandLevelDb(engine, 0, 0, 0, seconds) - BandLevelDb(engine, 250, 0, 0, seconds);
    std::printf("engine: %.0f ms more than 6 dB under its level, %.1f dB lost above 250 Hz\n",
                dipMs, loss);
    EXPECT_LE(dipMs, 100.0);
    EXPECT_LE(loss, 4.0);
}

// Cut off by the next sound, the explosion and the cannon must still differ:
// the explosion swells in 150-400 Hz between 100 and 300 ms while the cannon
// is 20 dB down by 250 ms, and the cannon's boom sits where small speakers
// play it (100-200 Hz) more than below 80 Hz.
TEST(SoundTaste, ExplosionAndCannonPartEarly) {
    Wave explosion = LoadWave("wave118.wav"), cannon = LoadWave("wave121.wav");
    ASSERT_EQ(explosion.rate, 8000);
    ASSERT_EQ(cannon.rate, 8000);
    const double onset =
        BandLevelDb(explosion, 150, 400, 0.1, 0.3) - BandLevelDb(cannon, 150, 400, 0.1, 0.3);
    std::vector<double> level = Envelope(cannon, 0.02, 0.01);
    const double loudest = *std::max_element(level.begin(), level.end());
    const double at250 = level[24] - loudest;  // the window from 240 to 260 ms
    const double seconds = double(cannon.samples.size()) / cannon.rate;
    const double boom =
        BandLevelDb(cannon, 100, 200, 0, seconds) - BandLevelDb(cannon, 0, 80, 0, seconds);
    std::printf(
        "explosion over cannon in 150-400 Hz at 100-300 ms: %.1f dB; cannon at 250 ms: "
        "%.1f dB; cannon 100-200 Hz over sub-80 Hz: %.1f dB\n",
        onset, at250, boom);
    EXPECT_GE(onset, 3.0);
    EXPECT_LE(at250, -20.0);
    EXPECT_GE(boom, 0.0);
}

// Held, the servo repeats: it reaches its level at once (within 10 ms) and
// whirs in its first 200 ms, so the repeats sound like a motor, not a siren.
TEST(SoundTaste, ServoWhirsAtOnce) {
    Wave servo = LoadWave("wave122.wav");
    ASSERT_EQ(servo.rate, 8000);
    std::vector<double> level = Envelope(servo, 0.005, 0.001);
    const double loudest = *std::max_element(level.begin(), level.end());
    size_t first = 0;
    while (first < level.size() && level[first] < loudest - 3.0)
        ++first;
    const double reachedMs = double(first) + 5.0;  // the end of that window
    const double seconds = double(servo.samples.size()) / servo.rate;
    const double early = BandEnergy(servo, 0, 0, 0, 0.2) / BandEnergy(servo, 0, 0, 0, seconds);
    std::printf("servo: full level at %.0f ms, %.0f%% of it in the first 200 ms\n", reachedMs,
                100 * early);
    EXPECT_LE(reachedMs, 10.0);
    EXPECT_GE(early, 0.6);
}
