// How the sounds suit small speakers: loudness and where their energy lies.
// Judgement, under the label taste.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/asset_files.h"

using namespace asset_files;

namespace {

double RmsDbfs(const Wave& w) {
    double squares = 0;
    for (int s : w.samples)
        squares += double(s) * s;
    double rms = std::sqrt(squares / std::max<size_t>(1, w.samples.size())) / 127.0;
    return 20.0 * std::log10(std::max(rms, 1e-9));
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
    EXPECT_LE(RmsDbfs(servo), -20.0);
    EXPECT_LT(RmsDbfs(servo), RmsDbfs(cannon));
    EXPECT_GE(ShareAbove(engine, 150.0), 0.40);
    EXPECT_LE(ShareAbove(engine, 150.0), 0.75) << "the engine keeps its rumble";
    EXPECT_GE(ShareAbove(explosion, 150.0, 0.3), 0.25);
    EXPECT_LE(ShareAbove(cannon, 600.0, 0.3), 0.15);
}
