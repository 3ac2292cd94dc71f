// Terrain, blocking and turning: the rules every tank moves by.
#include "actors/movement.h"

#include <cstdlib>

#include "levels/level_grid.h"

bool TerrainRefusesMove(TankRecord& tank) {
    int32_t column = tank.x / CellSize;
    int32_t row = tank.y / CellSize;
    MoveAlong(tank.moveDir, 1, column, row);
    if (!InsideGrid(column, row))
        return true;
    int32_t terrain = CellTerrain(WorkingGrid[CellIndex(column, row)]);
    tank.stepPixels = tank.speed;
    switch (terrain) {
        case Ice:
            tank.stepPixels = 2 * tank.speed;
            return false;
        case Sand:
            tank.stepPixels = 1;
            return false;
        case Empty:
        case Grass:
            return false;
        default:
            return true;
    }
}

bool TankBlocks(const TankRecord& mover, const TankRecord& other) {
    int32_t ahead;
    int32_t side;
    switch (mover.moveDir) {
        case Down:
            ahead = other.y - mover.y;
            side = other.x - mover.x;
            break;
        case Left:
            ahead = mover.x - other.x;
            side = other.y - mover.y;
            break;
        case Up:
            ahead = mover.y - other.y;
            side = other.x - mover.x;
            break;
        case Right:
            ahead = other.x - mover.x;
            side = other.y - mover.y;
            break;
        default:
            return false;
    }
    if (side == 0 && ahead >= CellSize && ahead < 2 * CellSize)
        return true;
    return ahead == CellSize && std::abs(side) < CellSize;
}

void AdvanceTrack(TankRecord& tank) {
    tank.trackFrame += 1;
    if (tank.trackFrame == 3)
        tank.trackFrame = 0;
}

void TurnTank(TankRecord& tank, int32_t direction) {
    tank.moveDir = direction;
    if (!tank.turretLocked)
        tank.turretDir = direction;
    AdvanceTrack(tank);
}
