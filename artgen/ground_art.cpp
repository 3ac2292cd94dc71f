// The ground cells (white ground, grass, ice, sand, the twelve water frames)
// and the grass background; all of them tile without seams.
#include "artgen/asset_art.h"
#include "artgen/cell_art.h"

namespace {

enum GroundMaterial : uint8_t {
    kGround = 1,
    kSpeck,
    kSoil,
    kLeafDeep,
    kLeafDark,
    kLeafMid,
    kLeafLight,
    kLeafPale,
    kIce,
    kIceDeep,
    kIceCrack,
    kSand,
    kPebble,
};

Palette GroundPalette() {
    Palette p{};
    p[kGround] = {Hex(0xf3f3f0)};
    p[kSpeck] = {Hex(0x9a9a9a)};
    // Deep, saturated foliage: darker than the tanks it hides, greener than
    // the background.
    // The leaves keep close tones so that the cell lies calmer than the
    // tanks on it: the foliage reads by its shapes, not by strong contrast.
    p[kSoil] = {Hex(0x11381c)};
    p[kLeafDeep] = {Hex(0x134217)};
    p[kLeafDark] = {Hex(0x174819)};
    p[kLeafMid] = {Hex(0x1b4e1c)};
    p[kLeafLight] = {Hex(0x1e541e)};
    p[kLeafPale] = {Hex(0x235a21)};
    p[kIce] = {Hex(0xbbd2e8)};
    p[kIceDeep] = {Hex(0xafc5da)};
    p[kIceCrack] = {Hex(0x5d7891)};
    p[kSand] = {Hex(0xb9a66a)};
    p[kPebble] = {Hex(0x8d7d4c)};
    return p;
}

Paint Flat(int material, float tone = 1.0f) {
    Paint p;
    p.material = material;
    p.tone = tone;
    p.profile = Profile::Flat;
    return p;
}

Sprite Lit(const Relief& r, const Lighting& light = Lighting{}) {
    Shading shading;
    LightRelief(r, light, shading);
    return DownsampleRelief(r, shading, GroundPalette());
}

constexpr Box2 kWholeCell{-1, -1, 65, 65};

Sprite WhiteGround() {
    Relief r = MakeRelief(kCellSize, kCellSize, 4, true);
    FillBox(r, kWholeCell, 0, Flat(kGround));
    ToneNoise(r, kGround, 0.05f, 8, 3, 51);
    Rng rng{707};
    for (int i = 0; i < 150; ++i) {
        Vec2 c{NextRange(rng, 0, 64), NextRange(rng, 0, 64)};
        Paint speck = Flat(kSpeck, NextRange(rng, 0.85f, 1.45f));
        FillEllipse(r, c, NextRange(rng, 0.4f, 0.9f), NextRange(rng, 0.35f, 0.7f),
                    NextRange(rng, 0, kPi), speck);
    }
    return Lit(r);
}

// Dense foliage: hundreds of leaves, each a pointed oval with a vein, the
// later ones lying higher and lighter, so they overlap and shade each other.
Sprite Grass() {
    Relief r = MakeRelief(kCellSize, kCellSize, 8, true);
    FillBox(r, kWholeCell, 0, Flat(kSoil));
    Rng rng{808};
    const int leaves = 260;
    for (int i = 0; i < leaves; ++i) {
        float layer = float(i) / float(leaves);
        Vec2 c{NextRange(rng, 0, 64), NextRange(rng, 0, 64)};
        float angle = NextRange(rng, 0, 2 * kPi);
        float length = NextRange(rng, 4.0f, 6.5f), width = NextRange(rng, 1.7f, 2.6f);
        int material = kLeafDeep + std::min(4, int(layer * 4.0f + NextRange(rng, 0.0f, 1.3f)));
        Paint leaf;
        leaf.material = material;
        leaf.tone = NextRange(rng, 0.94f, 1.05f);
        leaf.base = 0.3f + layer * 3.5f;
        leaf.rise = 1.0f;
        leaf.edge = 1.4f;
        leaf.gloss = 0.12f;
        Vec2 axis{std::cos(angle), std::sin(angle)};
        // A pointed leaf: the overlap of two discs.
        Vec2 side{-axis.y, axis.x};
        float bend = (length * length - width * width) / (2 * width);
        Vec2 c1 = c + side * bend, c2 = c - side * bend;
        float radius = bend + width;
        Fill(r, Box2{c.x - length, c.y - length, c.x + length, c.y + length}, leaf,
             [&](Vec2 q) { return std::max(SdCircle(q, c1, radius), SdCircle(q, c2, radius)); });
        Paint vein;
        vein.material = -1;
        vein.shade = 0.94f;
        vein.stack = Stack::Carve;
        vein.rise = 0.25f;
        vein.edge = 0.3f;
        Vec2 a = c - axis * (length * 0.8f), b = c + axis * (length * 0.7f);
        Fill(r, Box2{c.x - length, c.y - length, c.x + length, c.y + length}, vein, [&](Vec2 q) {
            return std::max(SdSegment(q, a, b, 0.28f),
                            std::max(SdCircle(q, c1, radius), SdCircle(q, c2, radius)));
        });
    }
    Lighting light;
    light.ambient = 0.62f;
    light.diffuse = 0.38f;
    light.shadow = 0.18f;
    light.shadowReach = 2.5f;
    return Lit(r, light);
}

// Ice: pale and glossy, with clear blue-grey patches where it is thick,
// scratches across it and a few cracks with frosted rims. The patches give it
// the mid tones that keep it from fading to white when seen small.
Sprite Ice() {
    Relief r = MakeRelief(kCellSize, kCellSize, 8, true);
    Paint ice = Flat(kIce);
    ice.gloss = 0.35f;
    FillBox(r, kWholeCell, 0, ice);
    const int sw = kCellSize * 8;
    // The thick patches: soft-edged blobs from a noise that tiles with the cell.
    for (int y = 0; y < sw; ++y)
        for (int x = 0; x < sw; ++x) {
            float u = (float(x) + 0.5f) / 8.0f, v = (float(y) + 0.5f) / 8.0f;
            // Small, faint patches: large ones would show the 64-pixel grid
            // across a field of ice.
            float n = Fbm(u / 64.0f * 6.0f, v / 64.0f * 6.0f, 6, 6, 2, 63);
            size_t i = size_t(y) * sw + x;
            float deep = SmoothStep(0.45f, 0.54f, n);
            if (deep > 0.5f) {
                r.material[i] = kIceDeep;
                r.tone[i] = 0.92f + 0.25f * (0.62f - std::min(n, 0.62f)) / 0.15f;
            } else {
                r.tone[i] = 1.0f - 0.1f * SmoothStep(0.36f, 0.45f, n);
            }
        }
    BumpNoise(r, -1, 0.5f, 4, 2, 61);
    ToneNoise(r, -1, 0.06f, 8, 3, 62);
    // A faint diagonal sheen, as on a polished sheet.
    for (int y = 0; y < sw; ++y)
        for (int x = 0; x < sw; ++x) {
            float u = (float(x) + float(y)) / float(sw);
            r.tone[size_t(y) * sw + x] *= 1.0f + 0.015f * std::sin(2 * kPi * 2 * u) +
                                          0.015f * std::sin(2 * kPi * 5 * u + 1.0f);
        }
    Rng rng{909};
    for (int i = 0; i < 30; ++i) {
        Vec2 c{NextRange(rng, 0, 64), NextRange(rng, 0, 64)};
        bool along = NextFloat(rng) < 0.75f;
        float angle = along ? NextRange(rng, -1.0f, -0.55f) : NextRange(rng, 0.45f, 0.9f);
        float half = NextRange(rng, 3.0f, along ? 13.0f : 6.0f);
        Vec2 d{std::cos(angle) * half, std::sin(angle) * half};
        Paint scratch;
        scratch.material = -1;
        bool deep = NextFloat(rng) < 0.4f;
        scratch.shade = deep ? 0.8f : 1.06f;
        scratch.stack = Stack::Carve;
        scratch.rise = deep ? 0.45f : 0.15f;
        scratch.edge = 0.35f;
        scratch.profile = Profile::Chamfer;
        FillSegment(r, c - d, c + d, deep ? 0.55f : 0.4f, scratch);
    }
    // Cracks: zigzags of dark blue-grey with a frosted white rim beside them.
    const Vec2 starts[3] = {{6, 14}, {30, 40}, {44, 6}};
    const float headings[3] = {0.5f, -0.35f, 1.9f};
    for (int k = 0; k < 3; ++k) {
        Vec2 p = starts[k];
        for (int step = 0; step < 6; ++step) {
            float heading = headings[k] + NextRange(rng, -0.7f, 0.7f);
            Vec2 q = p + Vec2{std::cos(heading), std::sin(heading)} * NextRange(rng, 3.0f, 5.5f);
            Paint frost = Flat(kIce, 1.12f);
            frost.stack = Stack::Keep;
            FillSegment(r, p + Vec2{-0.7f, -0.7f}, q + Vec2{-0.7f, -0.7f}, 0.75f, frost);
            Paint crack = Flat(kIceCrack, NextRange(rng, 0.9f, 1.1f));
            crack.stack = Stack::Keep;
            FillSegment(r, p, q, 0.55f - 0.05f * float(step), crack);
            p = q;
        }
    }
    return Lit(r);
}

// Sand: fine grain over low ripples, a few pebbles.
Sprite Sand() {
    Relief r = MakeRelief(kCellSize, kCellSize, 4, true);
    FillBox(r, kWholeCell, 0, Flat(kSand));
    const int sw = kCellSize * 4;
    for (int y = 0; y < sw; ++y)
        for (int x = 0; x < sw; ++x) {
            float u = (float(x) + 0.5f) / 4.0f, v = (float(y) + 0.5f) / 4.0f;
            float ripple =
                std::sin(2 * kPi * (2 * u + v) / 64.0f + 1.5f * std::sin(2 * kPi * v / 64));
            r.elevation[size_t(y) * sw + x] += 0.6f * ripple;
        }
    BumpNoise(r, kSand, 0.5f, 32, 2, 71);
    ToneNoise(r, kSand, 0.1f, 4, 3, 72);
    ToneNoise(r, kSand, 0.22f, 64, 1, 73);
    Rng rng{1010};
    for (int i = 0; i < 14; ++i) {
        Vec2 c{NextRange(rng, 0, 64), NextRange(rng, 0, 64)};
        Paint pebble;
        pebble.material = kPebble;
        pebble.tone = NextRange(rng, 0.85f, 1.3f);
        pebble.stack = Stack::OnTop;
        pebble.rise = 0.7f;
        pebble.edge = 0.8f;
        FillEllipse(r, c, NextRange(rng, 0.6f, 1.2f), NextRange(rng, 0.5f, 0.9f),
                    NextRange(rng, 0, kPi), pebble);
    }
    Lighting light;
    light.shadowReach = 1.5f;
    return Lit(r, light);
}

// Water: a sum of waves that travel across the cell; frame f shows phase f of
// twelve, so neighbouring frames differ by a twelfth of the cycle.
struct Wave {
    int kx, ky;  // whole waves across the cell, so the cell tiles
    int speed;   // whole cycles in the twelve frames
    float height;
    float phase;
};
constexpr Wave kWaves[] = {
    {1, 2, 1, 0.55f, 0.0f}, {-2, 1, 1, 0.40f, 1.3f}, {3, -1, 2, 0.22f, 2.1f},
    {2, 3, 1, 0.20f, 4.0f}, {-1, 4, 2, 0.12f, 0.7f}, {4, 2, 1, 0.10f, 5.2f},
};

Sprite Water(int frame) {
    Canvas c = MakeCanvas(kCellSize, kCellSize, 4, true);
    const float t = 2 * kPi * float(frame) / 12.0f;
    const Rgb deep = Hex(0x1f5cb8), mid = Hex(0x2a6fd0), light = Hex(0x63a4ee);
    PaintOver(c, Box2{0, 0, 64, 64}, [&](Vec2 p) {
        float h = 0, gx = 0, gy = 0;
        for (const Wave& w : kWaves) {
            float kx = 2 * kPi * float(w.kx) / 64.0f, ky = 2 * kPi * float(w.ky) / 64.0f;
            float arg = kx * p.x + ky * p.y - float(w.speed) * t + w.phase;
            h += w.height * std::sin(arg);
            gx += w.height * kx * std::cos(arg);
            gy += w.height * ky * std::cos(arg);
        }
        // Slopes steepened so the ripples catch the light.
        gx *= 9.0f;
        gy *= 9.0f;
        float nl = std::sqrt(gx * gx + gy * gy + 1);
        float lambert = (-gx * -0.55f + -gy * -0.55f + 0.63f) / nl / 0.63f;
        Rgb colour = Mix(deep, mid, SmoothStep(-1.2f, 0.3f, h));
        colour = colour * (0.78f + 0.22f * lambert);
        float crest = SmoothStep(0.45f, 1.05f, h) * SmoothStep(0.9f, 1.4f, lambert);
        colour = Mix(colour, light, 0.6f * crest);
        float glint = SmoothStep(1.45f, 1.7f, lambert);
        colour = Mix(colour, Rgb{0.92f, 0.97f, 1.0f}, 0.7f * glint);
        return Stroke{colour, 1.0f};
    });
    return Downsample(c);
}

}  // namespace

