// The settings file's problems as the player is told them: in the order of
// the file's lines (key choices are judged after the other lines, yet told
// where they stand), and gathered in one box's text in the player's language.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "options/settings_file.h"
#include "tests/unit/test_support.h"
#include "texts/texts.h"

TEST(SettingsNotice, ProblemsComeInTheOrderOfTheirLines) {
    const std::string text =
        "lang = fr\n"        // 1: a bad value
        "fire = Space, Q\n"  // 2: fine
        "up = Nowhere\n"     // 3: an unknown key name
        "volume = 300\n"     // 4: out of range
        "pause = Q\n"        // 5: Q is fire's already
        "lock = F1\n"        // 6: reserved
        "colour = red\n";    // 7: unknown setting
    std::vector<std::string> problems;
    ParseSettings(text, "s.ini", problems);
    std::vector<std::string> lines;
    for (const std::string& problem : problems)
        lines.push_back(problem.substr(0, problem.find(':', 6)));
    EXPECT_EQ(lines, std::vector<std::string>(
                         {"s.ini:1", "s.ini:3", "s.ini:4", "s.ini:5", "s.ini:6", "s.ini:7"}));
}

TEST(SettingsNotice, TheBoxListsEveryProblemInThePlayersLanguage) {
    ResetEverything();
    EXPECT_EQ(SettingsProblemsNotice(), "");
    PlayerSettingsProblems = {"s.ini:1: lang must be zh or en, not 'fr'",
                              "s.ini:4: unknown setting 'colour'"};
    CurrentLanguage = English;
    EXPECT_EQ(SettingsProblemsNotice(),
              "The settings file has problems; these lines were skipped:\n"
              "s.ini:1: lang must be zh or en, not 'fr'\n"
              "s.ini:4: unknown setting 'colour'");
    CurrentLanguage = Chinese;
    EXPECT_EQ(SettingsProblemsNotice().rfind("设置文件中有以下问题，这些行已跳过：\ns.ini:1:", 0),
              0u);
    PlayerSettingsProblems.clear();
}

TEST(SettingsNotice, TheIntroIsFullOrShort) {
    std::vector<std::string> problems;
    EXPECT_FALSE(ParseSettings("", "s.ini", problems).shortIntro);
    EXPECT_TRUE(ParseSettings("intro = Short\n", "s.ini", problems).shortIntro);
    EXPECT_FALSE(ParseSettings("intro = full\n", "s.ini", problems).shortIntro);
    EXPECT_TRUE(problems.empty());
    EXPECT_FALSE(ParseSettings("intro = quick\n", "s.ini", problems).shortIntro);
    EXPECT_EQ(problems,
              std::vector<std::string>({"s.ini:1: intro must be full or short, not 'quick'"}));
    // The file of the first start names it, at its default.
    problems.clear();
    EXPECT_FALSE(ParseSettings(DefaultSettingsText(), "s.ini", problems).shortIntro);
    EXPECT_NE(DefaultSettingsText().find("\nintro = full\n"), std::string::npos);
    EXPECT_TRUE(problems.empty());
}

// hud: where the status shows; the command line's --hud wins over the file.
TEST(SettingsNotice, TheHudIsAutoSideTitleOrOff) {
    std::vector<std::string> problems;
    EXPECT_EQ(ParseSettings("", "s.ini", problems).hud, HudAuto);
    EXPECT_EQ(ParseSettings("hud = Side\n", "s.ini", problems).hud, HudSide);
    EXPECT_EQ(ParseSettings("hud = title\n", "s.ini", problems).hud, HudTitle);
    EXPECT_EQ(ParseSettings("hud = off\n", "s.ini", problems).hud, HudOff);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(ParseSettings("hud = panel\n", "s.ini", problems).hud, HudAuto);
    EXPECT_EQ(problems, std::vector<std::string>(
                            {"s.ini:1: hud must be auto, side, title or off, not 'panel'"}));
    problems.clear();
    EXPECT_EQ(ParseSettings(DefaultSettingsText(), "s.ini", problems).hud, HudAuto);
    EXPECT_NE(DefaultSettingsText().find("\nhud = auto\n"), std::string::npos);
    EXPECT_TRUE(problems.empty());

    SettingsRecord settings = ParseSettings("hud = off\n", "s.ini", problems);
    const char* arguments[] = {"--hud", "title"};
    ApplyCommandLine(ReadCommandLine(2, arguments), settings);
    EXPECT_EQ(settings.hud, HudTitle);
    const char* wrong[] = {"--hud=left"};
    const CommandLine refused = ReadCommandLine(1, wrong);
    EXPECT_EQ(refused.action, CommandLineAction::BadUsage);
    EXPECT_EQ(refused.output,
              "morvask: --hud is auto, side, title or off, not \"left\"\n"
              "Try 'morvask --help' for more.\n");
}
