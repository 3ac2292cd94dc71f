// A level set's name: the code of all levels carries the title and author in
// force (a shared set's, else the player's own), and the share screen types
// them, keeping the player's own in the settings file and a share's with it.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "editor/share_keys.h"
#include "formats/share_code.h"
#include "levels/level_grid.h"
#include "levels/level_origin.h"
#include "options/settings_file.h"
#include "platform/headless/headless.h"
#include "shell/menu.h"
#include "state/program_state.h"
#include "tests/unit/fresh_directory.h"
#include "tests/unit/test_support.h"

namespace {

constexpr int VkEnter = 0x0D;
constexpr int VkBackspace = 0x08;

void Press(int key) {
    headless::Deliver(platform::WM_KEYDOWN, uintptr_t(key), 0);
}

void PressWith(int modifier, int key) {
    headless::SetKeyDown(modifier, true);
    Press(key);
    headless::SetKeyDown(modifier, false);
}

// The set's code as Ctrl+Shift+A copies it, read back.
SharedContent CopiedSet() {
    EXPECT_TRUE(EditorShareKey('A'));
    SharedContent content;
    std::string error;
    EXPECT_EQ(ReadShareCode(platform::ClipboardText(), ShareLevels, content, error), ShareRead)
        << error;
    EXPECT_EQ(content.kind, ShareSetKind);
    return content;
}

class SetName : public InTempFolder {
protected:
    void SetUp() override {
        InTempFolder::SetUp();
        std::ofstream(path, std::ios::binary) << "# mine\nshare_author = Lin\nmystery = 1\n";
        StartGame();
        headless::SetBoxAnswerer([](const char*, const char*, uint32_t type) {
            return (type & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
        });
        Press(platform::VK_F1);
        Ticks(1);
        ASSERT_EQ(GameMode, Editing);
        PlayerSettingsPath = path;
        PlayerSettings.shareAuthor = ShareAuthor = "Lin";
    }
    // The share screen open, the row of the title (0) or author (1) taken.
    void StartTyping(int32_t field) {
        if (!MenuOpen())
            OpenMenu();
        ShowMenuScreen(MenuShareScreen);
        // The title's and the author's rows come last.
        const int32_t row = int32_t(MenuEntries().size()) - 2 + field;
        for (int32_t k = 0; k < row; ++k)
            Press(platform::VK_DOWN);
        Press(VkEnter);
        ASSERT_EQ(Menu.typing, field);
    }
    void Paste(const std::string& text) {
        platform::SetClipboardText(text);
        PressWith(platform::VK_CONTROL, 'V');
    }

    const std::string& path = settingsPath;
};

TEST_F(SetName, TheSetsCodeCarriesTheNameInForce) {
    ShareTitle = "Brick garden";
    SharedContent own = CopiedSet();
    EXPECT_EQ(own.title, "Brick garden");
    EXPECT_EQ(own.author, "Lin");
    EXPECT_EQ(own.cells, LevelSet);

    // A shared set pasted brings its own name, which its code keeps.
    platform::SetClipboardText(SetShareCode(LevelSet, "Theirs", "Ann"));
    ASSERT_TRUE(EditorShareKey('V'));
    EXPECT_TRUE(LevelOrigin.shared && LevelOrigin.named);
    EXPECT_NE(Boxes.back().text.find("Ann"), std::string::npos) << Boxes.back().text;
    EXPECT_NE(Boxes.back().text.find("Theirs"), std::string::npos) << Boxes.back().text;
    SharedContent theirs = CopiedSet();
    EXPECT_EQ(theirs.title, "Theirs");
    EXPECT_EQ(theirs.author, "Ann");
    // A level alone pasted onto it keeps the set's name.
    platform::SetClipboardText(
        LevelShareCode(std::vector<int32_t>(LevelSet.begin(), LevelSet.begin() + LevelCellCount)));
    ASSERT_TRUE(EditorShareKey('V'));
    EXPECT_EQ(CopiedSet().title, "Theirs");

    // The player's own levels again: the player's own name.
    MarkLevelsOwn();
    EXPECT_EQ(CopiedSet().title, "Brick garden");
    // A name no code may carry (too long) is left out, not the code refused.
    ShareTitle = std::string(65, 't');
    EXPECT_EQ(CopiedSet().title, "");
}

TEST_F(SetName, TypedOnTheShareScreenTheOwnNameIsKeptInTheSettings) {
    StartTyping(0);
    PressWith(platform::VK_SHIFT, 'B');
    for (int key : {int('R'), int('I'), int('C'), int('K'), platform::VK_SPACE, int('2'), int('X')})
        Press(key);
    Press(VkBackspace);
    EXPECT_EQ(Menu.typed, "Brick 2");
    EXPECT_EQ(ShareTitle, "");  // nothing is kept before Enter
    Press(VkEnter);
    EXPECT_EQ(Menu.typing, -1);
    EXPECT_EQ(ShareTitle, "Brick 2");
    EXPECT_EQ(PlayerSettings.setTitle, "Brick 2");
    std::string saved = ReadWholeFile(path);
    EXPECT_NE(saved.find("\nset_title = Brick 2\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("# mine\n"), std::string::npos);
    EXPECT_NE(saved.find("mystery = 1\n"), std::string::npos);

    // The author: a paste's first line, without what the settings file
    // would take for a comment; Esc lets a change go.
    StartTyping(1);
    EXPECT_EQ(Menu.typed, "Lin");
    Press(VkBackspace);
    Press(VkBackspace);
    Press(VkBackspace);
    Paste("山#川;2\nsecond line");
    EXPECT_EQ(Menu.typed, "山川2");
    Press(VkBackspace);
    Press(VkBackspace);
    EXPECT_EQ(Menu.typed, "山");
    Press(platform::VK_ESCAPE);
    EXPECT_EQ(ShareAuthor, "Lin");
    EXPECT_EQ(ReadWholeFile(path), saved);
    // The spaces around a name are not kept (the settings file would drop them).
    StartTyping(1);
    for (int k = 0; k < 3; ++k)
        Press(VkBackspace);
    Paste("  Ann  Bo ");
    Press(VkEnter);
    EXPECT_EQ(ShareAuthor, "Ann  Bo");
    saved = ReadWholeFile(path);
    EXPECT_NE(saved.find("share_author = Ann  Bo\n"), std::string::npos) << saved;
    std::vector<std::string> problems;
    const SettingsRecord read = ParseSettings(saved, "settings.ini", problems);
    EXPECT_EQ(read.setTitle, "Brick 2");
    EXPECT_EQ(read.shareAuthor, "Ann  Bo");
    // Only the line the game does not know is told.
    EXPECT_EQ(problems, std::vector<std::string>{"settings.ini:3: unknown setting 'mystery'"});

    // A title cleared leaves no line that the next start would refuse.
    StartTyping(0);
    for (int k = 0; k < 8; ++k)
        Press(VkBackspace);
    Press(VkEnter);
    EXPECT_EQ(ShareTitle, "");
    saved = ReadWholeFile(path);
    EXPECT_EQ(saved.find("set_title"), std::string::npos) << saved;
    problems.clear();
    EXPECT_EQ(ParseSettings(saved, "settings.ini", problems).setTitle, "");
    EXPECT_EQ(problems, std::vector<std::string>{"settings.ini:3: unknown setting 'mystery'"});
}

TEST_F(SetName, AShareIsRenamedWithItAndTheTypingKeepsToTheFormat) {
    MarkLevelsShared();
    NameSharedSet("Theirs", "Ann");
    const std::string before = ReadWholeFile(path);
    StartTyping(0);
    Paste("#1; x");
    Press(VkEnter);
    EXPECT_EQ(LevelOrigin.title, "Theirs#1; x");
    EXPECT_EQ(ShareTitle, "");
    EXPECT_EQ(ReadWholeFile(path), before);
    EXPECT_EQ(CopiedSet().title, "Theirs#1; x");

    // At most the bytes a code holds, never a character cut in two, no
    // control characters.
    StartTyping(0);
    for (int k = 0; k < 20; ++k)
        Press(VkBackspace);
    Paste(std::string(63, 'a') + "山z\tq\x7f");
    EXPECT_EQ(Menu.typed, std::string(63, 'a'));
    Press(VkBackspace);
    Paste("é\x01");
    EXPECT_EQ(Menu.typed, std::string(62, 'a') + "é");
    Press(VkEnter);
    EXPECT_TRUE(ShareNameValid(LevelOrigin.title));
    EXPECT_EQ(CopiedSet().title, std::string(62, 'a') + "é");
}

}  // namespace
