// A replay whose 100th tick opens a box: the recorder writes the box's answer
// before that tick's checksum (the checksum is of the state after the whole
// tick), and the file must read and play back as the same game.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "replay/file.h"

namespace {

namespace fs = std::filesystem;

}  // namespace

TEST(ReplayBoxAtChecksum, ARunWhoseHundredthTickOpensABoxReadsAndVerifies) {
    char pattern[] = "/tmp/morvask-replay-box-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path work = pattern;
    // P asks for the pause; the next tick, the 100th, shows its box.
    std::ofstream(work / "run.sim") << "answer ok ok no ok\nstart\ntick 99\npress P\ntick 1\n"
                                       "tick 150\npress P\ntick 1\nclose\n";
    const std::string sim = MORVASK_SIM_PATH;
    const std::string in = "cd '" + work.string() + "' && '" + sim + "' ";
    ASSERT_EQ(std::system((in + "--record run.mvr run.sim >/dev/null").c_str()), 0);

    std::string bytes;
    ASSERT_TRUE(ReadReplayFile((work / "run.mvr").string(), bytes));
    ReplayRecord replay;
    std::string error;
    ASSERT_EQ(DecodeReplay(bytes, replay, error), ReplayRead) << error;
    // The box's answer stands between the 100th tick and its checksum.
    uint32_t ticks = 0;
    bool boxBeforeCheck = false;
    for (size_t k = 0; k + 1 < replay.events.size(); ++k) {
        if (replay.events[k].op == ReplayTicks)
            ticks += replay.events[k].count;
        if (ticks == 100 && replay.events[k].op == ReplayTicks)
            boxBeforeCheck = replay.events[k + 1].op == ReplayBox;
    }
    EXPECT_TRUE(boxBeforeCheck);

    EXPECT_EQ(std::system((in + "--verify run.mvr >verify.txt").c_str()), 0);
    std::ifstream verify(work / "verify.txt");
    std::string line;
    std::getline(verify, line);
    EXPECT_EQ(line, "{\"type\":\"verify\",\"tick\":251,\"result\":\"same\"}");
    fs::remove_all(work);
}
