// The wall cells: the brick wall and its cracked, broken and burning states,
// the stone blocks and the base's machinery plate.
#include "artgen/cell_art.h"

namespace {

enum WallMaterial : uint8_t {
    kMortar = 1,
    kBrick,
    kStone,
    kJoint,
    kPlate,
    kPlateDark,
    kSteel,
    kLamp,
    kVent,
};

Palette WallPalette() {
    Palette p{};
    p[kMortar] = {Hex(0xb39f80)};
    p[kBrick] = {Hex(0xc8612b)};
    p[kStone] = {Hex(0xa89a52)};
    p[kJoint] = {Hex(0x776b40)};
    p[kPlate] = {Hex(0x30343a)};
    p[kPlateDark] = {Hex(0x202328)};
    p[kSteel] = {Hex(0x7c838c)};
    p[kLamp] = {Hex(0xff9a2a), true};
    p[kVent] = {Hex(0x121417)};
    return p;
}

Paint Solid(int material, float base, float rise, float edge, float tone = 1.0f,
            Profile profile = Profile::Chamfer) {
    return SolidPaint(material, base, rise, edge, tone, profile);
}

Paint Shade(float shade) {
    Paint p;
    p.material = -1;
    p.shade = shade;
    p.stack = Stack::Keep;
    return p;
}

Paint Cut() {
    Paint p;
    p.material = 0;
    return p;
}

Sprite Light(const Relief& r, float darkness = 0.7f) {
    Lighting light;
    Shading shading;
    LightRelief(r, light, shading);
    Sprite s = DownsampleRelief(r, shading, WallPalette());
    Outline(s, darkness, false);
    return s;
}

// An irregular outline around c: the edge of a hole or a chunk.
std::vector<Vec2> JaggedBlob(Vec2 c, float radius, float rough, int points, Rng& rng,
                             float stretchY = 1.0f) {
    std::vector<Vec2> pts;
    for (int i = 0; i < points; ++i) {
        float a = 2 * kPi * (float(i) + NextRange(rng, -0.3f, 0.3f)) / float(points);
        float rr = radius * (1.0f + rough * NextRange(rng, -1.0f, 1.0f));
        pts.push_back(Vec2{c.x + std::cos(a) * rr, c.y + std::sin(a) * rr * stretchY});
    }
    return pts;
}

// A crack: a wandering line cut through the wall, narrow, with a broad dark
// rim sunk into the brick around it (its sides catch the light on one edge
// and fall into shadow on the other), thinning toward its end, with a branch
// now and then.
void Crack(Relief& r, Vec2 start, float angle, float length, float width, Rng& rng, int depth = 0) {
    Vec2 p = start;
    float travelled = 0;
    while (travelled < length) {
        float step = NextRange(rng, 3.5f, 6.5f);
        float heading = angle + NextRange(rng, -0.85f, 0.85f);
        Vec2 q = p + Vec2{std::cos(heading), std::sin(heading)} * step;
        float w = width * (1.0f - 0.5f * travelled / length);
        FillSegment(r, p, q, w + 2.4f, Carve(1.8f, w + 2.4f, 0.72f));
        FillSegment(r, p, q, w + 1.3f, Shade(0.45f));
        FillSegment(r, p, q, w, Cut());
        if (depth == 0 && NextFloat(rng) < 0.18f)
            Crack(r, q, angle + NextRange(rng, 0.6f, 1.1f) * (NextFloat(rng) < 0.5f ? -1.0f : 1.0f),
                  length * 0.35f, w * 0.8f, rng, depth + 1);
        travelled += step;
        p = q;
    }
}

// A hole where bricks have fallen out: the box of the missing bricks with
// chipped, uneven edges, the brick around it broken back and darkened.
void MissingBricks(Relief& r, Box2 b, Rng& rng) {
    std::vector<Vec2> edge;
    auto walk = [&](Vec2 from, Vec2 to) {
        const int steps = 9;
        for (int i = 0; i < steps; ++i) {
            float t = float(i) / float(steps);
            Vec2 p = from + (to - from) * t;
            Vec2 n{-(to.y - from.y), to.x - from.x};
            n = n * (1.0f / Length(n));
            // Mostly straight along the mortar, with a chip bitten out here
            // and there.
            float chip = NextFloat(rng) < 0.22f ? NextRange(rng, -2.4f, -1.2f) : 0.0f;
            edge.push_back(p + n * (NextRange(rng, -0.5f, 0.5f) + chip));
        }
    };
    walk({b.x0, b.y0}, {b.x1, b.y0});
    walk({b.x1, b.y0}, {b.x1, b.y1});
    walk({b.x1, b.y1}, {b.x0, b.y1});
    walk({b.x0, b.y1}, {b.x0, b.y0});
    std::vector<Vec2> rim;
    Vec2 c{(b.x0 + b.x1) * 0.5f, (b.y0 + b.y1) * 0.5f};
    for (Vec2 p : edge) {
        Vec2 out = p - c;
        float len = Length(out);
        rim.push_back(p + out * (NextRange(rng, 1.6f, 2.6f) / len));
    }
    FillPolygon(r, rim, Carve(1.8f, 2.4f, 0.5f));
    FillPolygon(r, edge, Cut());
}

Relief BrickWall() {
    Relief r = MakeRelief(kCellSize, kCellSize, 8, true);
    FillBox(r, Box2{-1, -1, 65, 65}, 0, Solid(kMortar, 0, 0.3f, 0.5f, 1.0f, Profile::Flat));
    BumpNoise(r, kMortar, 0.25f, 16, 2, 11);
    ToneNoise(r, kMortar, 0.12f, 16, 3, 12);
    Rng rng{101};
    for (int course = 0; course < 4; ++course) {
        float y0 = float(course) * 16.0f;
        float offset = (course % 2) ? 16.0f : 0.0f;
        for (int b = 0; b < 2; ++b) {
            float x0 = offset + float(b) * 32.0f;
            float tone = NextRange(rng, 0.9f, 1.06f);
            FillBox(r, Box2{x0 + 1.0f, y0 + 1.0f, x0 + 31.0f, y0 + 15.0f}, 1.2f,
                    Solid(kBrick, 0.4f, 1.2f, 1.3f, tone));
            // A chipped corner or two, so no two bricks are alike.
            for (int k = 0; k < 2; ++k) {
                Vec2 c{x0 + (NextFloat(rng) < 0.5f ? 2.0f : 30.0f),
                       y0 + (NextFloat(rng) < 0.5f ? 2.0f : 14.0f)};
                FillCircle(r, c, NextRange(rng, 1.0f, 2.0f), Carve(1.2f, 1.0f, 0.92f));
            }
        }
    }
    ToneNoise(r, kBrick, 0.12f, 16, 3, 13);
    ToneNoise(r, kBrick, 0.1f, 64, 1, 14);
    BumpNoise(r, kBrick, 0.15f, 32, 2, 15);
    return r;
}

Sprite CrackedBrick(const Relief& wall) {
    Relief r = wall;
    Rng rng{202};
    Crack(r, Vec2{30, 30}, -2.4f, 26, 0.5f, rng);
    Crack(r, Vec2{30, 30}, 0.5f, 28, 0.5f, rng);
    Crack(r, Vec2{34, 28}, -0.9f, 18, 0.45f, rng);
    Crack(r, Vec2{12, 50}, 0.2f, 12, 0.45f, rng);
    Crack(r, Vec2{52, 12}, 2.2f, 12, 0.45f, rng);
    return Light(r);
}

Sprite BrokenBrick(const Relief& wall) {
    Relief r = wall;
    Rng rng{303};
    // A whole brick and a half gone from the middle courses, a corner
    // knocked off another, and cracks running out from the gaps.
    MissingBricks(r, Box2{16.5f, 16.5f, 47.5f, 31.5f}, rng);
    MissingBricks(r, Box2{-0.5f, 32.5f, 15.5f, 47.5f}, rng);
    MissingBricks(r, Box2{40.5f, 40.5f, 56.0f, 55.0f}, rng);
    MissingBricks(r, Box2{50.0f, 2.0f, 60.0f, 10.0f}, rng);
    Crack(r, Vec2{30, 32}, 1.7f, 12, 0.6f, rng);
    Crack(r, Vec2{16, 24}, 2.6f, 14, 0.6f, rng);
    Crack(r, Vec2{47, 22}, -0.3f, 10, 0.55f, rng);
    Crack(r, Vec2{15, 46}, 1.2f, 12, 0.55f, rng);
    return Light(r);
}

// The wall bursting apart: its middle blown out, soot blackening the bricks
// around the burst, flame pouring through in tongues that change shape from
// frame to frame, and embers flying.
Sprite BurningBrick(const Relief& wall, int frame) {
    Relief r = wall;
    Rng rng{404};
    const Vec2 centre{32, 34};
    std::vector<Vec2> burst = JaggedBlob(centre, 22.0f, 0.38f, 22, rng);
    std::vector<Vec2> charred;
    for (Vec2 p : burst)
        charred.push_back(centre + (p - centre) * 1.18f);
    FillPolygon(r, charred, Carve(1.5f, 3.0f, 0.45f));
    FillPolygon(r, burst, Cut());
    FillPolygon(r, JaggedBlob(Vec2{4, 62}, 11.0f, 0.3f, 10, rng), Cut());
    FillPolygon(r, JaggedBlob(Vec2{62, 4}, 10.0f, 0.3f, 10, rng), Cut());
    FillPolygon(r, JaggedBlob(Vec2{2, 8}, 7.0f, 0.3f, 9, rng), Cut());
    // Whole pieces of the wall blown off its edges.
    FillPolygon(r, JaggedBlob(Vec2{63, 40}, 10.0f, 0.3f, 10, rng), Cut());
    FillPolygon(r, JaggedBlob(Vec2{24, 1}, 9.0f, 0.3f, 10, rng), Cut());
    FillPolygon(r, JaggedBlob(Vec2{38, 63}, 9.5f, 0.3f, 10, rng), Cut());
    FillPolygon(r, JaggedBlob(Vec2{1, 36}, 7.0f, 0.3f, 9, rng), Cut());
    // Soot: the brick darkens toward the burst, in smoky streaks that rise.
    const int sw = kCellSize * 8;
    for (int y = 0; y < sw; ++y)
        for (int x = 0; x < sw; ++x) {
            size_t i = size_t(y) * sw + x;
            if (r.material[i] == 0)
                continue;
            Vec2 p{(float(x) + 0.5f) / 8.0f, (float(y) + 0.5f) / 8.0f};
            Vec2 v = p - centre;
            if (v.y < 0)
                v.y *= 0.65f;
            float n = Fbm(p.x / 6.0f, p.y / 10.0f, 16, 16, 3, 77);
            float soot = SmoothStep(42.0f, 22.0f, Length(v) + (n - 0.5f) * 18.0f);
            r.tone[i] *= 1.0f - 0.72f * soot;
        }
    Lighting light;
    Shading shading;
    LightRelief(r, light, shading);
    Canvas c;
    ResolveRelief(r, shading, WallPalette(), c);
    // The flame: a hot core and tongues licking up and out; the tongues'
    // number stays, their lengths and bends change every frame. It glows
    // orange and yellow with only a small white heart, and leaves much of the
    // burst open, so several burning walls at once stay calm.
    const float f = float(frame);
    PaintOver(c, Box2{0, 0, 64, 64}, [&](Vec2 p) {
        Vec2 v = p - centre;
        float angle = std::atan2(v.y, v.x);
        float up = SmoothStep(0.3f, -1.0f, std::sin(angle));  // 1 pointing up
        float tongues =
            0.5f + 0.5f * std::sin(7.0f * angle + 2.1f * f + 1.5f * std::sin(3.0f * angle - f));
        float reach = 10.5f + 8.0f * tongues * (0.5f + 0.8f * up) + 4.0f * up;
        float n = Fbm(p.x / 6.0f, p.y / 6.0f + 1.7f * f, 16, 16, 3, 41 + uint32_t(frame) * 7);
        float heat = 1.0f - Length(v) / reach + (n - 0.5f) * 0.8f;
        if (heat <= 0)
            return Stroke{};
        Rgb colour = Mix(Hex(0xc83e16), Hex(0xf08a26), SmoothStep(0.0f, 0.25f, heat));
        colour = Mix(colour, Hex(0xf8c83e), SmoothStep(0.3f, 0.6f, heat));
        colour = Mix(colour, Hex(0xfff3c8), SmoothStep(0.75f, 1.0f, heat));
        return Stroke{colour, 1.0f};
    });
    // Embers: glowing specks over the soot and in the air, different in
    // every frame.
    Rng embers{505 + uint64_t(frame) * 31};
    for (int i = 0; i < 14; ++i) {
        float a = NextRange(embers, 0, 2 * kPi);
        float dist = NextRange(embers, 18, 30);
        Vec2 e = centre + Vec2{std::cos(a), std::sin(a) * 0.85f - 0.3f} * dist;
        float rad = NextRange(embers, 0.7f, 1.3f);
        Rgb hot = NextFloat(embers) < 0.5f ? Hex(0xffd83a) : Hex(0xff9a2a);
        PaintOver(c, Box2{e.x - 2, e.y - 2, e.x + 2, e.y + 2}, [&](Vec2 p) {
            float d = Length(p - e);
            return d < rad ? Stroke{Mix(Hex(0xfff3a0), hot, d / rad), 1} : Stroke{};
        });
    }
    Sprite out = Downsample(c);
    Outline(out, 0.6f, false);
    return out;
}

Sprite StoneBlocks() {
    Relief r = MakeRelief(kCellSize, kCellSize, 8, true);
    FillBox(r, Box2{-1, -1, 65, 65}, 0, Solid(kJoint, 0, 0.2f, 0.5f, 1.0f, Profile::Flat));
    ToneNoise(r, kJoint, 0.3f, 16, 2, 21);
    struct Row {
        float y0, y1, offset;
        float widths[3];
    };
    const Row rows[3] = {
        {0, 22, 0, {19, 25, 20}}, {22, 42, 9, {24, 21, 19}}, {42, 64, -5, {21, 19, 24}}};
    Rng rng{606};
    const float gap = 0.9f;
    for (const Row& row : rows) {
        float x = row.offset;
        for (float w : row.widths) {
            Box2 block{x + gap, row.y0 + gap, x + w - gap, row.y1 - gap};
            float tone = NextRange(rng, 0.92f, 1.06f);
            FillBox(r, block, 2.2f, Solid(kStone, 0.3f, 1.3f, 2.0f, tone));
            // A pit or two in each block's face.
            for (int k = 0; k < 2; ++k) {
                Vec2 c{NextRange(rng, block.x0 + 4, block.x1 - 4),
                       NextRange(rng, block.y0 + 4, block.y1 - 4)};
                FillEllipse(r, c, NextRange(rng, 0.8f, 1.7f), NextRange(rng, 0.6f, 1.2f),
                            NextRange(rng, 0, kPi), Carve(0.6f, 0.8f, 0.85f));
            }
            x += w;
        }
    }
    ToneNoise(r, kStone, 0.12f, 8, 3, 22);
    ToneNoise(r, kStone, 0.12f, 64, 1, 23);
    BumpNoise(r, kStone, 0.25f, 16, 3, 24);
    return Light(r);
}

Sprite BasePlate() {
    Relief r = MakeRelief(kCellSize, kCellSize, 8, false);
    FillBox(r, Box2{0, 0, 64, 64}, 0, Solid(kPlateDark, 0, 0.2f, 0.5f, 1.0f, Profile::Flat));
    FillBox(r, Box2{1.5f, 1.5f, 62.5f, 62.5f}, 4.0f, Solid(kPlate, 0, 3.0f, 2.2f));
    FillBox(r, Box2{8, 8, 56, 56}, 3.0f, Carve(1.0f, 1.0f, 0.82f));
    for (int i = 0; i < 8; ++i) {
        float t = 6.0f + float(i) * 52.0f / 7.0f;
        for (Vec2 c : {Vec2{t, 4.6f}, Vec2{t, 59.4f}, Vec2{4.6f, t}, Vec2{59.4f, t}}) {
            Paint rivet = Solid(kSteel, 0, 0.7f, 0.8f, 1.0f, Profile::Round);
            rivet.stack = Stack::OnTop;
            rivet.gloss = 0.5f;
            FillCircle(r, c, 0.95f, rivet);
        }
    }
    // The central hatch, bolted down.
    const Vec2 c{32, 32};
    Paint hatch = Solid(kPlate, 0, 1.6f, 1.6f, 1.18f, Profile::Round);
    hatch.stack = Stack::OnTop;
    FillCircle(r, c, 13.0f, hatch);
    Fill(r, Box2{18, 18, 46, 46}, Carve(0.5f, 0.5f, 0.6f),
         [&](Vec2 q) { return std::fabs(SdCircle(q, c, 10.0f)) - 0.5f; });
    for (int i = 0; i < 8; ++i) {
        float a = float(i) * kPi / 4.0f + kPi / 8.0f;
        Paint bolt = Solid(kSteel, 0, 0.6f, 0.7f, 1.0f, Profile::Round);
        bolt.stack = Stack::OnTop;
        bolt.gloss = 0.6f;
        FillCircle(r, c + Vec2{std::cos(a), std::sin(a)} * 11.5f, 0.9f, bolt);
    }
    Paint core = Solid(kSteel, 0, 1.4f, 4.0f, 0.9f, Profile::Round);
    core.stack = Stack::OnTop;
    core.gloss = 0.8f;
    FillCircle(r, c, 4.5f, core);
    for (int i = 0; i < 3; ++i) {
        float a = float(i) * 2 * kPi / 3 - kPi / 2;
        FillBar(r, c + Vec2{std::cos(a), std::sin(a)} * 5.5f,
                c + Vec2{std::cos(a), std::sin(a)} * 8.6f, 0.9f, Carve(0.5f, 0.9f, 0.55f));
    }
    // Vents on both sides of the hatch.
    for (int i = 0; i < 4; ++i) {
        float y = 25.5f + float(i) * 4.3f;
        Paint slot = Solid(kVent, -0.6f, 0.3f, 0.5f, 1.0f);
        slot.stack = Stack::OnTop;
        FillBox(r, Box2{10.5f, y, 16.5f, y + 1.8f}, 0.6f, slot);
        FillBox(r, Box2{47.5f, y, 53.5f, y + 1.8f}, 0.6f, slot);
    }
    // Small orange lights in the corners of the panel.
    const Vec2 lamps[4] = {{12.5f, 12.5f}, {51.5f, 12.5f}, {12.5f, 51.5f}, {51.5f, 51.5f}};
    for (Vec2 l : lamps) {
        Paint rim = Solid(kSteel, 0, 0.8f, 0.6f, 0.7f, Profile::Round);
        rim.stack = Stack::OnTop;
        FillCircle(r, l, 2.7f, rim);
        Paint lamp = Solid(kLamp, 0, 0.5f, 1.5f, 1.0f, Profile::Round);
        lamp.stack = Stack::OnTop;
        FillCircle(r, l, 1.7f, lamp);
    }
    ToneNoise(r, kPlate, 0.12f, 16, 3, 31);
    Lighting light;
    Shading shading;
    LightRelief(r, light, shading);
    Canvas canvas;
    ResolveRelief(r, shading, WallPalette(), canvas);
    for (Vec2 l : lamps)
        AddLight(canvas, Box2{l.x - 7, l.y - 7, l.x + 7, l.y + 7}, [&](Vec2 p) {
            float d = Length(p - l);
            return Stroke{Hex(0xff9a2a), 0.5f * SmoothStep(6.5f, 1.8f, d)};
        });
    Sprite s = Downsample(canvas);
    Outline(s, 0.7f, false);
    return s;
}

}  // namespace

void DrawWallCells(Sprite cells[kCellSprites]) {
    const Relief wall = BrickWall();
    cells[1] = Light(wall);
    cells[2] = CrackedBrick(wall);
    cells[3] = BrokenBrick(wall);
    for (int frame = 0; frame < 3; ++frame)
        cells[4 + frame] = BurningBrick(wall, frame);
    cells[7] = StoneBlocks();
    cells[10] = BasePlate();
}
