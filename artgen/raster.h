// Supersampled drawing for the asset generator: shapes are drawn as relief
// (material, elevation, tone) at several times the final size, lit from the
// top-left, and averaged down into sprites with a one-bit mask.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

// ---------------------------------------------------------------------------
// Numbers, colours and chance

struct Vec2 {
    float x = 0, y = 0;
};
inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, float s) {
    return {a.x * s, a.y * s};
}
inline float Dot(Vec2 a, Vec2 b) {
    return a.x * b.x + a.y * b.y;
}
inline float Length(Vec2 a) {
    return std::sqrt(a.x * a.x + a.y * a.y);
}
inline Vec2 Rotate(Vec2 v, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return {v.x * c - v.y * s, v.x * s + v.y * c};
}

inline float Clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline float Mix(float a, float b, float t) {
    return a + (b - a) * t;
}
inline float SmoothStep(float e0, float e1, float v) {
    float t = Clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

constexpr float kPi = 3.14159265358979f;

struct Rgb {
    float r = 0, g = 0, b = 0;
};
inline Rgb operator+(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
inline Rgb operator*(Rgb a, float s) {
    return {a.r * s, a.g * s, a.b * s};
}
inline Rgb Mix(Rgb a, Rgb b, float t) {
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}
// A colour written as 0xRRGGBB.
constexpr Rgb Hex(uint32_t v) {
    return {float((v >> 16) & 0xFF) / 255.0f, float((v >> 8) & 0xFF) / 255.0f,
            float(v & 0xFF) / 255.0f};
}
uint32_t PackRgb(Rgb c);

// A small fixed-seed generator (splitmix64) so every run draws the same art.
struct Rng {
    uint64_t state = 0;
};
uint32_t NextU32(Rng& rng);
float NextFloat(Rng& rng);  // in [0, 1)
inline float NextRange(Rng& rng, float lo, float hi) {
    return lo + (hi - lo) * NextFloat(rng);
}

// Stateless hashing, so textures do not depend on the order they are drawn in.
uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0);
inline float Hash01(uint32_t a, uint32_t b = 0, uint32_t c = 0) {
    return float(Hash(a, b, c) >> 8) * (1.0f / 16777216.0f);
}
// Smooth value noise in [0, 1] with a lattice that repeats every period cells,
// so textures built from it tile.
float ValueNoise(float x, float y, int periodX, int periodY, uint32_t seed);
// Several octaves of ValueNoise, each twice as fine; x and y are in cells of
// the first octave, which repeats every periodX x periodY cells.
float Fbm(float x, float y, int periodX, int periodY, int octaves, uint32_t seed);

// ---------------------------------------------------------------------------
// Distance functions: negative inside, in sprite pixels

struct Box2 {
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};
inline Box2 Grow(Box2 b, float m) {
    return {b.x0 - m, b.y0 - m, b.x1 + m, b.y1 + m};
}

inline float SdCircle(Vec2 p, Vec2 c, float r) {
    return Length(p - c) - r;
}
// An axis-aligned box from (x0, y0) to (x1, y1) with rounded corners.
inline float SdBox(Vec2 p, Box2 b, float radius) {
    float cx = (b.x0 + b.x1) * 0.5f, cy = (b.y0 + b.y1) * 0.5f;
    float qx = std::fabs(p.x - cx) - ((b.x1 - b.x0) * 0.5f - radius);
    float qy = std::fabs(p.y - cy) - ((b.y1 - b.y0) * 0.5f - radius);
    float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}
// A capsule around the segment a-b.
inline float SdSegment(Vec2 p, Vec2 a, Vec2 b, float r) {
    Vec2 pa = p - a, ba = b - a;
    float h = Clamp01(Dot(pa, ba) / std::max(Dot(ba, ba), 1e-6f));
    return Length(pa - ba * h) - r;
}
// A box with square ends along the segment a-b, halfWidth to each side.
inline float SdBar(Vec2 p, Vec2 a, Vec2 b, float halfWidth) {
    Vec2 d = b - a;
    float len = Length(d);
    Vec2 u = d * (1.0f / std::max(len, 1e-6f));
    Vec2 q = p - (a + b) * 0.5f;
    float along = std::fabs(Dot(q, u)) - len * 0.5f;
    float across = std::fabs(q.x * -u.y + q.y * u.x) - halfWidth;
    float ox = std::max(along, 0.0f), oy = std::max(across, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(along, across), 0.0f);
}
// An ellipse (approximate distance, exact sign), rotated by angle.
inline float SdEllipse(Vec2 p, Vec2 c, float rx, float ry, float angle = 0) {
    Vec2 q = Rotate(p - c, -angle);
    float k = std::sqrt((q.x * q.x) / (rx * rx) + (q.y * q.y) / (ry * ry));
    return (k - 1.0f) * std::min(rx, ry);
}
// A closed polygon (any winding, may be concave).
float SdPolygon(Vec2 p, const Vec2* pts, int n);
Box2 PolygonBounds(const Vec2* pts, int n);

// ---------------------------------------------------------------------------
// Relief: what the supersampled surface is made of and how high it stands

struct Relief {
    int width = 0, height = 0;      // in sprite pixels
    int scale = 8;                  // subpixels per sprite pixel, each way
    bool wrap = false;              // a tile: shapes, light and shadow wrap round
    std::vector<uint8_t> material;  // 0 = nothing (transparent)
    std::vector<float> elevation;   // in pixels above the ground
    std::vector<float> tone;        // multiplies the material's colour
    std::vector<float> gloss;       // strength of the specular highlight
};
Relief MakeRelief(int width, int height, int scale, bool wrap);
// The relief turned clockwise by quarterTurns * 90 degrees (square reliefs).
Relief Rotated(const Relief& r, int quarterTurns);

enum class Profile : uint8_t {
    Flat,     // a step
    Round,    // a quarter circle of radius edge: rounded edges, domes, cylinders
    Chamfer,  // a straight bevel of width edge
};
enum class Stack : uint8_t {
    Absolute,  // elevation = base + profile
    OnTop,     // elevation = what is there + base + profile
    Carve,     // elevation = what is there - profile (grooves, joints)
    Keep,      // elevation unchanged (paint only)
};
struct Paint {
    int material = -1;    // > 0 sets it, 0 cuts a hole, -1 paints only where something is
    float tone = 1.0f;    // the tone set with a material
    float shade = 1.0f;   // multiplies the tone in any case
    float gloss = -1.0f;  // >= 0 sets the gloss
    Stack stack = Stack::Absolute;
    float base = 0.0f;
    float rise = 0.0f;
    float edge = 1.0f;
    Profile profile = Profile::Round;
};

// Paint that sets a material of the given tone, raised `rise` above `base`
// with edges `edge` wide of the given profile.
inline Paint SolidPaint(int material, float base, float rise, float edge, float tone,
                        Profile profile) {
    return {.material = material,
            .tone = tone,
            .base = base,
            .rise = rise,
            .edge = edge,
            .profile = profile};
}

// Paint that changes only the tone and cuts a groove of the given depth and
// half width with chamfered sides (mortar joints, slots, cracks).
inline Paint Carve(float depth, float halfWidth, float shade) {
    Paint p;
    p.material = -1;
    p.shade = shade;
    p.stack = Stack::Carve;
    p.rise = depth;
    p.edge = halfWidth;
    p.profile = Profile::Chamfer;
    return p;
}

inline float ProfileHeight(const Paint& p, float d) {
    float t = Clamp01(-d / p.edge);
    switch (p.profile) {
        case Profile::Flat:
            return p.rise;
        case Profile::Round:
            return p.rise * std::sqrt(std::max(0.0f, 1.0f - (1.0f - t) * (1.0f - t)));
        case Profile::Chamfer:
            return p.rise * t;
    }
    return 0;
}

inline void ApplyPaint(Relief& r, size_t i, const Paint& p, float d) {
    if (p.material == 0) {
        r.material[i] = 0;
        r.elevation[i] = 0;
        return;
    }
    if (p.material < 0 && r.material[i] == 0)
        return;
    if (p.material > 0) {
        r.material[i] = uint8_t(p.material);
        r.tone[i] = p.tone;
        r.gloss[i] = 0;
    }
    r.tone[i] *= p.shade;
    if (p.gloss >= 0)
        r.gloss[i] = p.gloss;
    switch (p.stack) {
        case Stack::Absolute:
            r.elevation[i] = p.base + ProfileHeight(p, d);
            break;
        case Stack::OnTop:
            r.elevation[i] += p.base + ProfileHeight(p, d);
            break;
        case Stack::Carve:
            r.elevation[i] -= ProfileHeight(p, d);
            break;
        case Stack::Keep:
            break;
    }
}

// Calls visit(subpixel index, centre in sprite pixels) for every subpixel whose
// centre lies in bounds; on a wrapping relief also for the wrapped copies.
// Grid is a Relief or a Canvas: anything with width, height, scale and wrap.
template <class Grid, class Visit>
void ForEachSubpixel(const Grid& r, Box2 b, Visit visit) {
    const float s = float(r.scale);
    const int sw = r.width * r.scale, sh = r.height * r.scale;
    const int copies = r.wrap ? 1 : 0;
    for (int cy = -copies; cy <= copies; ++cy)
        for (int cx = -copies; cx <= copies; ++cx) {
            float ox = float(cx * r.width), oy = float(cy * r.height);
            int x0 = std::max(0, int(std::floor((b.x0 + ox) * s)));
            int y0 = std::max(0, int(std::floor((b.y0 + oy) * s)));
            int x1 = std::min(sw - 1, int(std::ceil((b.x1 + ox) * s)));
            int y1 = std::min(sh - 1, int(std::ceil((b.y1 + oy) * s)));
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) {
                    Vec2 p{(float(x) + 0.5f) / s - ox, (float(y) + 0.5f) / s - oy};
                    visit(size_t(y) * sw + x, p);
                }
        }
}

