// Sound cues: the program's own WAVE resources through the system's wave
// player, one sound at a time, at the player's volume. Below full volume a
// cue plays from a copy of its wave with every sample scaled, made once per
// volume and kept while the program runs (the player reads it as it plays).
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "platform/shared/resources.h"
#include "platform/win32/backend.h"

namespace {

struct Sound {
    int volume = 100;
    void (*observer)(int percent) = nullptr;
    // The scaled copies by (resource, volume); an empty one could not be read.
    std::map<std::pair<int, int>, std::vector<uint8_t>> copies;
};

Sound Channel;

shared::ResourceBytes WaveResource(int resourceId) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(resourceId), "WAVE");
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return {static_cast<const uint8_t*>(bytes), size_t(::SizeofResource(module, found))};
}

void ScaleSamples(uint8_t* samples, size_t bytes, int bits, int percent) {
    if (bits == 8) {
        // Unsigned, silence at 128.
        for (size_t k = 0; k < bytes; ++k)
            samples[k] = uint8_t(128 + (int(samples[k]) - 128) * percent / 100);
        return;
    }
    for (size_t k = 0; k + 1 < bytes; k += 2) {
        int16_t value = int16_t(samples[k] | samples[k + 1] << 8);
        value = int16_t(value * percent / 100);
        samples[k] = uint8_t(value & 0xFF);
        samples[k + 1] = uint8_t((value >> 8) & 0xFF);
    }
}

const std::vector<uint8_t>& ScaledWave(int resourceId, int percent) {
    auto key = std::make_pair(resourceId, percent);
    auto found = Channel.copies.find(key);
    if (found != Channel.copies.end())
        return found->second;
    std::vector<uint8_t>& copy = Channel.copies[key];
    shared::ResourceBytes wave = WaveResource(resourceId);
    shared::WaveInfo info = shared::ReadWaveInfo(wave);
    if (!info.valid || (info.bitsPerSample != 8 && info.bitsPerSample != 16))
        return copy;
    copy.assign(wave.data, wave.data + wave.size);
    ScaleSamples(copy.data() + (info.samples - wave.data), info.sampleBytes, info.bitsPerSample,
                 percent);
    return copy;
}

}  // namespace

namespace host {

void SetVolume(int percent) {
    Channel.volume = std::clamp(percent, 0, 100);
}

int Volume() {
    return Channel.volume;
}

void SetVolumeObserver(void (*observer)(int percent)) {
    Channel.observer = observer;
}

void StepVolume(int steps) {
    const int before = Channel.volume;
    SetVolume(before + steps * 10);
    if (Channel.volume != before && Channel.observer)
        Channel.observer(Channel.volume);
}

}  // namespace host

namespace platform {

void PlaySound(int resourceId, uint32_t flags) {
    // The flags come from the game: SND_NOSTOP makes a cue give way to a
    // sound that is still playing.
    if (Channel.volume == 0)
        return;
    if (Channel.volume == 100) {
        ::PlaySoundA(MAKEINTRESOURCEA(resourceId), ::GetModuleHandleA(nullptr), flags);
        return;
    }
    const std::vector<uint8_t>& wave = ScaledWave(resourceId, Channel.volume);
    // From memory instead of the resource (SND_RESOURCE holds SND_MEMORY's bit).
    const uint32_t memoryFlags = (flags & ~(SND_RESOURCE & ~SND_MEMORY)) | SND_MEMORY;
    if (wave.empty()) {
        // An unreadable wave still cuts off what plays: the request was made.
        if (!(flags & SND_NOSTOP))
            ::PlaySoundA(nullptr, nullptr, 0);
        return;
    }
    ::PlaySoundA(reinterpret_cast<const char*>(wave.data()), nullptr, memoryFlags);
}

}  // namespace platform
