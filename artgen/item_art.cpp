// The four power-up items: glossy glass balls, each with a bold white letter
// (A green, B red, X blue, Y yellow).
#include "artgen/cell_art.h"

namespace {

enum ItemMaterial : uint8_t { kGlass = 1, kLetter };

constexpr Vec2 kCentre{32, 32};
constexpr float kRadius = 28.0f;
constexpr float kStroke = 3.6f;  // half the letter's stroke

// The letters fill y 17..47 around the middle of the ball.
constexpr float kTop = 17.0f, kFoot = 47.0f;

float ClipToLetterHeight(Vec2 p, float d) {
    return std::max(d, std::max(kTop - p.y, p.y - kFoot));
}

float SdLetterA(Vec2 p) {
    Vec2 apex{32, kTop - 2.0f};
    float legs = std::min(SdBar(p, apex, Vec2{20.5f, kFoot + 2}, kStroke),
                          SdBar(p, apex, Vec2{43.5f, kFoot + 2}, kStroke));
    float bar = SdBox(p, Box2{25, 35.0f, 39, 40.0f}, 0);
    return ClipToLetterHeight(p, std::min(legs, bar));
}

float SdLetterB(Vec2 p) {
    // The bowls are a little lighter than the stem so their counters stay open.
    const float bowlStroke = 5.2f;
    float stem = SdBox(p, Box2{21, kTop, 21 + 2 * kStroke - 0.4f, kFoot}, 0);
    auto bowl = [&](Box2 b, float radius) {
        float outer = SdBox(p, b, radius);
        float inner = SdBox(p, Grow(b, -bowlStroke), std::max(radius - bowlStroke, 0.8f));
        return std::max(std::max(outer, -inner), 21.0f - p.x);
    };
    float upper = bowl(Box2{21, kTop, 40.0f, 32.6f}, 7.0f);
    float lower = bowl(Box2{21, 30.4f, 43.0f, kFoot}, 8.0f);
    return std::min(stem, std::min(upper, lower));
}

float SdLetterX(Vec2 p) {
    float d = std::min(SdBar(p, Vec2{20.5f, kTop - 2}, Vec2{43.5f, kFoot + 2}, kStroke),
                       SdBar(p, Vec2{43.5f, kTop - 2}, Vec2{20.5f, kFoot + 2}, kStroke));
    return ClipToLetterHeight(p, d);
}

float SdLetterY(Vec2 p) {
    Vec2 fork{32, 34.0f};
    float arms = std::min(SdBar(p, Vec2{20.0f, kTop - 3}, fork, kStroke),
                          SdBar(p, Vec2{44.0f, kTop - 3}, fork, kStroke));
    float stem = SdBox(p, Box2{32 - kStroke, 31.0f, 32 + kStroke, kFoot}, 0);
    return ClipToLetterHeight(p, std::min(arms, stem));
}

Sprite Ball(Rgb colour, float (*letter)(Vec2)) {
    Relief r = MakeRelief(kCellSize, kCellSize, 8, false);
    Paint glass;
    glass.material = kGlass;
    glass.rise = kRadius * 0.8f;
    glass.edge = kRadius;
    glass.gloss = 0.9f;
    FillCircle(r, kCentre, kRadius, glass);
    // The letter throws a shadow to the lower right and gets a dark rim
    // (drawn last, over the glass's lights), so it reads on the yellow ball
    // as well as on the blue one.
    Paint shadow;
    shadow.material = -1;
    shadow.shade = 0.5f;
    shadow.stack = Stack::Keep;
    Fill(r, Box2{14, 12, 52, 54}, shadow, [&](Vec2 q) {
        return letter(q - Vec2{1.4f, 1.8f}) - 1.6f;
    });
    Paint ink;
    ink.material = kLetter;
    ink.stack = Stack::OnTop;
    ink.rise = 1.2f;
    ink.edge = 0.9f;
    ink.gloss = 0.2f;
    Fill(r, Box2{14, 12, 50, 52}, ink, letter);
    Lighting light;
    light.ambient = 0.5f;
    light.diffuse = 0.5f;
    light.specPower = 40;
    light.shadow = 0.5f;
    light.shadowReach = 2.0f;
    Shading shading;
    LightRelief(r, light, shading);
    Palette pal{};
    pal[kGlass] = {colour};
    pal[kLetter] = {Rgb{1, 1, 1}};
    Canvas c;
    ResolveRelief(r, shading, pal, c);
    // Glass: light gathers in the lower right (refracted), the rim darkens,
    // and a broad soft reflection of the sky lies over the upper left.
    AddLight(c, Box2{0, 0, 64, 64}, [&](Vec2 p) {
        Vec2 v = p - kCentre;
        float d = Length(v) / kRadius;
        float glow = SmoothStep(0.95f, 0.45f, Length(p - (kCentre + Vec2{7, 8})) / kRadius);
        float rim = SmoothStep(0.78f, 1.0f, d);
        return Stroke{Mix(colour, Rgb{1, 1, 1}, 0.3f) * 0.5f * glow + colour * (-0.35f * rim),
                      1.0f};
    });
    PaintOver(c, Box2{6, 6, 40, 36}, [&](Vec2 p) {
        float d = SdEllipse(p, Vec2{21, 16}, 11.0f, 5.5f, -0.65f);
        if (d > 0)
            return Stroke{};
        return Stroke{Rgb{1, 1, 1}, 0.65f * SmoothStep(0.0f, -4.0f, d)};
    });
    PaintOver(c, Box2{12, 10, 24, 22}, [&](Vec2 p) {
        return SdCircle(p, Vec2{16.5f, 14.0f}, 2.3f) < 0 ? Stroke{Rgb{1, 1, 1}, 1} : Stroke{};
    });
    const Rgb rimColour = colour * 0.16f;
    PaintOver(c, Box2{12, 10, 52, 54}, [&](Vec2 p) {
        float d = letter(p);
        return d >= 0 && d < 2.3f ? Stroke{rimColour, 1} : Stroke{};
    });
    Sprite s = Downsample(c);
    Outline(s, 0.72f, true);
    return s;
}

}  // namespace

void DrawItemCells(Sprite cells[kCellSprites]) {
    cells[24] = Ball(Hex(0x2fa83a), SdLetterA);
    cells[25] = Ball(Hex(0xd0342c), SdLetterB);
    cells[26] = Ball(Hex(0x2f6fe0), SdLetterX);
    cells[27] = Ball(Hex(0xe8b820), SdLetterY);
}
