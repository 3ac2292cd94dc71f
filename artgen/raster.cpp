// Supersampled drawing for the asset generator: noise, relief, light, and the
// reduction of supersampled pictures into masked sprites.
#include "artgen/raster.h"

uint32_t PackRgb(Rgb c) {
    auto byte = [](float v) { return uint32_t(std::lround(Clamp01(v) * 255.0f)); };
    return (byte(c.r) << 16) | (byte(c.g) << 8) | byte(c.b);
}

uint32_t NextU32(Rng& rng) {
    uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return uint32_t((z ^ (z >> 31)) >> 32);
}

float NextFloat(Rng& rng) {
    return float(NextU32(rng) >> 8) * (1.0f / 16777216.0f);
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h =
        a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

namespace {

int Wrap(int v, int period) {
    int m = v % period;
    return m < 0 ? m + period : m;
}

float Quintic(float t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

}  // namespace

float ValueNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = Quintic(x - fx), ty = Quintic(y - fy);
    int x0 = Wrap(ix, periodX), x1 = Wrap(ix + 1, periodX);
    int y0 = Wrap(iy, periodY), y1 = Wrap(iy + 1, periodY);
    float a = Hash01(uint32_t(x0), uint32_t(y0), seed),
          b = Hash01(uint32_t(x1), uint32_t(y0), seed);
    float c = Hash01(uint32_t(x0), uint32_t(y1), seed),
          d = Hash01(uint32_t(x1), uint32_t(y1), seed);
    return Mix(Mix(a, b, tx), Mix(c, d, tx), ty);
}

float Fbm(float x, float y, int periodX, int periodY, int octaves, uint32_t seed) {
    float sum = 0, amp = 1, total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * ValueNoise(x, y, periodX, periodY, seed + uint32_t(o) * 7919u);
        total += amp;
        amp *= 0.5f;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / total;
}

float SdPolygon(Vec2 p, const Vec2* v, int n) {
    float d = Dot(p - v[0], p - v[0]);
    float s = 1.0f;
    for (int i = 0, j = n - 1; i < n; j = i, ++i) {
        Vec2 e = v[j] - v[i];
        Vec2 w = p - v[i];
        Vec2 b = w - e * Clamp01(Dot(w, e) / std::max(Dot(e, e), 1e-9f));
        d = std::min(d, Dot(b, b));
        bool c1 = p.y >= v[i].y, c2 = p.y<v[j].y, c3 = e.x * w.y> e.y * w.x;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
            s = -s;
    }
    return s * std::sqrt(d);
}

Box2 PolygonBounds(const Vec2* pts, int n) {
    Box2 b{pts[0].x, pts[0].y, pts[0].x, pts[0].y};
    for (int i = 1; i < n; ++i) {
        b.x0 = std::min(b.x0, pts[i].x);
        b.y0 = std::min(b.y0, pts[i].y);
        b.x1 = std::max(b.x1, pts[i].x);
        b.y1 = std::max(b.y1, pts[i].y);
    }
    return b;
}

Relief MakeRelief(int width, int height, int scale, bool wrap) {
    Relief r;
    r.width = width;
    r.height = height;
    r.scale = scale;
    r.wrap = wrap;
    size_t n = size_t(width) * scale * height * scale;
    r.material.assign(n, 0);
    r.elevation.assign(n, 0.0f);
    r.tone.assign(n, 1.0f);
    r.gloss.assign(n, 0.0f);
    return r;
}

Relief Rotated(const Relief& r, int quarterTurns) {
    quarterTurns = Wrap(quarterTurns, 4);
    if (quarterTurns == 0)
        return r;
    Relief out = MakeRelief(r.width, r.height, r.scale, r.wrap);
    const int n = r.width * r.scale;  // square
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            // The source subpixel that lands on (x, y) after turning clockwise.
            int sx = x, sy = y;
            if (quarterTurns == 1) {
                sx = y;
                sy = n - 1 - x;
            } else if (quarterTurns == 2) {
                sx = n - 1 - x;
                sy = n - 1 - y;
            } else {
                sx = n - 1 - y;
                sy = x;
            }
            size_t d = size_t(y) * n + x, s = size_t(sy) * n + sx;
            out.material[d] = r.material[s];
            out.elevation[d] = r.elevation[s];
            out.tone[d] = r.tone[s];
            out.gloss[d] = r.gloss[s];
        }
    return out;
}

void FillCircle(Relief& r, Vec2 c, float radius, const Paint& p) {
    Fill(r, Box2{c.x - radius, c.y - radius, c.x + radius, c.y + radius}, p,
         [&](Vec2 q) { return SdCircle(q, c, radius); });
}

void FillBox(Relief& r, Box2 box, float radius, const Paint& p) {
    Fill(r, box, p, [&](Vec2 q) { return SdBox(q, box, radius); });
}

