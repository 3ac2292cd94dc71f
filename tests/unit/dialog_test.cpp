// The in-window message box: its layout fits the window at every scale, its
// keys and pointer give the answers of MessageBox, its drawing stays in its
// frame, and its glyphs are made for every text at build time.
#include "platform/shared/dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "shell/help_text.h"
#include "texts/extra_texts.h"
#include "texts/texts.h"

namespace {

using dialog::Key;

const dialog::Rect Field{0, 0, 960, 704};
const char* const HelpText = TextIn(Chinese, ::HelpText);

bool Inside(const dialog::Rect& inner, const dialog::Rect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

dialog::Box YesNoBox() {
    return dialog::OpenBox("是否切换到地图编辑模式？", "", platform::MB_YESNO);
}

TEST(DialogLayout, TheHelpTextFitsTheFieldAtEveryScaleWithoutShrinkingOrWrapping) {
    dialog::Box box = dialog::OpenBox(HelpText, "帮助", platform::MB_OK);
    for (int scale = 1; scale <= 3; ++scale) {
        dialog::Rect area{100, 50, 960 * scale, 704 * scale};
        dialog::Layout layout = dialog::Arrange(box, area, scale);
        EXPECT_TRUE(Inside(layout.frame, area)) << "scale " << scale;
        EXPECT_EQ(layout.fontPixels, 16 * scale);
        ASSERT_EQ(layout.lines.size(), 28u) << "scale " << scale;
        EXPECT_EQ(layout.lines[0], "按键说明：");
        EXPECT_EQ(layout.lines[12], "");
        EXPECT_EQ(layout.lines[27], "H键显示帮助");
        EXPECT_TRUE(Inside(layout.buttons[0], layout.frame));
        // Centred in the area.
        EXPECT_LE(std::abs((layout.frame.x - area.x) -
                           (area.x + area.width - layout.frame.x - layout.frame.width)),
                  1);
    }
}

TEST(DialogLayout, ASmallAreaShrinksTheTextAndALongLineWraps) {
    dialog::Box help = dialog::OpenBox(HelpText, "帮助", platform::MB_OK);
    dialog::Rect small{0, 0, 480, 352};
    dialog::Layout layout = dialog::Arrange(help, small, 0.5);
    EXPECT_TRUE(Inside(layout.frame, small));
    EXPECT_LT(layout.fontPixels, 16);

    std::string longLine;
    for (int i = 0; i < 8; ++i)
        longLine += "绿色道具：提升坦克护甲，最多提升3次";
    dialog::Box box = dialog::OpenBox(longLine.c_str(), "", platform::MB_OK);
    layout = dialog::Arrange(box, Field, 1.0);
    EXPECT_TRUE(Inside(layout.frame, Field));
    EXPECT_GT(layout.lines.size(), 1u);
    std::string joined;
    for (const std::string& line : layout.lines) {
        EXPECT_NE(line.rfind("，", 0), 0u) << "a line starts with a comma: " << line;
        joined += line;
    }
    EXPECT_EQ(joined, longLine);
}

TEST(DialogLayout, TheAboutBoxKeepsItsLeadingBlanks) {
    dialog::Box box =
        dialog::OpenBox("感谢：陈一帆\n         等帮助与支持！", "版本信息", platform::MB_OK);
    dialog::Layout layout = dialog::Arrange(box, Field, 1.0);
    ASSERT_EQ(layout.lines.size(), 2u);
    EXPECT_EQ(layout.lines[1], "         等帮助与支持！");
}

TEST(DialogKeys, AnOkBoxIsAnsweredByEnterSpaceAndEscapeOnly) {
    for (Key key : {Key::Enter, Key::Space, Key::Escape}) {
        dialog::Box box = dialog::OpenBox("游戏暂停！休息一下！", "", platform::MB_OK);
        EXPECT_EQ(dialog::PressKey(box, key), platform::IDOK);
    }
    dialog::Box box = dialog::OpenBox("游戏暂停！休息一下！", "", platform::MB_OK);
    for (Key key : {Key::Yes, Key::No, Key::Tab, Key::Left, Key::Right, Key::BackTab})
        EXPECT_EQ(dialog::PressKey(box, key), 0);
    EXPECT_EQ(box.focus, 0);
    EXPECT_EQ(dialog::AnswerOfClose(box), platform::IDOK);
}

TEST(DialogKeys, AYesNoBoxAnswersByItsDefaultLettersEscapeAndTheFocus) {
    struct Case {
        std::vector<Key> keys;
        int answer;
    };
    const Case cases[] = {
        {{Key::Enter}, platform::IDYES},
        {{Key::Space}, platform::IDYES},
        {{Key::Escape}, platform::IDNO},
        {{Key::Yes}, platform::IDYES},
        {{Key::No}, platform::IDNO},
        {{Key::Tab, Key::Enter}, platform::IDNO},
        {{Key::Tab, Key::Tab, Key::Enter}, platform::IDYES},
        {{Key::BackTab, Key::Space}, platform::IDNO},
        {{Key::Right, Key::Right, Key::Enter}, platform::IDNO},
        {{Key::Right, Key::Left, Key::Left, Key::Enter}, platform::IDYES},
        // Escape is No wherever the focus is.
        {{Key::Tab, Key::Tab, Key::Escape}, platform::IDNO},
    };
    for (const Case& c : cases) {
        dialog::Box box = YesNoBox();
        int answer = 0;
        for (Key key : c.keys) {
            ASSERT_EQ(answer, 0) << "answered before the last key";
            answer = dialog::PressKey(box, key);
        }
        EXPECT_EQ(answer, c.answer);
    }
    EXPECT_EQ(dialog::AnswerOfClose(YesNoBox()), platform::IDNO);
}

TEST(DialogPointer, AButtonIsClickedByPressAndReleaseOnIt) {
    dialog::Box box = YesNoBox();
    dialog::Layout layout = dialog::Arrange(box, Field, 1.0);
    const dialog::Rect yes = layout.buttons[0], no = layout.buttons[1];
    int noX = no.x + no.width / 2, noY = no.y + no.height / 2;

    EXPECT_TRUE(dialog::MovePointer(box, layout, noX, noY));
    EXPECT_EQ(box.hover, 1);
    EXPECT_FALSE(dialog::MovePointer(box, layout, noX + 1, noY));
    EXPECT_TRUE(dialog::MovePointer(box, layout, 0, 0));
    EXPECT_EQ(box.hover, -1);

    EXPECT_EQ(dialog::PressPointer(box, layout, noX, noY), 0);
    EXPECT_EQ(box.focus, 1);
    EXPECT_EQ(dialog::ReleasePointer(box, layout, noX, noY), platform::IDNO);

    // Pressed on Yes, let go beside it: nothing.
    box = YesNoBox();
    dialog::PressPointer(box, layout, yes.x + 2, yes.y + 2);
    EXPECT_EQ(dialog::ReleasePointer(box, layout, yes.x - 40, yes.y), 0);
    // Pressed beside the buttons, let go on one: nothing either.
    dialog::PressPointer(box, layout, 5, 5);
    EXPECT_EQ(dialog::ReleasePointer(box, layout, yes.x + 2, yes.y + 2), 0);
    dialog::PressPointer(box, layout, yes.x + 2, yes.y + 2);
    EXPECT_EQ(dialog::ReleasePointer(box, layout, yes.x + 3, yes.y + 3), platform::IDYES);
}

TEST(DialogDrawing, TheBoxDrawsOnlyInsideItsFrameAndClipsToAnyBuffer) {
    dialog::Box box =
        dialog::OpenBox("载入地图失败！", "错误", platform::MB_OK | platform::MB_ICONWARNING);
    dialog::Layout layout = dialog::Arrange(box, Field, 1.0);
    const uint32_t background = 0x123456;
    std::vector<uint32_t> whole(960 * 704, background);
    dialog::Draw(box, layout, whole.data(), 960, 704, 960, 0, 0);

    const dialog::Rect& f = layout.frame;
    std::set<uint32_t> colours;
    for (int y = 0; y < 704; ++y)
        for (int x = 0; x < 960; ++x) {
            uint32_t pixel = whole[size_t(y) * 960 + size_t(x)];
            bool inFrame =
                x >= f.x - 1 && y >= f.y - 1 && x <= f.x + f.width && y <= f.y + f.height;
            if (!inFrame)
                ASSERT_EQ(pixel, background) << "drawn outside the frame at " << x << "," << y;
            else
                colours.insert(pixel);
        }
    // Anti-aliased text and the icon give many shades, not a few flat fills.
    EXPECT_GT(colours.size(), 40u);

    // A buffer that holds only part of the output gets exactly that part.
    const int originX = f.x + 7, originY = f.y + 5, width = 90, height = 60, pitch = 100;
    std::vector<uint32_t> part(size_t(pitch) * height, background);
    dialog::Draw(box, layout, part.data(), width, height, pitch, originX, originY);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < pitch; ++x) {
            uint32_t expected =
                x < width ? whole[size_t(originY + y) * 960 + size_t(originX + x)] : background;
            ASSERT_EQ(part[size_t(y) * pitch + size_t(x)], expected) << x << "," << y;
        }
}

// The English help, and the second help box with the share keys (where there
// is a clipboard) in both languages, fit with every line there (a long one
// may wrap into two).
TEST(DialogLayout, TheEnglishHelpAndTheSecondHelpFitTheField) {
    CurrentLanguage = English;
    std::vector<std::pair<std::string, std::string>> boxes = {{CurrentHelpText(), "Help"}};
    for (Language language : {Chinese, English}) {
        CurrentLanguage = language;
        boxes.emplace_back(std::string(ExtraText(MoreKeysText)) + Text(ShareHelpText),
                           ExtraText(MoreKeysCaption));
    }
    CurrentLanguage = Chinese;
    for (const auto& [text, caption] : boxes) {
        dialog::Layout layout = dialog::Arrange(
            dialog::OpenBox(text.c_str(), caption.c_str(), platform::MB_OK), Field, 1.0);
        EXPECT_TRUE(Inside(layout.frame, Field)) << text;
        EXPECT_GE(layout.lines.size(), size_t(std::count(text.begin(), text.end(), '\n') + 1))
            << text;
    }
}

TEST(DialogGlyphs, EveryTextOfTheGameHasItsGlyphs) {
    for (Language language : {Chinese, English})
        for (int id = 0; id < TextCount; ++id)
            EXPECT_TRUE(dialog::MissingGlyphs(TextIn(language, TextId(id))).empty())
                << LanguageName(language) << " text " << id << ": " << TextIn(language, TextId(id));
    EXPECT_TRUE(dialog::MissingGlyphs("准备进入第35关 第1关地图编辑 Morvask 0123456789").empty());
    // A character no text uses is not in the atlas, and is reported.
    EXPECT_EQ(dialog::MissingGlyphs("\xee\x80\x80"), std::vector<uint32_t>{0xE000});
}

// Runs the glyph maker over one source file; returns its exit status and
// standard error.
int MakeAtlas(const std::string& source, std::string& errors) {
#ifndef MORVASK_GLYPHGEN_PATH
    (void)source;
    errors = "no glyph maker in this build";
    return -1;
#else
    const std::string dir = ::testing::TempDir();
    const std::string sourcePath = dir + "glyph_source.cpp", listPath = dir + "glyph_list.txt",
                      outputPath = dir + "glyph_out.cpp", errorPath = dir + "glyph_errors.txt";
    std::ofstream(sourcePath) << source;
    std::ofstream(listPath) << sourcePath << "\n";
    std::string command = std::string("'") + MORVASK_GLYPHGEN_PATH + "' '" + outputPath + "' '" +
                          MORVASK_DIALOG_FONT + "' '" + MORVASK_DIALOG_FONT_FAMILY + "' 16 '" +
                          listPath + "' 2>'" + errorPath + "'";
    int status = std::system(command.c_str());
    std::ifstream in(errorPath);
    errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return status;
#endif
}

TEST(DialogGlyphs, AGlyphTheFontLacksStopsTheBuild) {
#ifndef MORVASK_GLYPHGEN_PATH
    GTEST_SKIP() << "this build takes its glyphs from MORVASK_ASSET_DIR";
#endif
    std::string errors;
    // Characters of literals count; those of comments do not.
    EXPECT_EQ(MakeAtlas("// \xee\x80\x80 in a comment\nconst char* t = \"中文\";\n", errors), 0)
        << errors;
    EXPECT_NE(MakeAtlas("const char* t = \"private \xee\x80\x80 use\";\n", errors), 0);
    EXPECT_NE(errors.find("U+E000"), std::string::npos) << errors;
}

}  // namespace
