// The problems told in boxes of the program's own: a damaged records file kept
// aside (never over an earlier one) and a fresh one started, the first bad
// line of a refused map file, and the settings file's problems in one box,
// each once, in the player's language.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "levels/map_file.h"
#include "options/key_bindings.h"
#include "options/records_file.h"
#include "options/settings_file.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "shell/records.h"
#include "tests/unit/fresh_directory.h"
#include "texts/settings_problem_texts.h"
#include "texts/texts.h"

namespace {

using StartProblems = InFreshDirectory;

const char* const Damaged = "records = 1\nhighest_level = 40\n";

// A whole map file's text with `word` in place of the value `index` (from 0).
std::string MapWith(size_t index, const std::string& word) {
    std::vector<int32_t> cells(LevelSetSize, 1);
    std::string text = FormatLevelSet(cells);
    size_t at = 0;
    for (size_t k = 0; k < index; ++k)
        at = text.find_first_of("0123456789", text.find_first_not_of("0123456789", at));
    return text.replace(at, 1, word);
}

}  // namespace

TEST_F(StartProblems, ADamagedRecordsFileGoesAsideUnderTheFirstFreeNameNeverOverAnother) {
    EXPECT_EQ(DamagedRecordsPath("records.txt", 1), "records-damaged.txt");
    EXPECT_EQ(DamagedRecordsPath("/a/b/records.txt", 3), "/a/b/records-damaged-3.txt");
    Write(Damaged, "records.txt");
    Write("first", "records-damaged.txt");
    Write("second", "records-damaged-2.txt");
    std::string keptAs;
    ASSERT_TRUE(KeepDamagedRecordsAside("records.txt", keptAs));
    EXPECT_EQ(keptAs, "records-damaged-3.txt");
    EXPECT_EQ(Read("records-damaged.txt"), "first");
    EXPECT_EQ(Read("records-damaged-2.txt"), "second");
    EXPECT_EQ(Read("records-damaged-3.txt"), Damaged);
    EXPECT_FALSE(platform::PathExists("records.txt"));

    // The move itself never takes a name that is in use.
    Write("new", "records.txt");
    EXPECT_FALSE(platform::MoveToNewName("records.txt", "records-damaged.txt"));
    EXPECT_EQ(Read("records-damaged.txt"), "first");
    EXPECT_EQ(Read("records.txt"), "new");
}

TEST_F(StartProblems, WithEveryAsideNameTakenTheDamagedFileStaysAndNothingIsRecorded) {
    for (int32_t number = 1; number <= MaxDamagedRecordsKept; ++number)
        Write("old", DamagedRecordsPath("records.txt", number).c_str());
    Write(Damaged, "records.txt");
    std::string keptAs;
    EXPECT_FALSE(KeepDamagedRecordsAside("records.txt", keptAs));
    KeepRecordsIn("records.txt");
    EXPECT_TRUE(RecordsRefused());
    EXPECT_EQ(RecordsStartNotice(), "");
    EXPECT_EQ(Read("records.txt"), Damaged);
    EXPECT_EQ(Read("records-damaged.txt"), "old");
}

TEST_F(StartProblems, KeptAsideTheRecordsStartFreshAndTheNoticeSaysWhereTheOldFileIs) {
    Write(Damaged, "records.txt");
    CurrentLanguage = English;
    KeepRecordsIn("records.txt");
    EXPECT_TRUE(RecordsKept());
    EXPECT_FALSE(RecordsRefused());
    EXPECT_EQ(CurrentRecords(), RecordsRecord{});
    EXPECT_EQ(Read("records-damaged.txt"), Damaged);
    // The fresh file is there at once, and reads.
    RecordsRecord read;
    std::string problem;
    EXPECT_EQ(LoadRecordsFile("records.txt", read, problem), RecordsFileRead) << problem;
    EXPECT_EQ(RecordsStartNotice(),
              "The records file was damaged and could not be read (line 2: highest_level is not "
              "a number from 0 to 35).\nIt is kept as records-damaged.txt,\nand a fresh records "
              "file is started: records go on.");
    CurrentLanguage = Chinese;
    EXPECT_EQ(RecordsStartNotice().rfind("战绩文件已损坏", 0), 0u);
    // A good file next time: nothing to tell.
    KeepRecordsIn("records.txt");
    EXPECT_EQ(RecordsStartNotice(), "");
}

