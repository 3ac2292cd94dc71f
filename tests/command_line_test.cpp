// The desktop programs' options: values in both spellings, the last of
// --fullscreen and --windowed winning, and wrong values refused.
#include "app/command_line.h"

#include <gtest/gtest.h>

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
    EXPECT_FALSE(line.fitMode);

    line = Read({"--scale", "3", "--scale-mode=fit", "--fullscreen"});
    EXPECT_EQ(line.action, CommandLineAction::RunGame);
    EXPECT_EQ(line.scale, 3);
    EXPECT_TRUE(line.fitMode);
    EXPECT_TRUE(line.fullscreen);

    line = Read({"--fullscreen", "--scale=8", "--windowed", "--scale-mode", "integer"});
    EXPECT_FALSE(line.fullscreen);
    EXPECT_EQ(line.scale, 8);
    EXPECT_FALSE(line.fitMode);
}

TEST(CommandLine, WrongValuesAndUnknownOptionsAreRefusedWithTheUsage) {
    for (std::vector<const char*> arguments :
         std::vector<std::vector<const char*>>{{"--scale", "0"},
                                               {"--scale", "12"},
                                               {"--scale", "2x"},
                                               {"--scale"},
                                               {"--scale-mode", "Fit"},
                                               {"--windowed=1"},
                                               {"-x"},
                                               {"--fullscreen", "level1"}}) {
        CommandLine line = Read(arguments);
        EXPECT_EQ(line.action, CommandLineAction::BadUsage) << arguments[0];
        EXPECT_NE(line.output.find(UsageText()), std::string::npos);
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
