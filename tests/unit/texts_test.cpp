// The table of the player's texts: the Chinese ones are exactly the game's
// own, every text has an English one that is English, and the English help
// names the player's keys.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "options/key_bindings.h"
#include "platform/platform.h"
#include "shell/help_text.h"
#include "tests/unit/test_support.h"
#include "texts/texts.h"

namespace {

// Decodes UTF-8; false on a malformed sequence.
bool CodePoints(const std::string& text, std::vector<uint32_t>& points) {
    for (size_t k = 0; k < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[k]);
        int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || k + length > text.size())
            return false;
        uint32_t point = length == 1 ? c : c & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            unsigned char next = static_cast<unsigned char>(text[k + i]);
            if ((next & 0xC0) != 0x80)
                return false;
            point = point << 6 | (next & 0x3F);
        }
        points.push_back(point);
        k += length;
    }
    return true;
}

bool IsCjk(uint32_t point) {
    return (point >= 0x2E80 && point <= 0x9FFF) || (point >= 0xF900 && point <= 0xFAFF) ||
           (point >= 0xFF00 && point <= 0xFFEF) || (point >= 0x20000 && point <= 0x3FFFF);
}

int PercentD(const std::string& text) {
    int count = 0;
    for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1))
        count += text.compare(at, 2, "%d") == 0 ? 1 : 100;
    return count;
}

}  // namespace

// As the game showed them before it learnt a second language: the texts that
// no scenario shows whole (the boxes' other texts are pinned by the
// scenarios, startup_boxes, pause, map_refused_* and the rest).
TEST(Texts, TheChineseTextsAreTheGamesOwnByteForByte) {
    const std::pair<TextId, const char*> Expected[] = {
        {AboutText,
         "Morvask Version 1.0\n策划：林晓川\n程序：周明远\n感谢：陈一帆，王若溪，赵青山，李秋禾\n"
         "         等帮助与支持！\n测试：孙可欣\n出品：北岭工作室"},
        {HelpText,
         "按键说明：\n游戏模式：\n上下左右方向键移动坦克\nWSAD字母键改变炮口方向\n"
         "L键锁定或取消锁定炮口方向\n空格键开火\nP键暂停\nF1键切换到地图编辑模式\n"
         "F2键载入自制地图并游戏\nH键显示帮助\n按住Z键然后按上下键选关\n"
         "同时按下Z键和F键开启坦克最高级状态\n\n道具说明：\n绿色道具：提升坦克护甲，最多提升3次\n"
         "红色道具：提升炮弹射速，最多提升4次\n蓝色道具：提升坦克速度，最多提升4次\n"
         "黄色道具：提升炮弹数量，最多提升1次\n\n地图编辑模式：\n鼠标左键添加地图块\n"
         "鼠标右键清除地图块\n1-7数字键切换地图块\n上下方向键切换关卡\nF1键切换到游戏模式\n"
         "F2键载入自制地图并编辑\nF3键保存地图\nH键显示帮助"},
        {AllClearedText, "太厉害了，祝贺通关！"},
        {OkButton, "确定"},
        {YesButton, "是"},
        {NoButton, "否"},
    };
    for (const auto& [id, text] : Expected)
        EXPECT_EQ(std::string(TextIn(Chinese, id)), text) << id;
}

TEST(Texts, EveryTextHasAnEnglishOneWithoutChinese) {
    for (int id = 0; id < TextCount; ++id) {
        std::string chinese = TextIn(Chinese, TextId(id));
        std::string english = TextIn(English, TextId(id));
        EXPECT_FALSE(english.empty()) << id;
        EXPECT_NE(english, chinese) << id;
        std::vector<uint32_t> points;
        ASSERT_TRUE(CodePoints(english, points)) << id;
        for (uint32_t point : points)
            EXPECT_FALSE(IsCjk(point)) << "text " << id << " has U+" << std::hex << point;
        // A format takes the same arguments in both languages.
        EXPECT_EQ(PercentD(english), PercentD(chinese)) << id;
        // As many lines, where the Chinese text has several, so a box keeps its shape.
        if (id == AboutText) {
            EXPECT_EQ(std::count(english.begin(), english.end(), '\n'),
                      std::count(chinese.begin(), chinese.end(), '\n'));
        }
    }
    EXPECT_EQ(TextIn(English, TextId(-1)), std::string());
    EXPECT_EQ(TextIn(English, TextCount), std::string());
}

TEST(Texts, TheEnglishHelpNamesThePlayersKeysAndThePad) {
    ResetEverything();
    CurrentLanguage = English;
    std::string help = CurrentHelpText();
    EXPECT_EQ(help.find('{'), std::string::npos) << help;
    EXPECT_NE(help.find("Drive the tank: Up / Down / Left / Right\n"), std::string::npos) << help;
    EXPECT_NE(help.find("Turn the gun: W / S / A / D\n"), std::string::npos);
    EXPECT_NE(help.find("Lock or unlock the gun: L    Fire: Space\n"), std::string::npos);
    EXPECT_NE(help.find("Gamepad:"), std::string::npos);
    EXPECT_NE(help.find("Start pauses"), std::string::npos);

    KeyBindings keys = DefaultKeyBindings();
    keys.keys[Fire] = {platform::VK_SPACE, 'J'};
    keys.keys[MoveUp] = {'I', platform::VK_UP, 'K'};
    keys.keys[ShowHelp] = {platform::VK_F1 + 9};
    help = HelpTextFor(keys);
    EXPECT_NE(help.find("Fire: Space or J\n"), std::string::npos) << help;
    EXPECT_NE(help.find("Drive the tank: I, Up or K / Down"), std::string::npos) << help;
    EXPECT_NE(help.find("Hold Z and press I, Up or K or Down"), std::string::npos) << help;
    EXPECT_NE(help.find("F10: show this help"), std::string::npos) << help;
    CurrentLanguage = Chinese;
    EXPECT_EQ(HelpTextFor(keys), TextIn(Chinese, HelpText));
}

TEST(Texts, LanguageNames) {
    Language language = English;
    EXPECT_TRUE(LanguageFromName("zh", language));
    EXPECT_EQ(language, Chinese);
    EXPECT_TRUE(LanguageFromName("en", language));
    EXPECT_EQ(language, English);
    EXPECT_FALSE(LanguageFromName("EN", language));
    EXPECT_FALSE(LanguageFromName("", language));
    EXPECT_FALSE(LanguageFromName("fr", language));
    EXPECT_EQ(language, English);
}
