// The one sound channel's mixing rule, shared by the desktop, Windows and web
// backends: a cue cuts off what plays, a yielding cue gives way to a wave
// still playing, and the engine rings on past its wave's end until the next
// cue, so a tank that keeps driving hums without gaps.
#pragma once

#include <cstddef>
#include <cstdint>

namespace shared {

// The engine's wave is requested again only at the next move after it ends;
// it rings on at full level this long, then fades out over RingFadeMs.
inline constexpr int RingHoldMs = 400;
inline constexpr int RingFadeMs = 150;

// Samples a ringing wave lasts past its own end at rate.
size_t RingTailSamples(int rate);

// The sample at position (which may run up to RingTailSamples past the end)
// of a wave that rings on: before its last fade the wave itself, after it a
// seamless loop over its steady middle, crossfaded at every turn, held at
// full level until RingHoldMs past the end and then faded out.
int RingingSample(const int16_t* wave, size_t length, int rate, size_t position);

struct ChannelPlay {
    const int16_t* wave = nullptr;  // null: silence
    size_t length = 0;
    size_t position = 0;
    bool rings = false;
    int rate = 8000;
};

// True while the wave itself plays (not its ringing on): a yielding cue
// gives way only then.
bool ChannelBusy(const ChannelPlay& channel);

// A new cue: cuts off what plays unless it yields to a wave still playing.
// An empty wave still cuts off what plays: the request was made.
void StartCue(ChannelPlay& channel, const int16_t* wave, size_t length, bool rings, bool yielding,
              int rate);

// Writes count samples of what plays at volume percent, silence after it.
void MixCue(ChannelPlay& channel, int16_t* out, size_t count, int volume);

}  // namespace shared
