// The window's brief indicator: a line over the picture for about a second
// when the player changes the volume or the scale mode. It is drawn into the
// window's pixels at each present, never into the game's frame.
#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/dialog.h"
#include "platform/shared/tick_pacer.h"

namespace sdl {
namespace {

constexpr int64_t ShownNs = 1'000'000'000;

struct Indicator {
    std::string text;
    int64_t untilNs = 0;
    bool up = false;
};
Indicator Shown;
IndicatorTexts Texts;

}  // namespace

void ShowIndicator(const std::string& text) {
    Shown = {text, shared::MonotonicNanoseconds() + ShownNs, !text.empty()};
    if (Desktop.traceDialogs)
        std::fprintf(stderr, "indicator: %s\n", text.c_str());
    Redraw();
}

void IndicateVolume(int percent) {
    ShowIndicator(Texts.volume ? Texts.volume(percent) : std::to_string(percent) + "%");
}

void IndicateScaleMode(host::ScaleMode mode, host::ScaleMode shownAs) {
    ShowIndicator(Texts.scaleMode ? Texts.scaleMode(mode, shownAs) : host::ScaleModeName(mode));
}

void ExpireIndicator() {
    if (!Shown.up || shared::MonotonicNanoseconds() < Shown.untilNs)
        return;
    Shown.up = false;
    // Shown again whole: what the indicator covered comes back.
    Redraw();
}

int IndicatorWaitMs(int most) {
    if (!Shown.up)
        return most;
    const int64_t left = Shown.untilNs - shared::MonotonicNanoseconds();
    return int(std::clamp<int64_t>(left / 1'000'000 + 1, 0, most));
}

SDL_Rect DrawIndicator(const View& view, uint32_t* pixels, int width, int height, int pitch,
                       uint32_t alpha) {
    if (!Shown.up)
        return {0, 0, 0, 0};
    // Near the top of the field, at the size of the box's caption; below 1x
    // at the field's own size, so that it stays readable.
    const double scale = std::max(view.scale, 1.0);
    const int top = view.field.y + int(8 * scale);
    const dialog::Rect where =
        dialog::BadgeRect(Shown.text, view.field.x + view.field.w / 2, top, scale);
    dialog::DrawBadge(Shown.text, where, scale, pixels, width, height, pitch);
    // With its one-pixel outline, inside the output.
    const int left = std::max(0, where.x - 1), right = std::min(width, where.x + where.width + 1);
    const int upper = std::max(0, where.y - 1),
              lower = std::min(height, where.y + where.height + 1);
    if (left >= right || upper >= lower)
        return {0, 0, 0, 0};
    if (alpha)
        for (int row = upper; row < lower; ++row)
            for (int x = left; x < right; ++x)
                pixels[size_t(row) * size_t(pitch) + size_t(x)] |= alpha;
    return {left, upper, right - left, lower - upper};
}

}  // namespace sdl

namespace host {

void SetIndicatorTexts(const IndicatorTexts& texts) {
    sdl::Texts = texts;
}

}  // namespace host