void FillSegment(Relief& r, Vec2 a, Vec2 b, float halfWidth, const Paint& p) {
    Box2 bb{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    Fill(r, Grow(bb, halfWidth), p, [&](Vec2 q) { return SdSegment(q, a, b, halfWidth); });
}

void FillBar(Relief& r, Vec2 a, Vec2 b, float halfWidth, const Paint& p) {
    Box2 bb{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    Fill(r, Grow(bb, halfWidth), p, [&](Vec2 q) { return SdBar(q, a, b, halfWidth); });
}

void FillEllipse(Relief& r, Vec2 c, float rx, float ry, float angle, const Paint& p) {
    float m = std::max(rx, ry);
    Fill(r, Box2{c.x - m, c.y - m, c.x + m, c.y + m}, p,
         [&](Vec2 q) { return SdEllipse(q, c, rx, ry, angle); });
}

void FillPolygon(Relief& r, const std::vector<Vec2>& pts, const Paint& p) {
    Fill(r, PolygonBounds(pts.data(), int(pts.size())), p,
         [&](Vec2 q) { return SdPolygon(q, pts.data(), int(pts.size())); });
}

namespace {

template <class Apply>
void ForEachNoise(Relief& r, int material, float cellsAcross, int octaves, uint32_t seed,
                  Apply apply) {
    const int sw = r.width * r.scale, sh = r.height * r.scale;
    int px = std::max(1, int(std::lround(cellsAcross)));
    int py = std::max(1, int(std::lround(cellsAcross * float(r.height) / float(r.width))));
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
            size_t i = size_t(y) * sw + x;
            if (r.material[i] == 0 || (material >= 0 && r.material[i] != material))
                continue;
            float u = (float(x) + 0.5f) / float(sw) * float(px);
            float v = (float(y) + 0.5f) / float(sh) * float(py);
            apply(i, Fbm(u, v, px, py, octaves, seed));
        }
}

}  // namespace

void ToneNoise(Relief& r, int material, float amount, float cellsAcross, int octaves,
               uint32_t seed) {
    ForEachNoise(r, material, cellsAcross, octaves, seed,
                 [&](size_t i, float n) { r.tone[i] *= 1.0f + amount * (n - 0.5f); });
}

void BumpNoise(Relief& r, int material, float amount, float cellsAcross, int octaves,
               uint32_t seed) {
    ForEachNoise(r, material, cellsAcross, octaves, seed,
                 [&](size_t i, float n) { r.elevation[i] += amount * (n - 0.5f); });
}

void LightRelief(const Relief& r, const Lighting& l, Shading& out) {
    const int sw = r.width * r.scale, sh = r.height * r.scale;
    const size_t n = size_t(sw) * sh;
    out.light.assign(n, 1.0f);
    out.spec.assign(n, 0.0f);
    const float lx = -1.0f, ly = -1.0f, lz = 1.45f;
    const float ll = std::sqrt(lx * lx + ly * ly + lz * lz);
    const float Lx = lx / ll, Ly = ly / ll, Lz = lz / ll;
    float hx = Lx, hy = Ly, hz = Lz + 1.0f;
    float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
    hx /= hl;
    hy /= hl;
    hz /= hl;
    const float inv2d = float(r.scale) * 0.5f;
    auto at = [&](int x, int y) -> float {
        if (r.wrap) {
            x = Wrap(x, sw);
            y = Wrap(y, sh);
        } else {
            x = std::clamp(x, 0, sw - 1);
            y = std::clamp(y, 0, sh - 1);
        }
        return r.elevation[size_t(y) * sw + x];
    };
    // Shadows are sampled every half pixel along the diagonal to the light.
    const int step = std::max(1, r.scale / 2);
    const int samples = int(l.shadowReach * float(r.scale) / float(step));
    const float stepDist = float(step) * 1.41421356f / float(r.scale);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x) {
            size_t i = size_t(y) * sw + x;
            if (r.material[i] == 0)
                continue;
            float gx = (at(x + 1, y) - at(x - 1, y)) * inv2d;
            float gy = (at(x, y + 1) - at(x, y - 1)) * inv2d;
            float nl = std::sqrt(gx * gx + gy * gy + 1.0f);
            float nx = -gx / nl, ny = -gy / nl, nz = 1.0f / nl;
            float diff = std::max(0.0f, nx * Lx + ny * Ly + nz * Lz) / Lz;
            float h = r.elevation[i];
            float shadow = 0;
            for (int k = 1; k <= samples; ++k) {
                float above =
                    at(x - k * step, y - k * step) - h - float(k) * stepDist * l.shadowSlope;
                shadow = std::max(shadow, SmoothStep(0.0f, 0.7f, above));
            }
            out.light[i] = (l.ambient + l.diffuse * diff) * (1.0f - l.shadow * shadow);
            float nh = std::max(0.0f, nx * hx + ny * hy + nz * hz);
            out.spec[i] = r.gloss[i] * std::pow(nh, l.specPower) * (1.0f - shadow);
        }
}

