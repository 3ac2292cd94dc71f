// The sync test's side in morvask-sim: the keys and box answers of each tick
// kept to run it again, the boxes of a tick run again kept out of the output.
#include "programs/sim/sim_sync_test.h"

#include <bitset>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "netplay/sync_test.h"
#include "programs/sim/sim_run.h"
#include "shell/menu.h"

namespace {

struct KeptTick {
    std::bitset<256> keys;
    std::vector<int> answers;
    int64_t step = 0;
};

bool Testing = false;
SyncTest Test;
std::vector<KeptTick> Kept;
// The tick now run again, and which of its answers comes next.
KeptTick* Again = nullptr;
size_t NextAnswer = 0;
KeptTick* First = nullptr;

void RunTick(int64_t index, bool again) {
    KeptTick& kept = Kept[size_t(index % int64_t(Kept.size()))];
    if (!again) {
        kept = KeptTick{};
        for (int key = 0; key < 256; ++key)
            kept.keys[size_t(key)] = headless::KeyHeld(key);
        First = &kept;
        headless::StepTick();
        kept.step = headless::TickCount();
        First = nullptr;
        return;
    }
    for (int key = 0; key < 256; ++key)
        headless::SetKeyDown(key, kept.keys[size_t(key)]);
    Again = &kept;
    NextAnswer = 0;
    // The tick again, without counting a step of the run.
    if (headless::TimerIsSet(1))
        headless::Deliver(platform::WM_TIMER, 1, 0);
    Again = nullptr;
}

}  // namespace

bool TakeSyncTestOption(int& argc, char**& argv) {
    if (argc < 2 || std::string(argv[1]) != "--sync-test")
        return true;
    const std::string depth = argc >= 3 ? argv[2] : "";
    const int value = depth.size() >= 1 && depth.size() <= 2 &&
                              depth.find_first_not_of("0123456789") == std::string::npos
                          ? std::atoi(depth.c_str())
                          : 0;
    if (value < 1 || value > MaxSyncTestDepth) {
        std::fprintf(stderr, "morvask-sim: --sync-test takes a depth of 1 to %d ticks\n",
                     MaxSyncTestDepth);
        return false;
    }
    Testing = true;
    StartSyncTest(Test, value);
    Kept.assign(size_t(value), KeptTick{});
    argv += 2;
    argc -= 2;
    return true;
}

bool SyncTesting() {
    return Testing;
}

void InstallSyncTestHooks(headless::BoxAnswerer answerer, headless::BoxObserver observer) {
    headless::SetBoxAnswerer([answerer](const char* text, const char* caption, uint32_t type) {
        if (Again)
            return NextAnswer < Again->answers.size() ? Again->answers[NextAnswer++]
                                                      : platform::IDOK;
        const int answer = answerer(text, caption, type);
        if (First)
            First->answers.push_back(answer);
        return answer;
    });
    headless::SetBoxObserver(
        [observer](const char* text, const char* caption, uint32_t type, int answer) {
            if (!Again)
                observer(text, caption, type, answer);
        });
}

void SyncTestStep() {
    // The menu is the player's own screen, outside the state the peers of an
    // online game share (it polls the mouse each tick): a tick under it runs
    // once, and no rollback reaches back across it.
    if (MenuOpen()) {
        headless::StepTick();
        Test.ticks += 1;
        SyncTestBarrier(Test);
        return;
    }
    if (SyncTestTick(Test, RunTick))
        return;
    std::fflush(stdout);
    const KeptTick& kept = Kept[size_t(Test.firstMismatch % int64_t(Kept.size()))];
    std::fprintf(stderr,
                 "morvask-sim: sync test: the state after tick %lld differs when run again "
                 "after a rollback of up to %d ticks\n",
                 static_cast<long long>(kept.step), Test.depth);
    EndSimRun(1);
}

void SyncTestCommand(const std::string& name) {
    // These leave the state alone: the keys held are each tick's input.
    for (const char* quiet : {"tick", "hold", "release", "answer", "dump", "status", "frame",
                              "clipboard", "seed", "players"})
        if (name == quiet)
            return;
    SyncTestBarrier(Test);
}

void EndSyncTest() {
    std::fprintf(stderr,
                 "morvask-sim: sync test: %lld ticks, each rolled back up to %d ticks, %lld "
                 "ticks run again, no mismatch\n",
                 static_cast<long long>(Test.ticks), Test.depth,
                 static_cast<long long>(Test.ticksRunAgain));
}
