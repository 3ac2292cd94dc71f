// The channel's mixing rule and the engine's ringing on past its wave.
#include "platform/shared/engine_loop.h"

#include <algorithm>

namespace shared {

namespace {

// The engine's wave fades over its last 70 ms and rises over its first
// 10 ms; the loop stays clear of both.
constexpr int EndFadeMs = 80;
constexpr int LoopStartMs = 250;
constexpr int CrossfadeMs = 30;

size_t Ms(int rate, int ms) {
    return size_t(rate) * size_t(ms) / 1000;
}

}  // namespace

size_t RingTailSamples(int rate) {
    return Ms(rate, RingHoldMs + RingFadeMs);
}

int RingingSample(const int16_t* wave, size_t length, int rate, size_t position) {
    const size_t crossfade = Ms(rate, CrossfadeMs);
    const size_t loopStart = Ms(rate, LoopStartMs);
    const size_t endFade = Ms(rate, EndFadeMs);
    if (length < loopStart + endFade + 2 * crossfade + 1)
        return position < length ? wave[position] : 0;
    // The loop turns back before the end's fade, with room to crossfade into
    // what the wave would have played next.
    const size_t loopEnd = length - endFade - crossfade;
    if (position < loopEnd)
        return wave[position];
    const size_t span = loopEnd - loopStart;
    const size_t k = (position - loopEnd) % span;
    int value = wave[loopStart + k];
    if (k < crossfade) {
        // Sliding from the continuation past the turn into the loop's start.
        const int64_t onward = wave[loopEnd + k];
        value = int((onward * int64_t(crossfade - k) + int64_t(value) * int64_t(k)) /
                    int64_t(crossfade));
    }
    if (position >= length + Ms(rate, RingHoldMs)) {
        const size_t fade = Ms(rate, RingFadeMs);
        const size_t into = std::min(fade, position - length - Ms(rate, RingHoldMs));
        value = int(int64_t(value) * int64_t(fade - into) / int64_t(fade));
    }
    return value;
}

bool ChannelBusy(const ChannelPlay& channel) {
    return channel.wave && channel.position < channel.length;
}

void StartCue(ChannelPlay& channel, const int16_t* wave, size_t length, bool rings, bool yielding,
              int rate) {
    if (yielding && ChannelBusy(channel))
        return;
    channel.wave = length ? wave : nullptr;
    channel.length = length;
    channel.position = 0;
    channel.rings = rings;
    channel.rate = rate;
}

void MixCue(ChannelPlay& channel, int16_t* out, size_t count, int volume) {
    size_t k = 0;
    if (channel.wave) {
        const size_t end =
            channel.length + (channel.rings ? RingTailSamples(channel.rate) : size_t(0));
        const size_t taken = std::min(count, end - channel.position);
        for (; k < taken; ++k) {
            int value = channel.rings ? RingingSample(channel.wave, channel.length, channel.rate,
                                                      channel.position + k)
                                      : channel.wave[channel.position + k];
            out[k] = int16_t(value * volume / 100);
        }
        channel.position += taken;
        if (channel.position >= end)
            channel.wave = nullptr;
    }
    std::fill(out + k, out + count, int16_t(0));
}

}  // namespace shared
