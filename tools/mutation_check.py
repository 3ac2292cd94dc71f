#!/usr/bin/env python3
# How many plausible one-line mistakes in the game's rules the fast tests
# catch: each mutant is applied alone to a copy of the sources, the unit test
# program and morvask-sim are rebuilt, and the scenarios, the replays and the
# unit tests run until one fails. Slow; not part of CTest.
#
# Usage: mutation_check.py SOURCE BUILD [--only N,M,...] [--list]
#   SOURCE  a copy of the tree that may be changed (each file is put back
#           after its mutant); BUILD  a configured build of that copy.
import argparse
import pathlib
import subprocess
import sys
import time

# (file, exact text that occurs once, its replacement, what the mistake is)
MUTANTS = [
    # actors/bullets.cpp
    ("actors/bullets.cpp", "if (bullet.frame > 6)", "if (bullet.frame >= 6)", "trail frame wraps early"),
    ("actors/bullets.cpp", "return bullet.x >= Bullets.lowestX &&", "return bullet.x > Bullets.lowestX &&", "left margin off by one"),
    ("actors/bullets.cpp", ".highestY = 739,", ".highestY = 740,", "bottom margin off by one"),
    ("actors/bullets.cpp", "std::abs(bullet.x - (tank.x + 12)) < 32", "std::abs(bullet.x - (tank.x + 12)) <= 32", "tank hit reach"),
    ("actors/bullets.cpp", "    if (player.hitPoints > 0) {", "    if (player.hitPoints >= 0) {", "player survives at 0"),
    ("actors/bullets.cpp", "    battle.Lives -= 1;\n", "", "no life lost"),
    ("actors/bullets.cpp", "battle.RespawnDelay = Delays.respawn;", "battle.RespawnDelay = Delays.respawn + 1;", "respawn delay"),
    ("actors/bullets.cpp", "    if (enemy.hitPoints > 0) {", "    if (enemy.hitPoints > 10) {", "enemy dies early"),
    ("actors/bullets.cpp", "    RollItemDrop(enemy);\n", "", "no item drop"),
    ("actors/bullets.cpp", "    battle.EnemiesOnField -= 1;\n", "", "field count kept"),
    ("actors/bullets.cpp", "battle.EnemiesOnField == 0 && battle.EnemiesToSpawn == 0", "battle.EnemiesOnField == 0 || battle.EnemiesToSpawn == 0", "level clears early"),
    ("actors/bullets.cpp", ".x = tank.x + 12,", ".x = tank.x + 13,", "muzzle x"),
    ("actors/bullets.cpp", "    if (tank.reloadTimer == 0) {\n        tank.reloadTimer = Bullets", "    if (true) {\n        tank.reloadTimer = Bullets", "reload restarted by every shot"),
    ("actors/bullets.cpp", "cell = weakened <= BurningBrick ? weakened : Empty;", "cell = weakened < BurningBrick ? weakened : Empty;", "brick skips burning"),
    ("actors/bullets.cpp", "int32_t weakened = cell + bullet.damage / 10;", "int32_t weakened = cell + 1;", "damage ignored on bricks"),
    ("actors/bullets.cpp", "            BattleState.GameOverDelay = Delays.baseLoss;\n", "", "base loss forgotten"),
    ("actors/bullets.cpp", "return dx < Bullets.meetCrossing && dy < Bullets.meetCrossing;", "return dx < Bullets.meetCrossing || dy < Bullets.meetCrossing;", "crossing bullets meet too easily"),
    ("actors/bullets.cpp", ".meetAcross = 20,", ".meetAcross = 24,", "bullets meet wider"),
    ("actors/bullets.cpp", "if (!battle.PlayerDestroyed && BulletOverTank(bullet, battle.Player))", "if (BulletOverTank(bullet, battle.Player))", "wreck is hit"),
    # actors/enemies.cpp
    ("actors/enemies.cpp", ".fireRoll = 20,", ".fireRoll = 19,", "fire odds"),
    ("actors/enemies.cpp", "            return TurretTank;", "            return HeavyTank;", "class roll table"),
    ("actors/enemies.cpp", ".band = 5, .hitPoints = 20", ".band = 5, .hitPoints = 30", "fast tank's hit points"),
    ("actors/enemies.cpp", "    battle.EnemiesToSpawn -= 1;\n", "", "spawn count kept"),
    ("actors/enemies.cpp", "tank.waitTicks = Enemies.waitAfterRefusal;", "tank.waitTicks = 0;", "no wait after refusal"),
    ("actors/enemies.cpp", "TankBlocks(tank, battle.EnemyList[other])", "TankBlocks(battle.EnemyList[other], tank)", "blocking asked the wrong way round"),
    ("actors/enemies.cpp", "        tank.moveTicks = CellSize / tank.stepPixels;", "        tank.moveTicks = CellSize / tank.speed;", "enemy move length on ice"),
    ("actors/enemies.cpp", "(d == Up && tank.y == 0)", "(d == Up && tank.y == CellSize)", "top edge"),
    ("actors/enemies.cpp", "battle.EnemiesOnField < Enemies.maxOnField &&", "battle.EnemiesOnField <= Enemies.maxOnField &&", "five on the field"),
    ("actors/enemies.cpp", "tank.bulletsInFlight < tank.maxBullets &&", "tank.bulletsInFlight <= tank.maxBullets &&", "enemy bullet cap"),
    ("actors/enemies.cpp", "if (tank.flashTicks == 0 && (Roll(Enemies.turnRoll)", "if ((Roll(Enemies.turnRoll)", "turns during the flash"),
    # actors/movement.cpp, effects.cpp, items.cpp
    ("actors/movement.cpp", "tank.stepPixels = 2 * tank.speed;", "tank.stepPixels = tank.speed;", "ice not fast"),
    ("actors/movement.cpp", "        case Grass:\n", "", "grass refuses"),
    ("actors/movement.cpp", "ahead < 2 * CellSize)", "ahead <= 2 * CellSize)", "blocking reach"),
    ("actors/movement.cpp", "return ahead == CellSize && std::abs(side) < CellSize;", "return ahead == CellSize && std::abs(side) <= CellSize;", "blocking width"),
    ("actors/movement.cpp", "if (tank.trackFrame == 3)", "if (tank.trackFrame == 4)", "track frames"),
    ("actors/movement.cpp", "    if (!tank.turretLocked)\n", "    if (true)\n", "lock ignored"),
    ("actors/effects.cpp", "if (effect.frame >= 24)", "if (effect.frame > 24)", "explosion one frame long"),
    ("actors/items.cpp", ".roll = 7, .item = ArmourItem", ".roll = 6, .item = ArmourItem", "armour odds"),
    ("actors/items.cpp", "std::abs(battle.Player.x - battle.ItemX) > PickupReach", "std::abs(battle.Player.x - battle.ItemX) >= PickupReach", "pickup reach"),
    ("actors/items.cpp", "    if (battle.PlayerDestroyed)\n        return;\n", "", "wreck takes items"),
    ("actors/items.cpp", "{.value = &TankRecord::reloadRate, .step = 2}", "{.value = &TankRecord::reloadRate, .step = 3}", "fire rate step"),
    ("actors/items.cpp", "if (player.*effect.capped >= effect.cap)", "if (player.*effect.capped > effect.cap)", "item cap"),
    ("actors/items.cpp", "    battle.DroppedItem = NoItem;\n", "", "item stays"),
    # battle/
    ("battle/player_control.cpp", "player.x = (player.x + CellSize / 2) / CellSize * CellSize;", "player.x = player.x / CellSize * CellSize;", "x snap truncates"),
    ("battle/player_control.cpp", "player.y = (player.y + CellSize / 2) / CellSize * CellSize;", "player.y = (player.y + CellSize - 1) / CellSize * CellSize;", "y snap rounds up"),
    ("battle/player_control.cpp", "if (battle.LevelIndex < LevelCount - 1)", "if (battle.LevelIndex < LevelCount)", "level key past the last"),
    ("battle/player_control.cpp", "        player.band = 3;", "        player.band = 2;", "upgrade band"),
    ("battle/player_control.cpp", "if (TurretLockLatch && KeyIsDown('L')) {", "if (KeyIsDown('L')) {", "lock toggles every tick"),
    ("battle/player_control.cpp", "player.bulletsInFlight < player.maxBullets)", "player.bulletsInFlight <= player.maxBullets)", "player bullet cap"),
    ("battle/frame_step.cpp", "if (battle.Lives == 0) {", "if (battle.Lives == 1) {", "game over a life early"),
    ("battle/frame_step.cpp", "            battle.Player.bulletsInFlight = int32_t(battle.PlayerBullets.size());\n", "", "respawned tank's bullets"),
    ("battle/level_start.cpp", "BattleState.SpawnDelay = 1;", "BattleState.SpawnDelay = 2;", "first arrival"),
    ("battle/level_start.cpp", "    BattleState.DroppedItem = NoItem;\n", "", "item kept across levels"),
    ("battle/level_start.cpp", "    player.reloadTimer = 0;\n", "", "reload kept across levels"),
    ("battle/compose.cpp", "    UpdateEnemyBullets();\n    UpdatePlayerBullets();\n", "    UpdatePlayerBullets();\n    UpdateEnemyBullets();\n", "bullet passes swapped"),
    # levels/
    ("levels/cell_animation.cpp", "    if (phaseA == 5) {", "    if (phaseA == 4) {", "burning phase"),
    ("levels/cell_animation.cpp", "            if (code >= 23)", "            if (code > 23)", "water wrap"),
    ("levels/cell_animation.cpp", "battle.TerrainPhaseB = (phaseB + 1) % 4;", "battle.TerrainPhaseB = (phaseB + 1) % 3;", "water cycle"),
    ("levels/map_file.cpp", "            if (levels[k] < 10)", "            if (levels[k] <= 10)", "map padding"),
    ("levels/map_file.cpp", "if (k + 1 != count && !ReadSeparator(cursor))", "if (!ReadSeparator(cursor))", "last number needs a separator"),
    # app/
    ("app/editor.cpp", "x >= FieldWidth ||", "x > FieldWidth ||", "right field edge"),
    ("app/editor.cpp", "y >= FieldHeight)", "y > FieldHeight)", "bottom field edge"),
    ("app/editor.cpp", "{.key = '7', .code = Water},", "{.key = '7', .code = Sand},", "brush 7"),
    ("app/editor.cpp", "{.key = '4', .code = Ice},", "{.key = '4', .code = Grass},", "brush 4"),
    ("app/editor.cpp", "LevelSet[BattleState.LevelIndex * LevelCellCount + index] = code;", "LevelSet[index] = code;", "paints the first level"),
    ("app/window_procedure.cpp", "                    battle.LevelIndex = 0;\n                    LoadCustomMap();", "                    LoadCustomMap();", "editor starts at the current level"),
    ("app/window_procedure.cpp", "if (BattleState.LevelIndex == LevelCount) {", "if (BattleState.LevelIndex == LevelCount - 1) {", "all cleared a level early"),
    ("app/window_procedure.cpp", "            if (GameMode == Playing)\n                GameMode = PauseRequested;", "            GameMode = PauseRequested;", "pause in the editor"),
    # render/
    ("render/draw.cpp", "int32_t back = tank.reloadTimer / 20 * (tank.bulletDamage / 10);", "int32_t back = tank.reloadTimer / 25 * (tank.bulletDamage / 10);", "recoil distance"),
    ("render/draw.cpp", "int32_t recoilRow = 8 - tank.reloadTimer / 20;", "int32_t recoilRow = 7 - tank.reloadTimer / 20;", "recoil row"),
    ("render/draw.cpp", "    if (tank.flashTicks <= 0)", "    if (tank.flashTicks <= 1)", "flash a tick short"),
    ("render/draw.cpp", "MoveAlong(tank.turretDir, 48, fx, fy);", "MoveAlong(tank.turretDir, 47, fx, fy);", "flash position"),
    ("render/draw.cpp", "2 * TankSprite * (band + 9)", "2 * TankSprite * (band + 8)", "flash sprite row"),
    ("render/draw.cpp", "bullet.frame <= 3 ? 8 * bullet.frame", "bullet.frame < 3 ? 8 * bullet.frame", "trail offset"),
    ("render/draw.cpp", "CellSpriteSource(24 + BattleState.DroppedItem", "CellSpriteSource(23 + BattleState.DroppedItem", "item sprite"),
    ("render/draw.cpp", "EffectSprite * (effect.frame / 3)", "EffectSprite * (effect.frame / 4)", "explosion frames"),
    ("render/draw.cpp", "centreX - 32, centreY - 32", "centreX - 31, centreY - 32", "brush cursor"),
    # Added after the first run, beside the two equivalent mistakes.
    ("levels/map_file.cpp", "negative = *text.at == '-';", "negative = *text.at == '+';", "sign read the wrong way"),
    ("actors/bullets.cpp", "    tank.bulletsInFlight += 1;\n", "", "a shot not counted in flight"),
]


