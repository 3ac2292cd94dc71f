#!/usr/bin/env python3
# How many plausible one-line mistakes in the game's rules, the replays and
# the options the fast tests catch: each mutant is applied alone to a copy of
# the sources, the unit test program and morvask-sim are rebuilt, and the
# scenarios, the replays and the unit tests run until one fails; the test
# that failed first is named. Slow; not part of CTest.
#
# Usage: mutation_check.py SOURCE BUILD [--only N,M,...] [--list] [--summary FILE]
#   SOURCE  a copy of the tree that may be changed (each file is put back
#           after its mutant); BUILD  a configured build of that copy.
#   FILE    where the result of every mutant is written as JSON, after each
#           one (default BUILD/mutation-summary.json).
import argparse
import json
import re
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
    ("actors/bullets.cpp", "    side.lives -= 1;\n", "", "no life lost"),
    ("actors/bullets.cpp", "side.respawnDelay = Delays.respawn;", "side.respawnDelay = Delays.respawn + 1;", "respawn delay"),
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
    ("actors/bullets.cpp", "if (SideInPlay(side) && BulletOverTank(bullet, Players[side].tank))", "if (BulletOverTank(bullet, Players[side].tank))", "wreck is hit"),
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
    ("actors/items.cpp", "std::abs(player.x - battle.ItemX) > PickupReach", "std::abs(player.x - battle.ItemX) >= PickupReach", "pickup reach"),
    ("actors/items.cpp", "if (!SideInPlay(side) || std::abs(player.x", "if ((!SideInPlay(side) && false) || std::abs(player.x", "wreck takes items"),
    ("actors/items.cpp", "{.value = &TankRecord::reloadRate, .step = 2}", "{.value = &TankRecord::reloadRate, .step = 3}", "fire rate step"),
    ("actors/items.cpp", "if (player.*effect.capped >= effect.cap)", "if (player.*effect.capped > effect.cap)", "item cap"),
    ("actors/items.cpp", "    battle.DroppedItem = NoItem;\n", "", "item stays"),
    # battle/
    ("battle/player_control.cpp", "player.x = (player.x + CellSize / 2) / CellSize * CellSize;", "player.x = player.x / CellSize * CellSize;", "x snap truncates"),
    ("battle/player_control.cpp", "player.y = (player.y + CellSize / 2) / CellSize * CellSize;", "player.y = (player.y + CellSize - 1) / CellSize * CellSize;", "y snap rounds up"),
    ("battle/player_control.cpp", "if (battle.LevelIndex < LevelCount - 1)", "if (battle.LevelIndex < LevelCount)", "level key past the last"),
    ("battle/player_control.cpp", "    player.band = 3;", "    player.band = 2;", "upgrade band"),
    ("battle/player_control.cpp", "if (side.turretLockLatch && KeyIsDown(keys.lock)) {", "if (KeyIsDown(keys.lock)) {", "lock toggles every tick"),
    ("battle/player_control.cpp", "player.bulletsInFlight < player.maxBullets)", "player.bulletsInFlight <= player.maxBullets)", "player bullet cap"),
    ("battle/frame_step.cpp", "if (first.lives == 0) {", "if (first.lives == 1) {", "game over a life early"),
    ("battle/frame_step.cpp", "            first.tank.bulletsInFlight = int32_t(first.bullets.size());\n", "", "respawned tank's bullets"),
    ("battle/level_start.cpp", "BattleState.SpawnDelay = 1;", "BattleState.SpawnDelay = 2;", "first arrival"),
    ("battle/level_start.cpp", "    BattleState.DroppedItem = NoItem;\n", "", "item kept across levels"),
    ("battle/level_start.cpp", "    player.reloadTimer = 0;\n", "", "reload kept across levels"),
    ("battle/compose.cpp", "    UpdateEnemyBullets();\n    for (int32_t side = 0; side < sides; ++side)\n        UpdatePlayerBullets(side);\n", "    for (int32_t side = 0; side < sides; ++side)\n        UpdatePlayerBullets(side);\n    UpdateEnemyBullets();\n", "bullet passes swapped"),
    # levels/
    ("levels/cell_animation.cpp", "    if (phaseA == 5) {", "    if (phaseA == 4) {", "burning phase"),
    ("levels/cell_animation.cpp", "            if (code >= 23)", "            if (code > 23)", "water wrap"),
    ("levels/cell_animation.cpp", "battle.TerrainPhaseB = (phaseB + 1) % 4;", "battle.TerrainPhaseB = (phaseB + 1) % 3;", "water cycle"),
    ("levels/map_file.cpp", "            if (levels[k] < 10)", "            if (levels[k] <= 10)", "map padding"),
    ("levels/map_file.cpp", "if (k + 1 != count && !ReadSeparator(cursor))\n            return k + 1;", "if (!ReadSeparator(cursor))\n            return k + 1;", "last number needs a separator"),
    # editor/ and shell/
    ("editor/painting.cpp", "x >= FieldWidth ||", "x > FieldWidth ||", "right field edge"),
    ("editor/painting.cpp", "y >= FieldHeight)", "y > FieldHeight)", "bottom field edge"),
    ("editor/painting.cpp", "{.key = '7', .code = Water},", "{.key = '7', .code = Sand},", "brush 7"),
    ("editor/painting.cpp", "{.key = '4', .code = Ice},", "{.key = '4', .code = Grass},", "brush 4"),
    ("editor/painting.cpp", "WriteLevelCell(BattleState.LevelIndex,", "WriteLevelCell(0,", "paints the first level"),
    ("editor/mode_keys.cpp", "            BattleState.LevelIndex = 0;\n            LoadCustomMap();", "            LoadCustomMap();", "editor starts at the current level"),
    ("shell/window_procedure.cpp", "if (BattleState.LevelIndex == LevelCount) {", "if (BattleState.LevelIndex == LevelCount - 1) {", "all cleared a level early"),
    ("shell/window_procedure.cpp", "            if (GameMode == Playing)\n                GameMode = PauseRequested;", "            GameMode = PauseRequested;", "pause in the editor"),
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
    # replay/: the checksum, the file's strict reader, the player.
    ("replay/checksum.cpp", "hash *= 16777619u;", "hash *= 16777617u;", "checksum's multiplier"),
    ("replay/checksum.cpp", "    VisitLevelSet(f);\n", "", "level set outside the checksum"),
    ("formats/byte_reader.cpp", "if (b == 0 && shift > 0)", "if (b == 0 && shift > 7)", "a number's longer form accepted"),
    ("replay/file.cpp", "if (run.checkDue && op != ReplayCheck", "if (false && op != ReplayCheck", "a missing checksum accepted"),
    ("replay/file.cpp", "if (total != run.ticks)", "if (total < run.ticks)", "an end naming too many ticks accepted"),
    ("replay/file.cpp", "    if (in.at != in.end)", "    if (in.at > in.end)", "bytes after the end accepted"),
    ("replay/file.cpp", "if (int(key) <= previous)", "if (int(key) < previous)", "a key listed twice accepted"),
    ("formats/byte_reader.cpp", "value = int32_t((raw >> 1) ^ (0u - (raw & 1)));", "value = int32_t((raw >> 1) ^ (raw & 1));", "negative numbers read wrong"),
    ("replay/file.cpp", "if (event.count == 0 || event.count > toCheck)", "if (event.count == 0 || event.count >= toCheck)", "a run up to the checksum refused"),
    ("replay/player.cpp", "if (sum != event.value)", "if (false)", "checksums along the way ignored"),
    ("replay/player.cpp", "if (sum != Replay.finalChecksum)", "if (false)", "the final checksum ignored"),
    ("replay/player.cpp", "if (yesNo != (answer != platform::IDOK)) {", "if (false) {", "a box's kind not compared"),
    ("replay/player.cpp", "Desync(\"a box that the recording answered did not open\");", "", "a recorded box that never opened"),
    ("replay/player.cpp", "if (TicksLeftInRun > 0) {", "if (TicksLeftInRun > 1) {", "a tick lost in every run"),
    # options/: the command line, the settings file, the key bindings.
    ("options/command_line.cpp", "text[0] < '1' || text[0] > '8'", "text[0] < '1' || text[0] > '9'", "scale 9 accepted"),
    ("options/command_line.cpp", "if (hasValue && !takesValue)", "if (false && !takesValue)", "a value on a switch accepted"),
    ("options/command_line.cpp", "if (speedGiven && result.playPath.empty() && result.openText.empty())", "if (speedGiven && false)", "--speed without --play"),
    ("options/command_line.cpp", "if (!result.playPath.empty() && !result.recordPath.empty())", "if (false)", "--play with --record"),
    ("options/command_line.cpp", "value != \"4\" && value != \"8\")", "value != \"4\")", "speed 8 refused"),
    ("options/settings_file.cpp", "ParseWholeNumber(value, 0, 100, settings.volume)", "ParseWholeNumber(value, 0, 99, settings.volume)", "volume 100 refused"),
    ("options/settings_file.cpp", "if (xdgConfigHome && xdgConfigHome[0] == '/')", "if (xdgConfigHome && xdgConfigHome[0] != '\\0')", "a relative XDG_CONFIG_HOME used"),
    ("options/settings_file.cpp", "return line.substr(0, line.find_first_of(\"#;\"));", "return line.substr(0, line.find_first_of('#'));", "';' comments read as values"),
    ("options/settings_file.cpp", "if (earlier != seen.end()) {", "if (false) {", "a repeated setting wins"),
    ("options/settings_file.cpp", "if (line.fullscreenGiven)", "if (true)", "the command line always sets full screen"),
    ("options/key_bindings.cpp", "return virtualKey == 'Z' ||", "return virtualKey == 'Y' ||", "Z may be taken for play"),
    ("options/key_bindings.cpp", "int later = sourceLine[a] > sourceLine[b] ? a : b;", "int later = sourceLine[a] < sourceLine[b] ? a : b;", "the earlier line gives way"),
    ("options/key_bindings.cpp", "if (sourceLine[line.action] != 0) {", "if (false) {", "a second line for an action wins"),
    ("options/key_bindings.cpp", "number >= 1 && number <= 12", "number >= 1 && number <= 11", "F12 unknown"),
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


