// The desktop programs' options: values in both spellings, the last of
// --fullscreen and --windowed winning, and wrong values refused.
#include "options/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CommandLine Read(std::vector<const char*> arguments) {
    return ReadCommandLine(int(arguments.size()), arguments.data());
}

TEST(CommandLine, OptionsAreReadInBothSpellingsAndTheLastDisplayChoiceWins) {
    CommandLine line = Read({});
    EXPECT_EQ(line.action, CommandLineAction::RunGame);
    EXPECT_FALSE(line.fullscreen);
    EXPECT_EQ(line.scale, 0);
    EXPECT_EQ(line.scaleMode, host::ScaleAuto);

    line = Read({"--scale", "3", "--scale-mode=fit", "--fullscreen"});
    EXPECT_EQ(line.action, CommandLineAction::RunGame);
    EXPECT_EQ(line.scale, 3);
    EXPECT_EQ(line.scaleMode, host::ScaleFit);
    EXPECT_TRUE(line.fullscreen);

    line = Read({"--fullscreen", "--scale=8", "--windowed", "--scale-mode", "integer"});
    EXPECT_FALSE(line.fullscreen);
    EXPECT_EQ(line.scale, 8);
    EXPECT_EQ(line.scaleMode, host::ScaleInteger);
    EXPECT_EQ(Read({"--scale-mode=sharp"}).scaleMode, host::ScaleSharp);
    EXPECT_EQ(Read({"--scale-mode", "auto"}).scaleMode, host::ScaleAuto);
}

TEST(CommandLine, RecordNamesTheReplayToWrite) {
    EXPECT_EQ(Read({}).recordPath, "");
    EXPECT_EQ(Read({"--record", "run.mvr"}).recordPath, "run.mvr");
    EXPECT_EQ(Read({"--record=a b.mvr", "--scale", "2"}).recordPath, "a b.mvr");
}

TEST(CommandLine, PlayNamesTheReplayAndSpeedIsOneTwoFourOrEight) {
    CommandLine line = Read({"--play", "run.mvr"});
    EXPECT_EQ(line.action, CommandLineAction::RunGame);
    EXPECT_EQ(line.playPath, "run.mvr");
    EXPECT_EQ(line.speed, 1);
    for (const char* speed : {"1", "2", "4", "8"}) {
        line = Read({"--speed", speed, "--play=run.mvr"});
        EXPECT_EQ(line.action, CommandLineAction::RunGame) << speed;
        EXPECT_EQ(line.speed, speed[0] - '0');
    }
    EXPECT_NE(Read({"--play", "a.mvr", "--speed", "3"}).output.find("--speed is 1, 2, 4 or 8"),
              std::string::npos);
}

TEST(CommandLine, WrongValuesAndUnknownOptionsAreRefusedInTwoLines) {
    for (std::vector<const char*> arguments :
         std::vector<std::vector<const char*>>{{"--scale", "0"},
                                               {"--scale", "9"},
                                               {"--scale", "12"},
                                               {"--scale", "2x"},
                                               {"--scale"},
                                               {"--scale-mode", "Fit"},
                                               {"--windowed=1"},
                                               {"-x"},
                                               {"--fullscreen", "level1"},
                                               {"--record"},
                                               {"--record="},
                                               {"--play", "a.mvr", "--speed", "3"},
                                               {"--play", "a.mvr", "--speed", "16"},
                                               {"--play", "a.mvr", "--speed", "0"},
                                               {"--play", "a.mvr", "--speed", "-2"},
                                               {"--play", "a.mvr", "--speed", "2x"},
                                               {"--play", "a.mvr", "--speed"},
                                               {"--play"},
                                               {"--play="},
                                               {"--speed", "2"},
                                               {"--play", "a.mvr", "--record", "b.mvr"},
                                               {"--host", "--join", "1.2.3.4:5/0000abcd"},
                                               {"--join"},
                                               {"--join", ""},
                                               {"--host", "--play", "a.mvr"},
                                               {"--join", "ABCDE-23456", "--open", "x"},
                                               {"--port", "65536"},
                                               {"--port", "-1"},
                                               {"--port", "80x"},
                                               {"--input-delay", "9"},
                                               {"--input-delay", ""},
                                               {"--online-ticks", "0"},
                                               {"--online-ticks", "100", "--play", "a.mvr"},
                                               {"--watch", "ABCDE-23456", "--relay"}}) {
        CommandLine line = Read(arguments);
        EXPECT_EQ(line.action, CommandLineAction::BadUsage) << arguments.back();
        // The problem, then where to read more: the error never scrolls away.
        const size_t firstEnd = line.output.find('\n');
        ASSERT_NE(firstEnd, std::string::npos);
        EXPECT_EQ(line.output.rfind("morvask: ", 0), 0u) << line.output;
        EXPECT_EQ(line.output.substr(firstEnd + 1), "Try 'morvask --help' for more.\n");
        EXPECT_EQ(line.output.find("Usage"), std::string::npos);
    }
}

TEST(CommandLine, HelpAndVersionEndTheReading) {
    CommandLine line = Read({"--version", "--bogus"});
    EXPECT_EQ(line.action, CommandLineAction::Exit);
    EXPECT_EQ(line.output, "Morvask 1.0.0\n");
    line = Read({"-h"});
    EXPECT_EQ(line.action, CommandLineAction::Exit);
    EXPECT_EQ(line.output, UsageText());
}

}  // namespace

TEST(CommandLine, AnOnlineGameIsHostedOnAPortOrJoinedByWhatTheHostPrinted) {
    CommandLine line = Read({"--host", "--port", "0", "--input-delay=0", "--online-ticks", "500"});
    EXPECT_EQ(line.action, CommandLineAction::RunGame);
    EXPECT_TRUE(line.hostOnline);
    EXPECT_EQ(line.port, 0);
    EXPECT_EQ(line.inputDelay, 0);
    EXPECT_EQ(line.onlineTicks, 500);
    line = Read({"--join", "ABCDE-23456", "--relay", "--lobby", "lobby.example.org:41700"});
    EXPECT_EQ(line.action, CommandLineAction::RunGame);
    EXPECT_FALSE(line.hostOnline);
    EXPECT_EQ(line.joinText, "ABCDE-23456");
    EXPECT_TRUE(line.relayOnly);
    EXPECT_EQ(line.port, DefaultOnlinePort);
    EXPECT_EQ(line.inputDelay, 2);
}
