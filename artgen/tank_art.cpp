// The tank sheet: the player's quad-pod design and the enemies' tracked
// design, each drawn once per frame facing up, turned to the four directions
// before lighting, then coloured for each kind.
#include "artgen/asset_art.h"

namespace {

constexpr int kSize = 64;
constexpr int kScale = 8;
constexpr Vec2 kCentre{32, 32};

enum TankMaterial : uint8_t {
    kHull = 1,
    kHullLight,
    kHullDark,
    kTrack,
    kTread,
    kGunMetal,
    kSteel,
    kLamp,
    kVent,
    kGlass,
    kCap,     // the player's bright corner caps
    kBarrel,  // gun steel: light, so the gun's direction shows
};

// Tread bars move a third of their spacing per track frame; this is the
// direction the top run of a track moves when the tank drives forward.
float TreadPhase(int frame, float spacing) {
    return -float(frame) * spacing / 3.0f;
}

Paint Solid(int material, float base, float rise, float edge, float tone = 1.0f,
            Profile profile = Profile::Round) {
    return SolidPaint(material, base, rise, edge, tone, profile);
}

// Paint that only raises what is there (rivets, bolts, hatches).
Paint Raised(int material, float rise, float edge, float tone = 1.0f) {
    Paint p = Solid(material, 0, rise, edge, tone);
    p.stack = Stack::OnTop;
    return p;
}

void GrooveRing(Relief& r, Vec2 c, float radius, float halfWidth, float depth, float shade) {
    Paint p = Carve(depth, halfWidth, shade);
    Fill(r, Box2{c.x - radius - 1, c.y - radius - 1, c.x + radius + 1, c.y + radius + 1}, p,
         [&](Vec2 q) { return std::fabs(SdCircle(q, c, radius)) - halfWidth; });
}

void GrooveBoxOutline(Relief& r, Box2 b, float radius, float halfWidth, float depth, float shade) {
    Paint p = Carve(depth, halfWidth, shade);
    Fill(r, Grow(b, 1), p, [&](Vec2 q) { return std::fabs(SdBox(q, b, radius)) - halfWidth; });
}

void Rivet(Relief& r, Vec2 c, float radius = 0.75f) {
    Paint p = Raised(kSteel, 0.55f, radius, 0.9f);
    p.gloss = 0.5f;
    FillCircle(r, c, radius, p);
}

// A track unit: the belt with tread bars across it, clipped to the belt.
// chevron bars point forward on the enemy's long tracks.
void DrawTrack(Relief& r, Box2 belt, float radius, float rise, float spacing, int frame,
               bool chevron) {
    FillBox(r, belt, radius, Solid(kTrack, 0, rise, 1.6f));
    const float phase = TreadPhase(frame, spacing);
    const float inset = 1.3f;
    const float cx = (belt.x0 + belt.x1) * 0.5f;
    Paint tread = Raised(kTread, 0.9f, 0.6f, 1.12f);
    tread.gloss = 0.2f;
    for (float yc = belt.y0 - spacing + std::fmod(phase + 3 * spacing, spacing);
         yc < belt.y1 + spacing; yc += spacing) {
        auto inBelt = [&](Vec2 q) { return SdBox(q, belt, radius) + inset; };
        if (chevron) {
            float dip = 1.6f;
            Vec2 a{belt.x0 + inset + 0.4f, yc + dip}, m{cx, yc - dip},
                b{belt.x1 - inset - 0.4f, yc + dip};
            Fill(r, Box2{belt.x0, yc - 3, belt.x1, yc + 3}, tread, [&](Vec2 q) {
                float d = std::min(SdBar(q, a, m, 1.15f), SdBar(q, m, b, 1.15f));
                return std::max(d, inBelt(q));
            });
        } else {
            Box2 bar{belt.x0 + inset, yc - 1.2f, belt.x1 - inset, yc + 1.2f};
            Fill(r, Grow(bar, 0.1f), tread,
                 [&](Vec2 q) { return std::max(SdBox(q, bar, 0.4f), inBelt(q)); });
        }
    }
    // The guide line along the middle of the belt, between the tread halves.
    if (!chevron) {
        Paint guide = Carve(0.5f, 0.55f, 0.55f);
        Fill(r, Box2{cx - 1, belt.y0, cx + 1, belt.y1}, guide, [&](Vec2 q) {
            return std::max(std::fabs(q.x - cx) - 0.55f, SdBox(q, belt, radius) + 1.5f);
        });
    }
}

// A sloped front plate: the hull is lowered toward its front edge.
void Glacis(Relief& r, Box2 hull, float radius, float depthY, float drop) {
    Paint p = Carve(drop, depthY - hull.y0, 1.06f);
    Fill(r, Box2{hull.x0, hull.y0, hull.x1, depthY}, p,
         [&](Vec2 q) { return std::max(q.y - depthY, SdBox(q, hull, radius)); });
}

void Lamp(Relief& r, Vec2 c, float radius) {
    FillCircle(r, c, radius + 0.6f, Raised(kSteel, 0.5f, 0.5f, 0.8f));
    Paint glass = Raised(kLamp, 0.3f, radius);
    FillCircle(r, c, radius, glass);
}

// The turret is a separate sprite, so its shadow is painted into the hull: a
// round turret under a fixed light always throws it the same way.
void TurretShadow(Relief& r, float radius) {
    const Vec2 c = kCentre + Vec2{2.4f, 2.4f};
    const float soft = 2.5f;
    ForEachSubpixel(r, Grow(Box2{c.x - radius, c.y - radius, c.x + radius, c.y + radius}, soft),
                    [&](size_t i, Vec2 q) {
                        if (r.material[i] == 0)
                            return;
                        float d = SdCircle(q, c, radius);
                        r.tone[i] *= 1.0f - 0.35f * SmoothStep(soft, -soft, d);
                    });
}

// ---------------------------------------------------------------------------
// The player's design: a square hull with a track pod at each corner.

Relief PlayerHull(int frame) {
    Relief r = MakeRelief(kSize, kSize, kScale, false);
    const float spacing = 4.5f;
    // Struts carrying the pods, under the hull.
    FillBox(r, Box2{5, 22, 15, 42}, 1.5f, Solid(kHullDark, 0, 2.2f, 1.0f));
    FillBox(r, Box2{49, 22, 59, 42}, 1.5f, Solid(kHullDark, 0, 2.2f, 1.0f));
    for (float y : {24.5f, 39.5f}) {
        Rivet(r, Vec2{8, y}, 0.7f);
        Rivet(r, Vec2{56, y}, 0.7f);
    }
    const Box2 pods[4] = {{2.5f, 2.5f, 17.5f, 25.5f},
                          {46.5f, 2.5f, 61.5f, 25.5f},
                          {2.5f, 38.5f, 17.5f, 61.5f},
                          {46.5f, 38.5f, 61.5f, 61.5f}};
    for (const Box2& pod : pods) {
        DrawTrack(r, pod, 3.5f, 2.6f, spacing, frame, false);
        // A bright armoured cap over the pod's outer corner, so the four
        // pods stand out as the player's mark, even at a glance.
        const bool left = pod.x0 < 32, top = pod.y0 < 32;
        Box2 cap{left ? pod.x0 - 0.5f : pod.x1 - 7.0f, top ? pod.y0 - 0.5f : pod.y1 - 9.0f,
                 left ? pod.x0 + 7.0f : pod.x1 + 0.5f, top ? pod.y0 + 9.0f : pod.y1 + 0.5f};
        Paint armour = Solid(kCap, 3.2f, 1.6f, 1.4f);
        armour.gloss = 0.35f;
        FillBox(r, cap, 3.0f, armour);
        Rivet(r, Vec2{(cap.x0 + cap.x1) * 0.5f, (cap.y0 + cap.y1) * 0.5f}, 0.8f);
    }

    const Box2 hull{11, 8.5f, 53, 55.5f};
    FillBox(r, hull, 5.0f, Solid(kHull, 1.2f, 3.4f, 2.2f, 0.9f));
    Glacis(r, hull, 5.0f, 16.5f, 1.8f);
    // The raised deck, so the square reads in two tiers.
    const Box2 deck{15, 16.5f, 49, 52};
    Paint deckPaint = Raised(-1, 1.3f, 1.1f);
    deckPaint.shade = 1.0f / 0.9f;
    FillBox(r, deck, 3.0f, deckPaint);
    Lamp(r, Vec2{16, 12.2f}, 1.7f);
    Lamp(r, Vec2{48, 12.2f}, 1.7f);
    // Engine grille at the rear.
    for (int i = 0; i < 4; ++i) {
        float y = 44.5f + 2.2f * float(i);
        Paint slot = Carve(0.9f, 0.6f, 0.45f);
        FillBar(r, Vec2{22, y}, Vec2{42, y}, 0.6f, slot);
    }
    FillCircle(r, Vec2{17.5f, 51.5f}, 1.8f, Raised(kVent, 0.4f, 0.6f));
    FillCircle(r, Vec2{46.5f, 51.5f}, 1.8f, Raised(kVent, 0.4f, 0.6f));
    for (Vec2 c : {Vec2{13.5f, 19}, Vec2{50.5f, 19}, Vec2{13.5f, 32}, Vec2{50.5f, 32},
                   Vec2{13.5f, 45}, Vec2{50.5f, 45}})
        Rivet(r, c);
    TurretShadow(r, 13.0f);
    GrooveRing(r, kCentre, 14.6f, 0.6f, 0.6f, 0.55f);
    return r;
}

// kick: 0 at rest up to 5 right after a shot. The game draws a recoiling gun
// kick pixels back, so the turret is drawn kick pixels forward to stay put on
// the hull, and only the barrels slide back (half a pixel more per step).
Relief PlayerGun(int kick) {
    Relief r = MakeRelief(kSize, kSize, kScale, false);
    const float lift = float(kick);
    const Vec2 centre = kCentre - Vec2{0, lift};
    const float tip = 2.0f + 0.5f * float(kick);
    for (float x : {27.5f, 36.5f}) {
        Paint barrel = Solid(kBarrel, 4.0f, 2.1f, 2.1f);
        barrel.gloss = 0.35f;
        FillBar(r, Vec2{x, tip + 2}, Vec2{x, 24 - lift}, 2.1f, barrel);
        Paint brake = Solid(kGunMetal, 4.0f, 2.6f, 2.6f, 0.85f);
        brake.gloss = 0.35f;
        FillBar(r, Vec2{x, tip}, Vec2{x, tip + 3.6f}, 2.6f, brake);
        GrooveRing(r, Vec2{x, tip + 0.2f}, 0.9f, 0.45f, 0.6f, 0.4f);
    }
    Paint turret = Solid(kHull, 0, 5.2f, 4.2f, 1.18f);
    turret.gloss = 0.18f;
    FillCircle(r, centre, 12.8f, turret);
    FillBox(r, Box2{23.5f, 17.0f - lift, 40.5f, 23.5f - lift}, 1.8f,
            Solid(kHullDark, 2.6f, 3.3f, 1.4f));
    for (float x : {27.5f, 36.5f}) {
        Paint sleeve = Solid(kGunMetal, 4.2f, 2.0f, 2.0f, 0.8f);
        FillBar(r, Vec2{x, 15.5f - lift}, Vec2{x, 19.5f - lift}, 2.4f, sleeve);
    }
    GrooveRing(r, centre, 9.8f, 0.4f, 0.4f, 0.8f);
    Paint hatch = Raised(kHullLight, 0.8f, 0.9f);
    FillCircle(r, Vec2{36, 37 - lift}, 3.9f, hatch);
    FillBar(r, Vec2{34.5f, 37 - lift}, Vec2{37.5f, 37 - lift}, 0.5f, Raised(kSteel, 0.5f, 0.5f));
    Paint scope = Raised(kGlass, 0.9f, 0.6f);
    scope.gloss = 0.9f;
    FillBox(r, Box2{23.5f, 34 - lift, 27.5f, 37 - lift}, 0.6f, scope);
    return r;
}

// ---------------------------------------------------------------------------
// The enemies' design: a rounded hull between two full-length tracks.

Relief EnemyHull(int frame) {
    Relief r = MakeRelief(kSize, kSize, kScale, false);
    const float spacing = 5.0f;
    // Long tracks from end to end of the cell: the enemy's mark.
    DrawTrack(r, Box2{1, 0.8f, 18.5f, 63.2f}, 7.5f, 3.0f, spacing, frame, true);
    DrawTrack(r, Box2{45.5f, 0.8f, 63, 63.2f}, 7.5f, 3.0f, spacing, frame, true);

    // A hull rounded like a pebble, without a corner anywhere. Its front
    // stops short of the tracks' ends, so the gun reaches well past it.
    const Box2 hull{12, 11.5f, 52, 59.5f};
    const float round = 16.0f;
    FillBox(r, hull, round, Solid(kHull, 1.4f, 4.8f, 3.6f));
    Glacis(r, hull, round, 20.5f, 2.2f);
    GrooveBoxOutline(r, Box2{16, 22.0f, 48, 56}, 8.0f, 0.45f, 0.5f, 0.72f);
    Lamp(r, Vec2{21, 16.0f}, 1.6f);
    Lamp(r, Vec2{43, 16.0f}, 1.6f);
    // Two slatted engine grilles on the rear deck: long slots across, so
    // nothing round there is taken for the gun's ball.
    for (float x : {19.5f, 35.5f}) {
        FillBox(r, Box2{x, 46.5f, x + 9.0f, 55.0f}, 1.2f, Raised(kVent, -0.5f, 0.5f));
        for (int k = 0; k < 4; ++k) {
            float y = 47.9f + 2.0f * float(k);
            FillBar(r, Vec2{x + 0.9f, y}, Vec2{x + 8.1f, y}, 0.5f, Raised(kHullDark, 0.7f, 0.4f));
        }
    }
    for (float y : {25.0f, 34.0f, 43.0f}) {
        Rivet(r, Vec2{14.6f, y});
        Rivet(r, Vec2{49.4f, y});
    }
    TurretShadow(r, 13.6f);
    GrooveRing(r, kCentre, 15.2f, 0.6f, 0.6f, 0.55f);
    return r;
}

// As the player's gun: the dome stays put on the hull once the game has
// pushed the picture back, and the barrel slides into it.
Relief EnemyGun(int kick) {
    Relief r = MakeRelief(kSize, kSize, kScale, false);
    const float lift = float(kick);
    const Vec2 centre = kCentre - Vec2{0, lift};
    // A thick steel barrel, lit along its left side: even at half size it
    // shows which way the gun points.
    const float tip = 4.4f + 0.5f * float(kick);
    Paint barrel = Solid(kBarrel, 5.0f, 3.2f, 3.2f);
    barrel.gloss = 0.45f;
    FillBar(r, Vec2{32, tip + 1}, Vec2{32, 24 - lift}, 3.2f, barrel);
    Paint dome = Solid(kHull, 0, 8.5f, 13.2f);
    dome.gloss = 0.3f;
    FillCircle(r, centre, 13.2f, dome);
    GrooveRing(r, centre, 11.2f, 0.45f, 0.5f, 0.8f);
    FillBox(r, Box2{27.5f, 16.5f - lift, 36.5f, 21.5f - lift}, 1.6f,
            Solid(kHullDark, 5.2f, 2.8f, 1.4f));
    Paint ball = Solid(kBarrel, 4.8f, 4.0f, 4.0f, 0.85f);
    ball.gloss = 0.7f;
    FillCircle(r, Vec2{32, tip}, 4.0f, ball);
    Paint cupola = Raised(kHullLight, 1.3f, 1.4f);
    cupola.gloss = 0.3f;
    FillCircle(r, Vec2{37.0f, 37.0f - lift}, 4.0f, cupola);
    GrooveRing(r, Vec2{37.0f, 37.0f - lift}, 2.2f, 0.35f, 0.3f, 0.7f);
    Paint sight = Raised(kGlass, 0.9f, 0.6f);
    sight.gloss = 0.9f;
    FillBox(r, Box2{24.0f, 27.5f - lift, 27.5f, 30.5f - lift}, 0.6f, sight);
    return r;
}

// ---------------------------------------------------------------------------
// Colours

Palette TankPalette(Rgb hull) {
    Palette p{};
    p[kHull] = {hull};
    p[kHullLight] = {Mix(hull, Rgb{1, 1, 1}, 0.32f)};
    p[kHullDark] = {hull * 0.58f};
    p[kTrack] = {Hex(0x2b2d30)};
    p[kTread] = {Hex(0x5a5e63)};
    p[kGunMetal] = {Mix(hull * 0.5f, Hex(0x4a4e54), 0.55f)};
    p[kSteel] = {Hex(0x9aa0a6)};
    p[kLamp] = {Hex(0xfff2b8), true};
    p[kVent] = {Hex(0x1d1f22)};
    p[kGlass] = {Hex(0x24425e)};
    p[kCap] = {Mix(hull, Rgb{1, 1, 1}, 0.75f)};
    p[kBarrel] = {Hex(0x9aa2aa)};
    return p;
}

// The player's kinds are lighter than the enemies of their colour, and every
// kind is lighter or more vivid than the dark ground under it.
constexpr uint32_t kKindColours[8] = {0x5a6886, 0x4a9eff, 0x9ff652, 0xbc5cd6,
                                      0x4ea218, 0x1c36b4, 0xc8372d, 0xf2a400};

// Turning from the drawn direction (up) to a sheet column: 0 down, 1 left,
// 2 up, 3 right, as clockwise quarter turns.
constexpr int kQuarterTurns[4] = {2, 3, 0, 1};

// The flame of a shot, facing up: its narrow end sits on the muzzle, which the
// flash sprite (48 px beyond the gun) has near its bottom edge.
Sprite MuzzleFlash(bool twin, int column) {
    Canvas c = MakeCanvas(kSize, kSize, 4, false);
    const float base = 53.5f, far = 13.0f;
    const int turns = kQuarterTurns[column];
    PaintOver(c, Box2{0, 0, 64, 64}, [&](Vec2 p) {
        // Back to the drawn (upward) frame.
        Vec2 q = p;
        for (int t = 0; t < turns; ++t)
            q = Vec2{q.y, 64.0f - q.x};
        float t = (base - q.y) / (base - far);
        if (t < -0.05f || t > 1.1f)
            return Stroke{};
        auto jet = [&](float x0, float w0) {
            float tt = Clamp01(t);
            float half = Mix(w0, 14.5f, std::pow(SmoothStep(0.0f, 0.8f, tt), 0.8f));
            if (tt > 0.72f)
                half *= std::sqrt(std::max(0.0f, 1.0f - std::pow((tt - 0.72f) / 0.3f, 2.0f)));
            float x = Mix(x0, 32.0f, SmoothStep(0.0f, 0.45f, tt));
            // Tongues along the rim, so the flame is not a plain cone.
            float wobble = 1.0f + 0.16f * std::sin(tt * 17.0f + x0) * SmoothStep(0.2f, 0.6f, tt);
            half *= wobble;
            return 1.0f - std::fabs(q.x - x) / std::max(half, 0.01f);
        };
        float spread = twin ? std::max(jet(28, 2.6f), jet(36, 2.6f)) : jet(32, 3.0f);
        if (t < 0)
            spread -= (-t) * 20.0f;
        if (spread <= 0)
            return Stroke{};
        float heat = Clamp01(spread * 1.3f) * (1.0f - 0.65f * Clamp01(t));
        Rgb colour = Mix(Hex(0xffcf6a), Hex(0xfff3a0), SmoothStep(0.0f, 0.35f, heat));
        colour = Mix(colour, Rgb{1, 1, 1}, SmoothStep(0.45f, 0.8f, heat));
        return Stroke{colour, 1.0f};
    });
    Sprite s = Downsample(c);
    Outline(s, 0.55f, true, Hex(0xd0702a));
    return s;
}

}  // namespace

