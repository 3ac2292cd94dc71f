// The bullet sheet: a finned shell in four colours and the flame trail that
// follows it, each drawn pointing up and turned to the four directions.
#include "artgen/asset_art.h"

namespace {

constexpr int kSize = 40;
constexpr int kScale = 8;
constexpr float kAxis = 20.0f;

enum ShellMaterial : uint8_t { kBody = 1, kNose, kFin, kBand, kBase, kCore };

constexpr uint32_t kShellColours[4] = {0xb8a23a, 0x4fc24a, 0x4a8ff0, 0xe0483a};
constexpr int kQuarterTurns[4] = {2, 3, 0, 1};  // column 0 down, 1 left, 2 up, 3 right

// The ogive nose: two arcs that leave the body's sides at shoulderY and meet
// at the tip.
float SdNose(Vec2 p, float tipY, float shoulderY, float half) {
    float h = shoulderY - tipY;
    float radius = (half * half + h * h) / (2 * half);
    float right = SdCircle(p, Vec2{kAxis + half - radius, shoulderY}, radius);
    float left = SdCircle(p, Vec2{kAxis - half + radius, shoulderY}, radius);
    return std::max({right, left, p.y - shoulderY - 0.01f});
}

Relief Shell() {
    Relief r = MakeRelief(kSize, kSize, kScale, false);
    // The fins reach the bottom edge of the picture: the trail, drawn up to
    // 36 px behind it, then always touches the shell.
    const float half = 4.2f, tip = 10.0f, shoulder = 18.0f, tail = 33.2f;
    Paint p;
    p.material = kFin;
    p.base = 0.5f;
    p.rise = 1.2f;
    p.edge = 0.9f;
    p.tone = 1.0f;
    p.gloss = 0.25f;
    // Three fins: two to the sides and one seen edge-on along the axis.
    for (float side : {-1.0f, 1.0f}) {
        std::vector<Vec2> fin = {{kAxis + side * (half - 0.5f), tail - 8.5f},
                                 {kAxis + side * (half + 3.8f), tail - 1.5f},
                                 {kAxis + side * (half + 3.8f), tail + 2.8f},
                                 {kAxis + side * (half - 0.5f), tail + 1.5f}};
        FillPolygon(r, fin, p);
    }
    Paint body;
    body.material = kBody;
    body.rise = 3.6f;
    body.edge = half;
    body.gloss = 0.45f;
    Box2 cylinder{kAxis - half, shoulder - 0.5f, kAxis + half, tail};
    Fill(r, Box2{kAxis - half, tip, kAxis + half, tail}, body, [&](Vec2 q) {
        return std::min(SdBox(q, cylinder, 0.8f), SdNose(q, tip, shoulder, half));
    });
    // The nose is painted over the body's own relief, so the shapes join.
    Paint nose;
    nose.material = kNose;
    nose.stack = Stack::Keep;
    nose.gloss = 0.9f;
    Fill(r, Box2{kAxis - half, tip, kAxis + half, shoulder + 1}, nose, [&](Vec2 q) {
        return std::max(SdNose(q, tip, shoulder, half), -(SdBox(q, cylinder, 0.8f)));
    });
    Paint band;
    band.material = kBand;
    band.stack = Stack::OnTop;
    band.rise = 0.35f;
    band.edge = 0.4f;
    FillBox(r, Box2{kAxis - half, shoulder + 2.0f, kAxis + half, shoulder + 3.6f}, 0, band);
    Paint centreFin = p;
    centreFin.base = 3.2f;
    centreFin.rise = 0.8f;
    centreFin.edge = 0.7f;
    FillBar(r, Vec2{kAxis, tail - 7.0f}, Vec2{kAxis, tail + 2.6f}, 0.8f, centreFin);
    // The tracer: a white-hot core from the nose down the front half, so the
    // shell shows on any ground, the dark outline doing the rest on pale ones.
    Paint core;
    core.material = kCore;
    core.stack = Stack::Keep;
    Fill(r, Box2{kAxis - 3, tip, kAxis + 3, shoulder + 10}, core, [&](Vec2 q) {
        float shell = std::min(SdBox(q, cylinder, 0.8f), SdNose(q, tip, shoulder, half));
        return std::max(SdBar(q, Vec2{kAxis, tip + 1.0f}, Vec2{kAxis, shoulder + 8.0f}, 2.0f),
                        shell + 0.6f);
    });
    return r;
}

Palette ShellPalette(Rgb colour) {
    Palette pal{};
    pal[kBody] = {colour};
    pal[kNose] = {Mix(colour, Rgb{1, 1, 1}, 0.62f)};
    pal[kFin] = {colour * 0.62f};
    pal[kBand] = {Mix(colour * 0.5f, Hex(0x8a7a50), 0.5f)};
    pal[kBase] = {Hex(0x303234)};
    pal[kCore] = {Mix(colour, Rgb{1, 1, 1}, 0.82f), true};
    return pal;
}

// The trail behind a shell flying up: a flame streak that starts at the
// picture's top edge (where the shell's fins are), narrow there so that no
// part of it shows beside the shell when the drawing pulls it forward, pink
// and widest a little behind, tapering smoothly to an orange point.
Sprite Trail(int column) {
    Canvas c = MakeCanvas(kSize, kSize, 4, false);
    const int turns = kQuarterTurns[column];
    const Rgb pink = Hex(0xff8fb0), orange = Hex(0xff9a3a);
    PaintOver(c, Box2{0, 0, 40, 40}, [&](Vec2 p) {
        Vec2 q = p;
        for (int t = 0; t < turns; ++t)
            q = Vec2{q.y, 40.0f - q.x};
        const float length = 39.0f, width = 4.6f;
        float t = q.y / length;  // 0 at the head, 1 at the tail
        if (t < 0 || t > 1)
            return Stroke{};
        // Narrow at the head, full width a fifth of the way back, then one
        // long smooth taper.
        float half = width * std::pow(1.0f - t, 0.9f);
        half = std::min(half, 1.4f + 2.6f * SmoothStep(2.0f, 9.0f, q.y));
        half = std::max(half, 0.75f * (1.0f - t) + 0.2f);
        float across = std::fabs(q.x - kAxis) / half;
        if (across >= 1.0f)
            return Stroke{};
        Rgb colour = Mix(pink, orange, SmoothStep(0.15f, 0.65f, t));
        float core = (1.0f - across * across) * (1.0f - t);
        colour = Mix(colour, Hex(0xfff0e8), SmoothStep(0.4f, 0.85f, core));
        return Stroke{colour, 1.0f};
    });
    Sprite s = Downsample(c);
    Outline(s, 0.45f, false, Hex(0xb0402a));
    return s;
}

}  // namespace

Sheet BuildBulletSheet() {
    Sheet sheet = MakeSheet(4 * kSize, 5 * 2 * kSize);
    const Relief upright = Shell();
    Lighting light;
    light.shadowReach = 1.5f;
    Shading shading;
    for (int column = 0; column < 4; ++column) {
        Relief turned = Rotated(upright, kQuarterTurns[column]);
        LightRelief(turned, light, shading);
        for (int kind = 0; kind < 4; ++kind) {
            Sprite s = DownsampleRelief(turned, shading, ShellPalette(Hex(kShellColours[kind])));
            // A dark frame, so the shell reads on light grounds as on dark.
            Outline(s, 0.95f, true);
            PlaceSprite(sheet, column * kSize, kind * 2 * kSize, s);
        }
        PlaceSprite(sheet, column * kSize, 4 * 2 * kSize, Trail(column));
    }
    return sheet;
}
