// The running explosions.
#include "actors/effects.h"

#include <cstddef>

#include "render/draw.h"
#include "state/battle_state.h"

void SpawnEffect(int32_t x, int32_t y) {
    BattleState.Effects.push_back({.x = x, .y = y, .frame = 0, .finished = false});
}

void UpdateEffects() {
    std::vector<Effect>& effects = BattleState.Effects;
    for (size_t i = 0; i < effects.size();) {
        Effect& effect = effects[i];
        if (!effect.finished) {
            DrawEffect(effect);
            effect.frame += 1;
            if (effect.frame >= 24)
                effect.finished = true;
        }
        if (effect.finished)
            effects.erase(effects.begin() + i);
        else
            ++i;
    }
}
