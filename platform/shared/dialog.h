// The modal message box drawn inside the game's window, for backends without
// native boxes (the SDL desktop, the web page): its layout at any scale, its
// drawing into 32-bit 0x00RRGGBB pixels, and its answers to keys and the
// pointer. The backend runs the modal loop and shows the pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dialog {

// The box's look, which what the window draws around the field shares: the
// olive and brass of the game's tanks.
inline constexpr uint32_t OuterLine = 0x0B0E08;
inline constexpr uint32_t BorderColour = 0xC9A84C;
inline constexpr uint32_t CaptionFill = 0x3B4A2F;
inline constexpr uint32_t CaptionText = 0xF4ECCF;
inline constexpr uint32_t BodyFill = 0x1F261A;
inline constexpr uint32_t BodyText = 0xE8E2CC;

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// One open box: what it says and where its focus and pointer are.
struct Box {
    std::string caption;
    std::string text;
    bool yesNo = false;
    bool warning = false;
    // The buttons' labels in the player's language.
    std::string okLabel = "确定";
    std::string yesLabel = "是";
    std::string noLabel = "否";
    int focus = 0;     // the button the keyboard presses: 0 OK or Yes, 1 No
    int hover = -1;    // the button under the pointer, -1 none
    int pressed = -1;  // the button a pointer press started on, -1 none
};

// Where everything of a box goes, in output pixels.
struct Layout {
    Rect frame;  // the whole box, border included
    Rect captionBar;
    Rect icon;  // empty without the warning icon
    int fontPixels = 16;
    int lineHeight = 20;
    int textX = 0;
    int textY = 0;  // top of the first line
    std::vector<std::string> lines;
    Rect buttons[2];
    int buttonCount = 1;
    double scale = 1.0;
};

// The labels of the buttons of every box opened from now on (UTF-8, kept by
// pointer), in the player's language; Chinese until set.
void SetButtonLabels(const char* ok, const char* yes, const char* no);

// A box for MessageBox's text, caption and type (MB_OK or MB_YESNO, with or
// without MB_ICONWARNING), with the labels last set. The focus starts on the
// default button.
Box OpenBox(const char* textUtf8, const char* captionUtf8, uint32_t type);

// Lays the box out centred in `area` (the field's place in the output, in
// output pixels) at `scale` output pixels per field pixel. The text is
// wrapped to the area, and made smaller when it would not fit otherwise, so
// the box never leaves the area.
Layout Arrange(const Box& box, Rect area, double scale);

// Draws the box into `pixels`, a buffer of width x height pixels (`pitch`
// pixels a row) whose first pixel is at (originX, originY) of the output.
// Only the part of the box inside the buffer is drawn.
void Draw(const Box& box, const Layout& layout, uint32_t* pixels, int width, int height, int pitch,
          int originX, int originY);

// A line of text on a small panel in the box's colours (the window's brief
// indicators), its top edge centred on (centreX, top), at `scale` output
// pixels per field pixel: where it goes, and its drawing into `pixels` (a
// buffer of the whole output). The panel is opaque, so drawing it again
// over itself changes nothing.
Rect BadgeRect(const std::string& textUtf8, int centreX, int top, double scale);
void DrawBadge(const std::string& textUtf8, const Rect& where, double scale, uint32_t* pixels,
               int width, int height, int pitch);

// One line of text in the boxes' glyphs, `fontPixels` high, with its
// baseline at y, into a buffer as Draw's (origin 0, 0), for what the window
// draws around the field; and the width such a line takes.
void DrawLabel(uint32_t* pixels, int width, int height, int pitch, const std::string& text, int x,
               int baseline, int fontPixels, uint32_t colour);
int LabelWidth(const std::string& text, int fontPixels);

// Halves the brightness of pixels, as the picture behind an open box.
void Dim(uint32_t* pixels, size_t count);

// For this long after a box opens it takes no key, button or tap: a player
// still pressing fire when a box comes up in play does not close it unread.
// Keys held since before it opened never answer it at all.
inline constexpr int ReadingPauseMs = 330;
// Whether a box opened at `openedMs` takes answers at `nowMs` (one clock).
inline bool TakesAnswers(double openedMs, double nowMs) {
    return nowMs - openedMs >= ReadingPauseMs;
}

// The keys a box answers to.
enum class Key { Enter, Space, Escape, Tab, BackTab, Left, Right, Yes, No };

// The answer (IDOK, IDYES or IDNO) a key gives, or 0 when the box stays open
// (the key may have moved the focus).
int PressKey(Box& box, Key key);

// The pointer moved to (x, y) of the output; true when the box must be drawn
// again (the highlight changed).
bool MovePointer(Box& box, const Layout& layout, int x, int y);
// The main button went down or up at (x, y): a button is clicked when the
// button goes down and up on it. Returns the answer, or 0.
int PressPointer(Box& box, const Layout& layout, int x, int y);
int ReleasePointer(Box& box, const Layout& layout, int x, int y);

// What closing the window answers: the same as Escape.
int AnswerOfClose(const Box& box);

// The characters of a text that the built-in glyphs lack (none for every text
// in the program's sources: the build fails otherwise).
std::vector<uint32_t> MissingGlyphs(const std::string& textUtf8);

}  // namespace dialog