# Mistakes that cannot change what the game does, left in the list to say so:
# they are reported but not counted.
EQUIVALENT = {
    13: "every caller fires only with the reload at 0, so the test always holds",
    60: "the value is stored before the separator is read, and the loop ends anyway",
    74: "at frame 3 both arms give 24",
}


def run(command, timeout, cwd=None):
    try:
        done = subprocess.run(command, cwd=cwd, timeout=timeout, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True)
        return done.returncode, done.stdout
    except subprocess.TimeoutExpired:
        return "timeout", ""


def test_mutant(build, unit_timeout):
    """Returns the name of the first failing stage, or None when all pass."""
    code, _ = run(["cmake", "--build", str(build), "--target", "morvask_tests", "morvask-sim",
                   "-j2"], 900)
    if code != 0:
        return "build"
    # Scenarios and replays first: a morvask-sim run each, and quick.
    code, _ = run(["ctest", "--test-dir", str(build), "-j2", "--timeout", "120", "--stop-on-failure",
                   "-R", r"^(scenario|replay)\."], 1800)
    if code != 0:
        return "scenarios"
    # The unit tests, in one process; a crash or a hang counts as caught.
    code, _ = run([str(build / "tests" / "morvask_tests"), "--gtest_brief=1"], unit_timeout,
                  cwd=str(build / "tests"))
    if code != 0:
        return "unit tests"
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source", type=pathlib.Path)
    parser.add_argument("build", type=pathlib.Path)
    parser.add_argument("--only", default="", help="comma-separated mutant numbers")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--unit-timeout", type=int, default=600)
    args = parser.parse_args()
    args.source, args.build = args.source.resolve(), args.build.resolve()
    chosen = [int(n) for n in args.only.split(",") if n] or list(range(1, len(MUTANTS) + 1))

    # Every mutant must apply to exactly one place before any runs.
    for number in chosen:
        path, old, _, what = MUTANTS[number - 1]
        count = (args.source / path).read_text().count(old)
        if count != 1:
            sys.exit(f"mutant {number} ({what}): its text occurs {count} times in {path}")
    if args.list:
        for number in chosen:
            print(number, MUTANTS[number - 1][0], MUTANTS[number - 1][3])
        return

    killed, survivors, stillborn = 0, [], []
    for number in chosen:
        path, old, new, what = MUTANTS[number - 1]
        if number in EQUIVALENT:
            print(f"{number:3} {path}: {what}: equivalent, not counted ({EQUIVALENT[number]})",
                  flush=True)
            continue
        file = args.source / path
        original = file.read_text()
        started = time.time()
        try:
            file.write_text(original.replace(old, new))
            caught_by = test_mutant(args.build, args.unit_timeout)
        finally:
            file.write_text(original)
        seconds = int(time.time() - started)
        if caught_by == "build":
            stillborn.append(number)
            verdict = "does not build (not counted)"
        elif caught_by:
            killed += 1
            verdict = f"killed by the {caught_by}"
        else:
            survivors.append(number)
            verdict = "SURVIVED"
        print(f"{number:3} {path}: {what}: {verdict} ({seconds} s)", flush=True)

    counted = killed + len(survivors)
    rate = 100.0 * killed / counted if counted else 0.0
    print(f"killed {killed} of {counted} ({rate:.0f}%), {len(stillborn)} did not build")
    for number in survivors:
        print(f"survivor {number}: {MUTANTS[number - 1][0]}: {MUTANTS[number - 1][3]}")
    # Put the sources' times back in step with the build for the next run.
    run(["cmake", "--build", str(args.build), "--target", "morvask_tests", "morvask-sim", "-j2"], 900)


if __name__ == "__main__":
    main()