// Fills the shape whose distance function is dist (bounded by bounds).
template <class Dist>
void Fill(Relief& r, Box2 bounds, const Paint& p, Dist dist) {
    ForEachSubpixel(r, bounds, [&](size_t i, Vec2 q) {
        float d = dist(q);
        if (d < 0)
            ApplyPaint(r, i, p, d);
    });
}
void FillCircle(Relief& r, Vec2 c, float radius, const Paint& p);
void FillBox(Relief& r, Box2 box, float radius, const Paint& p);
void FillSegment(Relief& r, Vec2 a, Vec2 b, float halfWidth, const Paint& p);
void FillBar(Relief& r, Vec2 a, Vec2 b, float halfWidth, const Paint& p);
void FillEllipse(Relief& r, Vec2 c, float rx, float ry, float angle, const Paint& p);
void FillPolygon(Relief& r, const std::vector<Vec2>& pts, const Paint& p);

// Multiplies the tone of every subpixel of the material (any if material < 0)
// by 1 + amount * (fbm - 0.5): stains, grain and speckle.
void ToneNoise(Relief& r, int material, float amount, float cellsAcross, int octaves,
               uint32_t seed);
// Adds amount * (fbm - 0.5) to the elevation: roughness that catches the light.
void BumpNoise(Relief& r, int material, float amount, float cellsAcross, int octaves,
               uint32_t seed);

