// The one sound channel of the desktop program: the game's waves, converted
// once to the channel's format, played by SDL's audio callback. A machine
// without an audio device stays silent, says so in one line, and the game
// goes on.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/engine_loop.h"
#include "platform/shared/resources.h"

namespace {

// Every wave is played at the rate of the finest one (the level-start
// wave); SDL converts the channel to what the device wants.
constexpr int ChannelRate = 22050;
constexpr SDL_AudioFormat ChannelFormat = AUDIO_S16SYS;
// The engine's wave rings on until the next cue (shared::RingingSample).
constexpr int EngineWave = 120;

struct SoundChannel {
    bool opened = false;
    bool failed = false;
    SDL_AudioDeviceID device = 0;
    // The waves in the channel's format, by resource number; an empty one
    // could not be read.
    std::map<int, std::vector<int16_t>> waves;
    // What plays now; the callback reads it under the device's lock.
    shared::ChannelPlay play;
    // Percent of each sample's loudness; read by the callback under the lock.
    int volume = 100;
};

SoundChannel Channel;

#if defined(__linux__)
// The ALSA library writes several lines of its own to standard error when it
// finds no sound card; the one line below says all the player needs.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa() {
    static void* library = nullptr;
    if (library)
        return;
    library = SDL_LoadObject("libasound.so.2");
    if (!library)
        return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    auto setHandler =
        reinterpret_cast<int (*)(Handler)>(SDL_LoadFunction(library, "snd_lib_error_set_handler"));
    if (setHandler)
        setHandler(IgnoreAlsaError);
}
#else
void SilenceAlsa() {}
#endif

void ReportNoSound() {
    std::fprintf(stderr, "morvask: no sound: %s\n", SDL_GetError());
    std::fflush(stderr);
}

void MixChannel(void*, Uint8* stream, int bytes) {
    shared::MixCue(Channel.play, reinterpret_cast<int16_t*>(stream),
                     size_t(bytes) / sizeof(int16_t), Channel.volume);
}

bool OpenChannel() {
    if (Channel.opened || Channel.failed)
        return Channel.opened;
    SilenceAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        ReportNoSound();
        Channel.failed = true;
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = ChannelRate;
    wanted.format = ChannelFormat;
    wanted.channels = 1;
    // About 12 ms: a cue that cuts another off is heard at once.
    wanted.samples = 256;
    wanted.callback = MixChannel;
    SDL_AudioSpec obtained{};
    Channel.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (Channel.device == 0) {
        ReportNoSound();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        Channel.failed = true;
        return false;
    }
    SDL_PauseAudioDevice(Channel.device, 0);
    Channel.opened = true;
    return true;
}

std::vector<int16_t> ConvertWave(int resourceId) {
    shared::WaveInfo info = shared::ReadWaveInfo(shared::FindResource(resourceId));
    if (!info.valid || (info.bitsPerSample != 8 && info.bitsPerSample != 16))
        return {};
    SDL_AudioCVT convert;
    SDL_AudioFormat format = info.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    if (SDL_BuildAudioCVT(&convert, format, Uint8(info.channels), info.sampleRate, ChannelFormat, 1,
                          ChannelRate) < 0)
        return {};
    int frameBytes = info.channels * info.bitsPerSample / 8;
    int inputBytes = int(info.sampleCount) * frameBytes;
    std::vector<Uint8> buffer(size_t(inputBytes) * size_t(convert.len_mult) + 16);
    std::memcpy(buffer.data(), info.samples, size_t(inputBytes));
    convert.buf = buffer.data();
    convert.len = inputBytes;
    if (convert.needed && SDL_ConvertAudio(&convert) != 0)
        return {};
    int outputBytes = convert.needed ? convert.len_cvt : inputBytes;
    std::vector<int16_t> samples(size_t(outputBytes) / sizeof(int16_t));
    std::memcpy(samples.data(), buffer.data(), samples.size() * sizeof(int16_t));
    return samples;
}

const std::vector<int16_t>& Wave(int resourceId) {
    auto found = Channel.waves.find(resourceId);
    if (found == Channel.waves.end())
        found = Channel.waves.emplace(resourceId, ConvertWave(resourceId)).first;
    return found->second;
}

}  // namespace

namespace host {

void SetVolume(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (Channel.opened)
        SDL_LockAudioDevice(Channel.device);
    Channel.volume = percent;
    if (Channel.opened)
        SDL_UnlockAudioDevice(Channel.device);
}

int Volume() {
    return Channel.volume;
}

namespace {
void (*VolumeObserver)(int percent) = nullptr;
}  // namespace

void SetVolumeObserver(void (*observer)(int percent)) {
    VolumeObserver = observer;
}

void StepVolume(int steps) {
    int before = Channel.volume;
    SetVolume(before + steps * 10);
    if (Channel.volume != before && VolumeObserver)
        VolumeObserver(Channel.volume);
}

}  // namespace host

namespace sdl {

bool IsVolumeKey(const SDL_Keysym& key, int& steps) {
    // '+' shares its key with '=' on most layouts: either raises the volume.
    if (key.sym == SDLK_PLUS || key.sym == SDLK_EQUALS || key.sym == SDLK_KP_PLUS) {
        steps = 1;
        return true;
    }
    if (key.sym == SDLK_MINUS || key.sym == SDLK_KP_MINUS) {
        steps = -1;
        return true;
    }
    return false;
}

bool AudioDeviceOpen() {
    return Channel.opened;
}

}  // namespace sdl

namespace platform {

void PlaySound(int resourceId, uint32_t flags) {
    // Silence asked for is silence: no device is opened for it.
    if (Channel.volume == 0 || !OpenChannel())
        return;
    const std::vector<int16_t>& wave = Wave(resourceId);
    bool yielding = (flags & SND_NOSTOP) != 0;
    SDL_LockAudioDevice(Channel.device);
    shared::StartCue(Channel.play, wave.data(), wave.size(), resourceId == EngineWave, yielding,
                       ChannelRate);
    SDL_UnlockAudioDevice(Channel.device);
}

}  // namespace platform
