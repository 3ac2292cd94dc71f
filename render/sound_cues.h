// The sound cues of the game and how each one takes the single sound channel.
#pragma once

enum SoundCue {
    LevelStartCue,  // 111, a level starts in play
    ExplosionCue,   // 118, a tank or the base is destroyed
    HitCue,         // 119, a player bullet stops
    EngineCue,      // 120, the player starts a move
    CannonCue,      // 121, the player fires
    TurretCue,      // 122, a gun key is held
};

// Plays the cue when sound is enabled and the tick is not one run again
// after a rollback (TickRunAgain), which was heard already; nothing at all
// happens otherwise.
void PlayCue(SoundCue cue);