def failed_ctest(output):
    """The first test named in ctest's list of failures."""
    found = re.search(r"The following tests FAILED:\s*\n\s*\d+ - (\S+)", output)
    return found.group(1) if found else "?"


def failed_gtest(output):
    """The first failed test of a GoogleTest run, or the one running when it
    crashed or hung."""
    found = re.search(r"^\[  FAILED  \] (\S+\.\S+)", output, re.M)
    if found:
        return found.group(1)
    running = re.findall(r"^\[ RUN      \] (\S+)", output, re.M)
    return (running[-1] + " (crashed or hung)") if running else "?"


def test_mutant(build, unit_timeout):
    """Returns (stage, test) of the first failure, or None when all pass."""
    code, _ = run(["cmake", "--build", str(build), "--target", "morvask_tests", "morvask-sim",
                   "-j2"], 900)
    if code != 0:
        return ("build", "")
    # Scenarios and replays first: a morvask-sim run each, and quick.
    code, output = run(["ctest", "--test-dir", str(build), "-j2", "--timeout", "120",
                        "--stop-on-failure", "-R", r"^(scenario\.|replay\.|replay_files$)"], 1800)
    if code != 0:
        return ("scenarios", failed_ctest(output))
    # The unit tests, in one process, up to the first failure; a crash or a
    # hang counts as caught.
    unit = build / "tests" / "unit"
    code, output = run([str(unit / "morvask_tests"), "--gtest_fail_fast"], unit_timeout,
                       cwd=str(unit))
    if code != 0:
        return ("unit tests", failed_gtest(output))
    return None