void DrawGroundCells(Sprite cells[kCellSprites]) {
    cells[0] = WhiteGround();
    cells[8] = Grass();
    cells[9] = Ice();
    cells[11] = Sand();
    for (int frame = 0; frame < 12; ++frame)
        cells[12 + frame] = Water(frame);
}

// The background: dark, calm grass under everything, so the walls and the
// tanks stand off it. It is shown stretched to 960 x 704 (wider by 1.655,
// taller by 2.2), so whatever should look round is drawn squashed by those
// factors: the large faint patches (10 x 7 lattice cells, about 96 x 100
// pixels once stretched) and the short, low-contrast blades.
Sheet BuildBackground() {
    const int width = 580, height = 320, scale = 2;
    Canvas c = MakeCanvas(width, height, scale, true);
    const Rgb base = Hex(0x3d5531);
    const float cellX = float(width) / 10.0f, cellY = float(height) / 7.0f;
    auto patches = [&](Vec2 p) { return Fbm(p.x / cellX, p.y / cellY, 10, 7, 2, 84); };
    PaintOver(c, Box2{0, 0, float(width), float(height)}, [&](Vec2 p) {
        float fine = Fbm(p.x / 4.0f, p.y / 3.0f, 145, 107, 2, 82);
        return Stroke{base * (0.83f + 0.32f * patches(p) + 0.06f * fine), 1.0f};
    });
    Rng rng{1111};
    const float squash = 1.655f / 2.2f;
    for (int i = 0; i < 9000; ++i) {
        Vec2 root{NextRange(rng, 0, float(width)), NextRange(rng, 0, float(height))};
        float lean = NextRange(rng, -0.5f, 0.5f);
        float length = NextRange(rng, 3.5f, 6.0f);
        Vec2 tip = root + Vec2{std::sin(lean) * length, -std::cos(lean) * length * squash};
        float half = NextRange(rng, 0.4f, 0.6f);
        Rgb colour = base * (0.83f + 0.32f * patches(root) + 0.12f * NextFloat(rng));
        colour = Mix(colour, Hex(0x52683f), 0.25f * NextFloat(rng));
        Box2 b = Grow(Box2{std::min(root.x, tip.x), std::min(root.y, tip.y),
                           std::max(root.x, tip.x), std::max(root.y, tip.y)},
                      1.0f);
        PaintOver(c, b, [&](Vec2 q) {
            Vec2 ab = tip - root, aq = q - root;
            float h = Clamp01(Dot(aq, ab) / Dot(ab, ab));
            float d = Length(aq - ab * h);
            float w = half * (1.0f - h);
            if (d > w)
                return Stroke{};
            // Lit on the side toward the light, darker at the root.
            return Stroke{colour * (0.9f + 0.16f * h), 0.7f};
        });
    }
    Sprite s = Downsample(c);
    Sheet sheet = MakeSheet(width, height);
    for (size_t i = 0; i < sheet.pixels.size(); ++i)
        sheet.pixels[i] = PackRgb(s.colour[i]);
    return sheet;
}