Canvas MakeCanvas(int width, int height, int scale, bool wrap) {
    Canvas c;
    c.width = width;
    c.height = height;
    c.scale = scale;
    c.wrap = wrap;
    size_t n = size_t(width) * scale * height * scale;
    c.colour.assign(n, Rgb{1, 1, 1});
    c.cover.assign(n, 0.0f);
    return c;
}

namespace {

Rgb SubpixelColour(const Relief& r, const Shading& s, const Palette& pal, size_t i) {
    const Material& m = pal[r.material[i]];
    Rgb c = m.colour * r.tone[i];
    if (m.emissive)
        return c;
    float spec = s.spec[i];
    return c * s.light[i] + Rgb{spec, spec, spec * 0.92f};
}

}  // namespace

void ResolveRelief(const Relief& r, const Shading& s, const Palette& pal, Canvas& out) {
    out = MakeCanvas(r.width, r.height, r.scale, r.wrap);
    for (size_t i = 0; i < r.material.size(); ++i) {
        if (r.material[i] == 0)
            continue;
        out.colour[i] = SubpixelColour(r, s, pal, i);
        out.cover[i] = 1.0f;
    }
}

Sprite Downsample(const Canvas& c) {
    Sprite s;
    s.width = c.width;
    s.height = c.height;
    s.colour.assign(size_t(c.width) * c.height, Rgb{1, 1, 1});
    s.opaque.assign(size_t(c.width) * c.height, 0);
    const int sw = c.width * c.scale;
    const float full = float(c.scale * c.scale);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            Rgb sum;
            float cover = 0;
            for (int v = 0; v < c.scale; ++v)
                for (int u = 0; u < c.scale; ++u) {
                    size_t i = size_t(y * c.scale + v) * sw + size_t(x * c.scale + u);
                    sum = sum + c.colour[i] * c.cover[i];
                    cover += c.cover[i];
                }
            size_t o = size_t(y) * c.width + x;
            if (cover * 2 >= full) {
                s.opaque[o] = 1;
                s.colour[o] = sum * (1.0f / cover);
            }
        }
    return s;
}

Sprite DownsampleRelief(const Relief& r, const Shading& sh, const Palette& pal) {
    Sprite s;
    s.width = r.width;
    s.height = r.height;
    s.colour.assign(size_t(r.width) * r.height, Rgb{1, 1, 1});
    s.opaque.assign(size_t(r.width) * r.height, 0);
    const int sw = r.width * r.scale;
    const int full = r.scale * r.scale;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            Rgb sum;
            int cover = 0;
            for (int v = 0; v < r.scale; ++v)
                for (int u = 0; u < r.scale; ++u) {
                    size_t i = size_t(y * r.scale + v) * sw + size_t(x * r.scale + u);
                    if (r.material[i] == 0)
                        continue;
                    sum = sum + SubpixelColour(r, sh, pal, i);
                    ++cover;
                }
            size_t o = size_t(y) * r.width + x;
            if (cover * 2 >= full) {
                s.opaque[o] = 1;
                s.colour[o] = sum * (1.0f / float(cover));
            }
        }
    return s;
}

void Outline(Sprite& s, float darkness, bool edgeIsOutside, Rgb tint) {
    std::vector<uint8_t> edge(s.opaque.size(), 0);
    auto open = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= s.width || y >= s.height)
            return edgeIsOutside;
        return s.opaque[size_t(y) * s.width + x] == 0;
    };
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            if (!s.opaque[size_t(y) * s.width + x])
                continue;
            if (open(x - 1, y) || open(x + 1, y) || open(x, y - 1) || open(x, y + 1))
                edge[size_t(y) * s.width + x] = 1;
        }
    for (size_t i = 0; i < edge.size(); ++i)
        if (edge[i])
            s.colour[i] = Mix(s.colour[i], tint, darkness);
}

Sheet MakeSheet(int width, int height) {
    Sheet s;
    s.width = width;
    s.height = height;
    s.pixels.assign(size_t(width) * height, 0xFFFFFFu);
    return s;
}

void PlaceSprite(Sheet& sheet, int x, int y, const Sprite& s) {
    for (int v = 0; v < s.height; ++v)
        for (int u = 0; u < s.width; ++u) {
            size_t i = size_t(v) * s.width + u;
            bool on = s.opaque[i] != 0;
            sheet.pixels[size_t(y + v) * sheet.width + x + u] =
                on ? PackRgb(s.colour[i]) : 0xFFFFFFu;
            sheet.pixels[size_t(y + s.height + v) * sheet.width + x + u] = on ? 0xFFFFFFu : 0u;
        }
}