Sheet BuildTankSheet() {
    Sheet sheet = MakeSheet(4 * kSize, 80 * 2 * kSize);
    Lighting light;
    Shading shading;
    auto place = [&](const Relief& upright, int firstKind, int row) {
        for (int column = 0; column < 4; ++column) {
            Relief turned = Rotated(upright, kQuarterTurns[column]);
            LightRelief(turned, light, shading);
            for (int kind = firstKind; kind < firstKind + 4; ++kind) {
                Sprite s = DownsampleRelief(turned, shading, TankPalette(Hex(kKindColours[kind])));
                Outline(s, 0.78f, true);
                PlaceSprite(sheet, column * kSize, (10 * kind + row) * 2 * kSize, s);
            }
        }
    };
    for (int design = 0; design < 2; ++design) {
        const bool player = design == 0;
        const int firstKind = player ? 0 : 4;
        for (int frame = 0; frame < 3; ++frame)
            place(player ? PlayerHull(frame) : EnemyHull(frame), firstKind, frame);
        for (int row = 3; row <= 8; ++row)
            place(player ? PlayerGun(8 - row) : EnemyGun(8 - row), firstKind, row);
        for (int column = 0; column < 4; ++column) {
            Sprite flash = MuzzleFlash(player, column);
            for (int kind = firstKind; kind < firstKind + 4; ++kind)
                PlaceSprite(sheet, column * kSize, (10 * kind + 9) * 2 * kSize, flash);
        }
    }
    return sheet;
}