// ---------------------------------------------------------------------------
// Light

struct Lighting {
    float ambient = 0.40f;
    float diffuse = 0.60f;
    float shadow = 0.42f;       // how dark a full cast shadow is
    float shadowReach = 3.0f;   // how far shadows fall, in pixels
    float shadowSlope = 0.85f;  // height lost per pixel along the shadow
    float specPower = 28.0f;
};
struct Shading {
    std::vector<float> light;  // multiplies the colour
    std::vector<float> spec;   // adds white
};
// Light from the top-left: bevels, a specular glint, and cast shadows that
// fall to the bottom-right but only onto the surface itself.
void LightRelief(const Relief& r, const Lighting& l, Shading& out);

struct Material {
    Rgb colour;
    bool emissive = false;  // glows: ignores light and shadow
};
using Palette = std::array<Material, 48>;

// ---------------------------------------------------------------------------
// Canvas: supersampled colour with coverage, for painting over lit relief

struct Canvas {
    int width = 0, height = 0, scale = 8;
    bool wrap = false;
    std::vector<Rgb> colour;
    std::vector<float> cover;
};
Canvas MakeCanvas(int width, int height, int scale, bool wrap);
void ResolveRelief(const Relief& r, const Shading& s, const Palette& pal, Canvas& out);

// Paints over the canvas: shade(p) returns the colour and its opacity at p.
struct Stroke {
    Rgb colour;
    float alpha = 0;
};
template <class Shade>
void PaintOver(Canvas& c, Box2 b, Shade shade) {
    ForEachSubpixel(c, b, [&](size_t i, Vec2 p) {
        Stroke k = shade(p);
        if (k.alpha <= 0)
            return;
        float a = std::min(k.alpha, 1.0f);
        float under = c.cover[i] * (1 - a);
        float total = a + under;
        c.colour[i] = (k.colour * a + c.colour[i] * under) * (1.0f / total);
        c.cover[i] = total;
    });
}
// Adds light (a glow) where the canvas is already covered; the shape is kept.
template <class Shade>
void AddLight(Canvas& c, Box2 b, Shade shade) {
    const float s = float(c.scale);
    const int sw = c.width * c.scale, sh = c.height * c.scale;
    int x0 = std::max(0, int(std::floor(b.x0 * s))), y0 = std::max(0, int(std::floor(b.y0 * s)));
    int x1 = std::min(sw - 1, int(std::ceil(b.x1 * s)));
    int y1 = std::min(sh - 1, int(std::ceil(b.y1 * s)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            size_t i = size_t(y) * sw + x;
            if (c.cover[i] <= 0)
                continue;
            Stroke k = shade(Vec2{(float(x) + 0.5f) / s, (float(y) + 0.5f) / s});
            c.colour[i] = c.colour[i] + k.colour * k.alpha;
        }
}

// ---------------------------------------------------------------------------
// Sprites and sheets

struct Sprite {
    int width = 0, height = 0;
    std::vector<Rgb> colour;
    std::vector<uint8_t> opaque;
};
// Averages each pixel's subpixels; a pixel is opaque when at least half of it
// is covered, and then takes the average colour of its covered part.
Sprite Downsample(const Canvas& c);
Sprite DownsampleRelief(const Relief& r, const Shading& s, const Palette& pal);
// A 1-px dark outline on the opaque pixels that touch a transparent one (or,
// with edgeIsOutside, the sprite's border). darkness 1 = black.
void Outline(Sprite& s, float darkness, bool edgeIsOutside, Rgb tint = Rgb{0.05f, 0.05f, 0.06f});

// A sheet of 0xRRGGBB pixels, top row first.
struct Sheet {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
};
Sheet MakeSheet(int width, int height);
// Puts the sprite's image at (x, y) and its mask right below it: the mask
// white where opaque and black elsewhere, the image white where transparent.
void PlaceSprite(Sheet& sheet, int x, int y, const Sprite& s);
