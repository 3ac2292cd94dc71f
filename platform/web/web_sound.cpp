// The one sound channel of the web backend: the page plays the game's waves
// through Web Audio, with the channel's rules (a cue cuts off what plays; a
// yielding cue is dropped while a sound plays). The engine's ringing on is
// made here by the shared mixing rule and handed to the page once.
#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/shared/engine_loop.h"
#include "platform/shared/resources.h"

EM_JS(void, web_play_sound, (int resourceId, int yielding),
      { Module.morvask.playSound(resourceId, !!yielding); });

EM_JS(void, web_set_ringing,
      (int resourceId, const int16_t* samples, int count, int rate, double ownSeconds), {
          Module.morvask.setRinging(resourceId, HEAP16.slice(samples >> 1, (samples >> 1) + count),
                                    rate, ownSeconds);
      });

namespace {

constexpr int EngineWave = 120;

// The engine's wave and its ringing on, as 16-bit samples at its own rate.
void SendRinging() {
    static bool sent = false;
    if (sent)
        return;
    sent = true;
    const shared::WaveInfo info = shared::ReadWaveInfo(shared::FindResource(EngineWave));
    if (!info.valid || info.channels != 1 || (info.bitsPerSample != 8 && info.bitsPerSample != 16))
        return;
    const size_t length = size_t(info.sampleCount);
    std::vector<int16_t> wave(length);
    for (size_t k = 0; k < length; ++k)
        wave[k] = info.bitsPerSample == 8
                      ? int16_t((int(info.samples[k]) - 128) * 256)
                      : int16_t(info.samples[2 * k] | info.samples[2 * k + 1] << 8);
    std::vector<int16_t> ringing(length + shared::RingTailSamples(info.sampleRate));
    for (size_t k = 0; k < ringing.size(); ++k)
        ringing[k] = int16_t(shared::RingingSample(wave.data(), length, info.sampleRate, k));
    web_set_ringing(EngineWave, ringing.data(), int(ringing.size()), info.sampleRate,
                    double(length) / double(info.sampleRate));
}

}  // namespace

namespace platform {

void PlaySound(int resourceId, uint32_t flags) {
    if (resourceId == EngineWave)
        SendRinging();
    web_play_sound(resourceId, (flags & SND_NOSTOP) != 0);
}

}  // namespace platform