def check_anchors(source, chosen):
    """Every mutant must apply to exactly one place before any runs."""
    for number in chosen:
        path, old, _, what = MUTANTS[number - 1]
        count = (source / path).read_text().count(old)
        if count != 1:
            sys.exit(f"mutant {number} ({what}): its text occurs {count} times in {path}")


def try_mutant(args, number):
    """Applies one mutant, runs the tests, puts the file back; its record."""
    path, old, new, what = MUTANTS[number - 1]
    record = {"number": number, "file": path, "mistake": what}
    if number in EQUIVALENT:
        record.update(verdict="equivalent", why=EQUIVALENT[number])
        return record
    file = args.source / path
    original = file.read_text()
    started = time.time()
    try:
        file.write_text(original.replace(old, new))
        caught = test_mutant(args.build, args.unit_timeout)
    finally:
        file.write_text(original)
    record["seconds"] = int(time.time() - started)
    if caught is None:
        record["verdict"] = "survived"
    elif caught[0] == "build":
        record["verdict"] = "does not build"
    else:
        record.update(verdict="caught", stage=caught[0], test=caught[1])
    return record


def describe(record):
    verdict = record["verdict"]
    if verdict == "caught":
        verdict = f"caught by {record['test']} ({record['stage']})"
    elif verdict == "equivalent":
        verdict = f"equivalent, not counted ({record['why']})"
    elif verdict == "survived":
        verdict = "SURVIVED"
    seconds = f" ({record['seconds']} s)" if "seconds" in record else ""
    return f"{record['number']:3} {record['file']}: {record['mistake']}: {verdict}{seconds}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source", type=pathlib.Path)
    parser.add_argument("build", type=pathlib.Path)
    parser.add_argument("--only", default="", help="comma-separated mutant numbers")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--unit-timeout", type=int, default=600)
    parser.add_argument("--summary", type=pathlib.Path)
    args = parser.parse_args()
    args.source, args.build = args.source.resolve(), args.build.resolve()
    summary = args.summary or args.build / "mutation-summary.json"
    chosen = [int(n) for n in args.only.split(",") if n] or list(range(1, len(MUTANTS) + 1))
    check_anchors(args.source, chosen)
    if args.list:
        for number in chosen:
            print(number, MUTANTS[number - 1][0], MUTANTS[number - 1][3])
        return

    # Without a mutant every test must pass, or each mutant would seem caught.
    failure = test_mutant(args.build, args.unit_timeout)
    if failure:
        sys.exit(f"the tests fail without a mutant: {failure[1] or failure[0]}")
    records = []
    for number in chosen:
        records.append(try_mutant(args, number))
        print(describe(records[-1]), flush=True)
        summary.write_text(json.dumps(records, indent=1, ensure_ascii=False) + "\n")

    caught = sum(r["verdict"] == "caught" for r in records)
    survivors = [r for r in records if r["verdict"] == "survived"]
    stillborn = sum(r["verdict"] == "does not build" for r in records)
    counted = caught + len(survivors)
    rate = 100.0 * caught / counted if counted else 0.0
    print(f"caught {caught} of {counted} ({rate:.0f}%), {stillborn} did not build")
    for r in survivors:
        print(f"survivor {r['number']}: {r['file']}: {r['mistake']}")
    print(f"summary: {summary}")
    # Put the sources' times back in step with the build for the next run.
    run(["cmake", "--build", str(args.build), "--target", "morvask_tests", "morvask-sim", "-j2"], 900)


if __name__ == "__main__":
    main()
