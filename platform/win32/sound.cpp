// Sound cues: the program's own WAVE resources through the system's wave
// player, one sound at a time, at the player's volume. Below full volume a
// cue plays from a copy of its wave with every sample scaled, made once per
// volume and kept while the program runs (the player reads it as it plays).
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "platform/shared/engine_loop.h"
#include "platform/shared/resources.h"
#include "platform/win32/backend.h"

namespace {

// The engine's wave rings on past its end (shared::RingingSample): its
// copy is made longer, and a yielding cue plays over the ringing part.
constexpr int EngineWave = 120;

struct Sound {
    int volume = 100;
    // When the engine's wave itself ends (GetTickCount); its copy rings on.
    DWORD engineEnds = 0;
    bool engineRinging = false;
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

// Appends the engine's ringing on to a copy of its wave (mono, 8 or 16 bits)
// and corrects the RIFF and data sizes.
void AppendRinging(std::vector<uint8_t>& copy, size_t dataAt, const shared::WaveInfo& info) {
    const int bytes = info.bitsPerSample / 8;
    const size_t length = info.sampleBytes / size_t(bytes);
    std::vector<int16_t> wave(length);
    for (size_t k = 0; k < length; ++k)
        wave[k] = bytes == 1 ? int16_t((int(copy[dataAt + k]) - 128) * 256)
                             : int16_t(copy[dataAt + 2 * k] | copy[dataAt + 2 * k + 1] << 8);
    const size_t total = length + shared::RingTailSamples(info.sampleRate);
    std::vector<uint8_t> ring;
    for (size_t k = length; k < total; ++k) {
        int v = shared::RingingSample(wave.data(), length, info.sampleRate, k);
        if (bytes == 1)
            ring.push_back(uint8_t(std::clamp(128 + v / 256, 0, 255)));
        else
            ring.insert(ring.end(), {uint8_t(v & 0xFF), uint8_t((v >> 8) & 0xFF)});
    }
    copy.resize(dataAt + info.sampleBytes);
    copy.insert(copy.end(), ring.begin(), ring.end());
    auto put = [&](size_t at, size_t value) {
        for (int i = 0; i < 4; ++i)
            copy[at + size_t(i)] = uint8_t((value >> (8 * i)) & 0xFF);
    };
    put(dataAt - 4, info.sampleBytes + ring.size());
    put(4, copy.size() - 8);
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
    const size_t dataAt = size_t(info.samples - wave.data);
    ScaleSamples(copy.data() + dataAt, info.sampleBytes, info.bitsPerSample, percent);
    if (resourceId == EngineWave && info.channels == 1)
        AppendRinging(copy, dataAt, info);
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
    // Past the engine's own wave a yielding cue plays: its ringing on is
    // what any cue cuts off.
    const DWORD now = ::GetTickCount();
    if (Channel.engineRinging && DWORD(now - Channel.engineEnds) < 0x80000000u)
        flags &= ~SND_NOSTOP;
    BOOL played = FALSE;
    if (Channel.volume == 100 && resourceId != EngineWave) {
        played = ::PlaySoundA(MAKEINTRESOURCEA(resourceId), ::GetModuleHandleA(nullptr), flags);
    } else {
        const std::vector<uint8_t>& wave = ScaledWave(resourceId, Channel.volume);
        // From memory instead of the resource (SND_RESOURCE holds SND_MEMORY's bit).
        const uint32_t memoryFlags = (flags & ~(SND_RESOURCE & ~SND_MEMORY)) | SND_MEMORY;
        if (wave.empty()) {
            // An unreadable wave still cuts off what plays: the request was made.
            if (!(flags & SND_NOSTOP))
                played = ::PlaySoundA(nullptr, nullptr, 0);
        } else {
            played = ::PlaySoundA(reinterpret_cast<const char*>(wave.data()), nullptr, memoryFlags);
        }
    }
    if (!played)
        return;
    Channel.engineRinging = resourceId == EngineWave;
    if (Channel.engineRinging) {
        const shared::WaveInfo info = shared::ReadWaveInfo(WaveResource(resourceId));
        const int64_t ms = info.valid ? info.sampleCount * 1000 / info.sampleRate : 0;
        Channel.engineEnds = now + DWORD(ms);
    }
}

}  // namespace platform
