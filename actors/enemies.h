// The enemy tanks: their arrival, their four kinds, and the per-tick pass in
// which each one re-aims, fires, waits, decides and moves.
#pragma once

#include "state/battle_state.h"

// Last step of every tick: counts the arrival delay and brings in the next
// enemy of the level, at most 4 on the field and 20 in all.
void SpawnEnemyStep();

// Every enemy in list order: re-aim the gun, maybe fire, wait, decide on a
// move, move, and draw its lower layer.
void UpdateEnemyTanks();

// True when direction d points out of the field from the edge row or column
// on which the tank stands exactly.
bool FacesOwnEdge(const TankRecord& tank, int32_t d);