TEST(MapTextFaults, TheFirstBadLineAndWhyAsTheReaderMeetsThem) {
    const std::string whole = MapWith(0, "1");
    EXPECT_EQ(FindMapTextFault(whole, LevelSetSize).kind, MapFaultNone);

    // Value 200: level 2 (after 11 rows and a blank line), its third row.
    MapTextFault fault = FindMapTextFault(MapWith(200, "q"), LevelSetSize);
    EXPECT_EQ(fault.kind, MapFaultNotANumber);
    EXPECT_EQ(fault.line, 15);
    EXPECT_EQ(fault.valuesRead, 200);
    EXPECT_EQ(fault.found, "q");

    fault = FindMapTextFault(MapWith(16, "99999999999"), LevelSetSize);
    EXPECT_EQ(fault.kind, MapFaultTooLarge);
    EXPECT_EQ(fault.line, 2);

    // Cut after the value 30: its line is the last, whatever blanks follow.
    const std::string cut =
        whole.substr(0, whole.find("\r\n", whole.find("\r\n") + 2)) + "\r\n\r\n";
    fault = FindMapTextFault(cut, LevelSetSize);
    EXPECT_EQ(fault.kind, MapFaultEndsEarly);
    EXPECT_EQ(fault.valuesRead, 30);
    EXPECT_EQ(fault.line, 2);
    fault = FindMapTextFault("", LevelSetSize);
    EXPECT_EQ(fault.kind, MapFaultEndsEarly);
    EXPECT_EQ(fault.line, 1);
    EXPECT_EQ(fault.valuesRead, 0);

    // A long word is told by its start.
    fault = FindMapTextFault(MapWith(0, std::string(100, 'x')), LevelSetSize);
    EXPECT_EQ(fault.found, std::string(24, 'x'));
}

TEST_F(StartProblems, ARefusedMapIsToldAfterTheGamesBoxAMissingOneIsNot) {
    std::vector<std::string> notices;
    headless::SetNoticeObserver([&](const char* text, const char*) { notices.push_back(text); });
    CurrentLanguage = English;
    EXPECT_FALSE(LoadCustomMap());
    EXPECT_TRUE(notices.empty());
    Write(MapWith(200, "q"));
    const std::vector<int32_t> before = LevelSet;
    EXPECT_FALSE(LoadCustomMap());
    EXPECT_EQ(LevelSet, before);
    EXPECT_EQ(BoxTexts().back(), "The map could not be loaded!");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0],
              "map.txt was not loaded; not one cell changed.\n"
              "The first problem is on line 15: \"q\" is not a number");
    headless::SetNoticeObserver(nullptr);
}

TEST(SettingsProblemsBox, OneBoxEachProblemOnceByItsLineInThePlayersLanguage) {
    ResetEverything();
    EXPECT_EQ(SettingsProblemsNotice(), "");
    PlayerSettingsPath = "/home/p/.config/morvask/s.ini";
    const std::string file = PlayerSettingsPath;
    PlayerSettingsProblems = {file + ":1: lang must be zh or en, not 'fr'",
                              file + ":7: J is also fire's key; lock keeps L",
                              file + ":7: J is also fire's key; lock keeps L",
                              file + ": could not be written; the defaults are used"};
    CurrentLanguage = English;
    EXPECT_EQ(SettingsProblemsNotice(),
              "The settings file s.ini has problems; these lines were skipped:\n"
              "line 1: lang must be zh or en, not 'fr'\n"
              "line 7: J is also fire's key; lock keeps L\n" +
                  file + ": could not be written; the defaults are used");
    CurrentLanguage = Chinese;
    EXPECT_EQ(SettingsProblemsNotice(),
              "设置文件 s.ini 中有以下问题，这些行已跳过：\n"
              "第1行：lang 须为 zh 或 en，而不是“fr”\n"
              "第7行：J 也是 fire 的按键，lock 仍用 L\n" +
                  file + ": 无法写入，使用默认设置");
    ResetEverything();
}

TEST(SettingsProblemsBox, EveryProblemTheReaderFindsIsWordedInChinese) {
    // One line of each kind the reader refuses.
    const std::string text =
        "nonsense\nlang\t=\nlang = fr\nlang = en\nlang = zh\nfullscreen = maybe\n"
        "scale = 9\nscale_mode = odd\nvolume = 101\nintro = long\nhud = up\nplayers = 3\n"
        "sound = loud\nset_title = " + std::string(65, 't') + "\n"
        "pad_deadzone = 91\nshare_url = ftp://x\nshare_author = " +
        std::string(80, 'a') +
        "\ncolour = red\nfire = NoSuchKey\nfire = F1\nlock = J, J\nup = J\ndown = J\n"
        "up = K\n";
    std::vector<std::string> problems;
    ParseSettings(text, "s.ini", problems);
    ASSERT_GE(problems.size(), 20u);
    for (const std::string& problem : problems) {
        const std::string what = problem.substr(problem.find(": ") + 2);
        const std::string chinese = SettingsProblemIn(Chinese, what);
        EXPECT_NE(chinese, what) << "no Chinese wording for: " << what;
        EXPECT_EQ(SettingsProblemIn(English, what), what);
    }
    // A value that holds the form's own words is still told whole.
    EXPECT_EQ(SettingsProblemIn(Chinese, "lang must be zh or en, not 'x', not 'y'"),
              "lang 须为 zh 或 en，而不是“x', not 'y”");
    EXPECT_EQ(SettingsProblemIn(Chinese, "something else"), "something else");
}
