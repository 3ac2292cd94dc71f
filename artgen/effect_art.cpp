// The effect sheet: eight explosion frames, from a small white-hot disc to a
// brown cloud of smoke, drawn as lit lobes and reduced to a 22-colour palette.
#include <iterator>

#include "artgen/asset_art.h"

namespace {

constexpr int kSize = 66;
constexpr int kFrames = 8;
constexpr Vec2 kCentre{33, 33};

// White, black, then yellows, oranges and browns; index 0 is white so that the
// transparent parts of the images and the masks use the two first entries.
constexpr uint32_t kPalette[22] = {
    0xffffff, 0x000000,                                          // white, black
    0xfffbe0, 0xfff3a0, 0xffe866, 0xffd83a, 0xf5c020, 0xe0a818,  // yellows
    0xffb347, 0xff9a2a, 0xf08020, 0xe0661a, 0xc85014, 0xa8400f,  // oranges
    0x8a4a22, 0x74401f, 0x5e361c, 0x4a2c18, 0x3a2214, 0x7a5a40,  // browns
    0x5e4634, 0x42322a,
};
constexpr uint8_t kWhite = 0, kBlack = 1;

// Heat to colour: smoke brown when cold, through orange and yellow to white.
Rgb HeatColour(float heat) {
    struct Stop {
        float at;
        uint32_t colour;
    };
    static constexpr Stop kStops[] = {{0.00f, 0x3e2e24}, {0.12f, 0x5e4634}, {0.24f, 0x7a5a40},
                                      {0.34f, 0x8a4a22}, {0.44f, 0xc85014}, {0.54f, 0xf08020},
                                      {0.64f, 0xff9a2a}, {0.74f, 0xffd83a}, {0.86f, 0xfff3a0},
                                      {1.00f, 0xffffff}};
    heat = Clamp01(heat);
    for (size_t i = 1; i < std::size(kStops); ++i)
        if (heat <= kStops[i].at) {
            float t = (heat - kStops[i - 1].at) / (kStops[i].at - kStops[i - 1].at);
            return Mix(Hex(kStops[i - 1].colour), Hex(kStops[i].colour), t);
        }
    return Rgb{1, 1, 1};
}

struct Lobe {
    Vec2 offset;  // from the centre, at full size
    float radius;
    float heat;  // added to the frame's heat
};

// How each frame looks: the cloud's size, its heat, how far the lobes have
// spread apart, and how ragged the rim is.
struct FrameLook {
    float size, heat, spread, ragged;
};
constexpr FrameLook kLooks[kFrames] = {
    {0.26f, 1.05f, 0.0f, 0.0f},  {0.44f, 0.98f, 0.2f, 0.3f},  {0.60f, 0.88f, 0.5f, 0.6f},
    {0.72f, 0.92f, 0.8f, 0.9f},  {0.81f, 0.86f, 1.0f, 1.1f},  {0.89f, 0.86f, 1.08f, 1.3f},
    {0.95f, 0.28f, 1.16f, 1.5f}, {0.99f, 0.17f, 1.22f, 1.6f},
};

std::vector<Lobe> MakeLobes() {
    Rng rng{2024};
    std::vector<Lobe> lobes;
    lobes.push_back(Lobe{{0, 0}, 17.0f, 0.1f});
    for (int i = 0; i < 9; ++i) {
        float a = 2 * kPi * (float(i) + NextRange(rng, -0.25f, 0.25f)) / 9.0f;
        float d = NextRange(rng, 14.0f, 17.5f);
        lobes.push_back(Lobe{{std::cos(a) * d, std::sin(a) * d},
                             NextRange(rng, 10.0f, 12.5f),
                             NextRange(rng, -0.12f, 0.06f)});
    }
    return lobes;
}

Sprite ExplosionFrame(int frame, const std::vector<Lobe>& lobes) {
    const FrameLook& look = kLooks[frame];
    Canvas c = MakeCanvas(kSize, kSize, 4, false);
    const float lx = -0.55f, ly = -0.55f, lz = 0.63f;
    PaintOver(c, Box2{0, 0, float(kSize), float(kSize)}, [&](Vec2 p) {
        // Ragged rims: the point is pushed about by noise before the lobes
        // are tested.
        float nx = Fbm(p.x / 6.0f, p.y / 6.0f, 16, 16, 2, 91 + uint32_t(frame));
        float ny = Fbm(p.x / 6.0f, p.y / 6.0f, 16, 16, 2, 191 + uint32_t(frame));
        Vec2 q = p + Vec2{nx - 0.5f, ny - 0.5f} * (4.0f * look.ragged);
        float best = -1e9f;
        Vec2 normal{0, 0};
        float nz = 1, heatSum = 0, weightSum = 0;
        for (const Lobe& l : lobes) {
            // Early on the lobes sit together as one disc; they spread later.
            Vec2 centre = kCentre + l.offset * (look.size * look.spread);
            float radius =
                (l.radius + std::max(0.0f, 1.0f - look.spread) * Length(l.offset)) * look.size;
            if (radius <= 0)
                continue;
            Vec2 v = q - centre;
            float d2 = Dot(v, v);
            if (d2 >= radius * radius)
                continue;
            float h = std::sqrt(radius * radius - d2);
            float z = h + (radius - 10.0f) * 0.3f;
            if (z > best) {
                best = z;
                normal = v * (1.0f / radius);
                nz = h / radius;
            }
            // Heat is blended between overlapping lobes, so no lobe's edge
            // shows as a seam of colour.
            float w = (1.0f - d2 / (radius * radius));
            heatSum += w * w * l.heat;
            weightSum += w * w;
        }
        if (best < -1e8f)
            return Stroke{};
        float lobeHeat = heatSum / std::max(weightSum, 1e-6f);
        float lambert = std::max(0.0f, normal.x * lx + normal.y * ly + nz * lz) / lz;
        float fromCentre = Length(p - kCentre) / (32.0f * look.size);
        float turbulence = Fbm(p.x / 5.0f, p.y / 5.0f, 16, 16, 3, 301 + uint32_t(frame)) - 0.5f;
        float heat = look.heat - 0.35f * fromCentre * fromCentre + lobeHeat * look.spread +
                     turbulence * 0.35f * look.spread;
        // The core of the fire glows; the cooler smoke is lit from the top-left.
        Rgb colour = HeatColour(heat);
        float lit = Mix(0.62f + 0.45f * lambert, 1.0f, SmoothStep(0.5f, 0.8f, heat));
        return Stroke{colour * lit, 1.0f};
    });
    Sprite s = Downsample(c);
    Outline(s, 0.8f, true, Hex(0x2e1e16));
    return s;
}

// A 4 x 4 ordered dither, so the gradients survive the small palette.
constexpr float kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

uint8_t NearestColour(Rgb c) {
    uint8_t best = 0;
    float bestDist = 1e9f;
    for (uint8_t i = 0; i < 22; ++i) {
        Rgb p = Hex(kPalette[i]);
        float dr = c.r - p.r, dg = c.g - p.g, db = c.b - p.b;
        float d = 0.3f * dr * dr + 0.59f * dg * dg + 0.11f * db * db;
        if (d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

}  // namespace

IndexedSheet BuildEffectSheet() {
    IndexedSheet sheet;
    sheet.width = kFrames * kSize;
    sheet.height = 2 * kSize;
    sheet.indices.assign(size_t(sheet.width) * sheet.height, kWhite);
    sheet.palette.assign(std::begin(kPalette), std::end(kPalette));
    const std::vector<Lobe> lobes = MakeLobes();
    for (int f = 0; f < kFrames; ++f) {
        Sprite s = ExplosionFrame(f, lobes);
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                size_t i = size_t(y) * kSize + x;
                size_t image = size_t(y) * sheet.width + size_t(f * kSize + x);
                size_t mask = image + size_t(kSize) * sheet.width;
                if (!s.opaque[i]) {
                    sheet.indices[image] = kWhite;
                    sheet.indices[mask] = kBlack;
                    continue;
                }
                float dither = (kBayer[y % 4][x % 4] / 16.0f - 0.47f) * 0.09f;
                uint8_t index = NearestColour(s.colour[i] + Rgb{dither, dither, dither});
                // Black belongs to the masks; the picture's darkest is brown.
                if (index == kBlack)
                    index = 21;
                sheet.indices[image] = index;
                sheet.indices[mask] = kWhite;
            }
    }
    return sheet;
}
