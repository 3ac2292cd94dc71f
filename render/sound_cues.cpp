// Event cues interrupt whatever plays; the cues of driving and turning the gun
// yield to a sound that is still playing.
#include "render/sound_cues.h"

#include "state/program_state.h"

namespace {

struct CueEntry {
    SoundCue cue;
    int resource;
    bool yielding;
};

// In the order of SoundCue, so that a cue is its own index.
constexpr CueEntry CueTable[] = {
    {.cue = LevelStartCue, .resource = 111, .yielding = false},
    {.cue = ExplosionCue, .resource = 118, .yielding = false},
    {.cue = HitCue, .resource = 119, .yielding = false},
    {.cue = EngineCue, .resource = 120, .yielding = true},
    {.cue = CannonCue, .resource = 121, .yielding = false},
    {.cue = TurretCue, .resource = 122, .yielding = true},
};

constexpr bool TableInCueOrder() {
    for (int i = 0; i < int(sizeof CueTable / sizeof CueTable[0]); ++i)
        if (CueTable[i].cue != i)
            return false;
    return true;
}
static_assert(TableInCueOrder());

}  // namespace

void PlayCue(SoundCue cue) {
    if (!SoundEnabled || TickRunAgain)
        return;
    uint32_t flags = platform::SND_RESOURCE | platform::SND_ASYNC | platform::SND_NODEFAULT;
    if (CueTable[cue].yielding)
        flags |= platform::SND_NOSTOP;
    platform::PlaySound(CueTable[cue].resource, flags);
}
