// The program's icon: the blue player tank seen from the front left, ray
// marched as a small solid model filling most of the square, with a cyan rim
// light, a dark inner outline and a thin cyan glow on a transparent ground.
// Every size shows the same view; small sizes use a simpler model so they
// stay crisp.
#include <algorithm>

#include "artgen/asset_art.h"

namespace {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 operator-(Vec3 a, Vec3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3 operator*(Vec3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
float Length(Vec3 a) {
    return std::sqrt(Dot(a, a));
}
Vec3 Normalise(Vec3 a) {
    return a * (1.0f / Length(a));
}
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Abs(Vec3 a) {
    return {std::fabs(a.x), std::fabs(a.y), std::fabs(a.z)};
}

float SdRoundBox(Vec3 p, Vec3 centre, Vec3 half, float r) {
    Vec3 q = Abs(p - centre) - half + Vec3{r, r, r};
    Vec3 o{std::max(q.x, 0.0f), std::max(q.y, 0.0f), std::max(q.z, 0.0f)};
    return Length(o) + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0f) - r;
}
// A vertical cylinder with rounded rims.
float SdCylinder(Vec3 p, Vec3 centre, float radius, float half, float r) {
    Vec3 q = p - centre;
    float dx = std::sqrt(q.x * q.x + q.z * q.z) - radius + r, dy = std::fabs(q.y) - half + r;
    float ox = std::max(dx, 0.0f), oy = std::max(dy, 0.0f);
    return std::min(std::max(dx, dy), 0.0f) + std::sqrt(ox * ox + oy * oy) - r;
}
float SdCapsule(Vec3 p, Vec3 a, Vec3 b, float r) {
    Vec3 pa = p - a, ba = b - a;
    float h = Clamp01(Dot(pa, ba) / Dot(ba, ba));
    return Length(pa - ba * h) - r;
}
float SdSphere(Vec3 p, Vec3 c, float r) {
    return Length(p - c) - r;
}

enum IconMaterial { kHullPaint, kTurretPaint, kTrack, kBarrel, kLampGlass };

struct Hit {
    float d;
    IconMaterial material;
};
void Closer(Hit& h, float d, IconMaterial m) {
    if (d < h.d)
        h = Hit{d, m};
}

// The model: tank facing +z, its left side toward +x, standing on y = 0.
// detail 2 is the full model, 1 drops the small parts, 0 is bold and plain.
Hit Scene(Vec3 p, int detail) {
    Hit h{1e9f, kHullPaint};
    const float barrel = detail == 2 ? 0.065f : (detail == 1 ? 0.08f : 0.11f);
    Closer(h, SdRoundBox(p, {0, 0.40f, 0.0f}, {0.66f, 0.17f, 0.84f}, 0.07f), kHullPaint);
    Closer(h, SdRoundBox(p, {0, 0.56f, -0.04f}, {0.46f, 0.05f, 0.58f}, 0.04f), kHullPaint);
    // One long track per side: two bands read as a tank at any size, where
    // four corner pods read as a beetle's legs.
    for (float sx : {-1.0f, 1.0f})
        Closer(h, SdRoundBox(p, {sx * 0.68f, 0.2f, 0}, {0.2f, 0.2f, 0.9f}, 0.08f), kTrack);
    Closer(h, SdCylinder(p, {0, 0.70f, -0.06f}, 0.48f, 0.11f, 0.08f), kTurretPaint);
    Closer(h, SdRoundBox(p, {0, 0.70f, 0.36f}, {0.25f, 0.09f, 0.1f}, 0.03f), kTurretPaint);
    if (detail == 0) {
        Closer(h, SdCapsule(p, {0, 0.74f, 0.4f}, {0, 0.74f, 1.02f}, barrel), kBarrel);
        return h;
    }
    for (float sx : {-0.11f, 0.11f}) {
        Closer(h, SdCapsule(p, {sx, 0.71f, 0.4f}, {sx, 0.71f, 0.98f}, barrel), kBarrel);
        if (detail == 2)
            Closer(h, SdCapsule(p, {sx, 0.71f, 0.94f}, {sx, 0.71f, 1.02f}, barrel * 1.4f), kBarrel);
    }
    if (detail == 2) {
        Closer(h, SdCylinder(p, {0.13f, 0.82f, -0.17f}, 0.13f, 0.025f, 0.015f), kTurretPaint);
        for (float sx : {-0.44f, 0.44f})
            Closer(h, SdSphere(p, {sx, 0.5f, 0.8f}, 0.05f), kLampGlass);
    }
    return h;
}

Vec3 SceneNormal(Vec3 p, int detail) {
    const float e = 0.002f;
    return Normalise(Vec3{Scene(p + Vec3{e, 0, 0}, detail).d - Scene(p - Vec3{e, 0, 0}, detail).d,
                          Scene(p + Vec3{0, e, 0}, detail).d - Scene(p - Vec3{0, e, 0}, detail).d,
                          Scene(p + Vec3{0, 0, e}, detail).d - Scene(p - Vec3{0, 0, e}, detail).d});
}

struct Camera {
    Vec3 eye;  // toward the camera
    Vec3 right, up, forward;
};

// Seen from the front left and well above, the same at every size: the
// tank's outline is then nearly square, so it fills the icon, with its two
// tracks as bands down the sides and the guns pointing out at the viewer.
Camera FrontLeft() {
    const float az = 0.3f, el = 0.9f;
    Camera c;
    c.eye = Vec3{std::sin(az) * std::cos(el), std::sin(el), std::cos(az) * std::cos(el)};
    c.forward = c.eye * -1.0f;
    c.right = Normalise(Cross(c.forward, Vec3{0, 1, 0}));
    c.up = Cross(c.right, c.forward);
    return c;
}

struct Sample {
    Rgb colour;
    float alpha = 0;
};

Sample Shade(const Camera& cam, Vec3 target, float sx, float sy, int detail) {
    Vec3 origin = target + cam.eye * 4.0f + cam.right * sx + cam.up * sy;
    // Rays that miss the model's bounding sphere need no marching.
    Vec3 toCentre = Vec3{0, 0.45f, 0.2f} - origin;
    float along = Dot(toCentre, cam.forward);
    if (Dot(toCentre, toCentre) - along * along > 1.7f * 1.7f)
        return Sample{};
    float t = std::max(0.0f, along - 1.8f);
    Hit hit{1e9f, kHullPaint};
    Vec3 p;
    for (int i = 0; i < 80; ++i) {
        p = origin + cam.forward * t;
        hit = Scene(p, detail);
        if (hit.d < 0.0015f)
            break;
        t += hit.d;
        if (t > along + 2.0f)
            return Sample{};
    }
    if (hit.d >= 0.0015f)
        return Sample{};
    Vec3 n = SceneNormal(p, detail);
    Vec3 light = Normalise(cam.right * -0.55f + cam.up * 0.8f + cam.eye * 0.5f);
    Rgb albedo;
    float gloss = 0.35f;
    switch (hit.material) {
        case kHullPaint:
            albedo = Hex(0x3f7fd6);
            break;
        case kTurretPaint:
            albedo = Hex(0x4a8ce6);
            break;
        case kTrack: {
            // Tread bars across the belt.
            float bars = std::sin(p.z * 40.0f);
            albedo = bars > 0.55f && detail > 0 ? Hex(0x6a6f76) : Hex(0x2b2d30);
            gloss = 0.15f;
            break;
        }
        case kBarrel:
            albedo = detail == 0 ? Hex(0x8a96a8) : Hex(0x39414d);
            gloss = 0.6f;
            break;
        case kLampGlass:
            return Sample{Hex(0xcff8ff), 1.0f};
    }
    // A little occlusion from nearby surfaces, measured along the normal.
    float occlusion = 0;
    for (int k = 1; k <= 3; ++k) {
        float dist = 0.04f * float(k);
        occlusion += (dist - std::min(dist, Scene(p + n * dist, detail).d)) / dist / float(k);
    }
    float ao = 1.0f - 0.45f * Clamp01(occlusion);
    float diffuse = std::max(0.0f, Dot(n, light));
    Vec3 halfway = Normalise(light + cam.eye);
    float spec = gloss * std::pow(std::max(0.0f, Dot(n, halfway)), 32.0f);
    float facing = std::max(0.0f, Dot(n, cam.eye));
    float rim = std::pow(1.0f - facing, 2.2f);
    Rgb colour = albedo * ((0.32f + 0.78f * diffuse) * ao) + Rgb{spec, spec, spec} +
                 Hex(0x5fe8ff) * (0.85f * rim);
    return Sample{colour, 1.0f};
}

// The model drawn at size x size with the given supersampling, as straight
// colour and coverage.
// Where the model lies in the view: the centre and half the side of the
// smallest square around it, found by casting a coarse grid of rays.
struct Framing {
    float cx = 0, cy = 0, half = 1;
};
Framing FrameModel(const Camera& cam, Vec3 target, int detail) {
    const int grid = 96;
    const float wide = 1.8f;
    float x0 = 9, y0 = 9, x1 = -9, y1 = -9;
    for (int y = 0; y < grid; ++y)
        for (int x = 0; x < grid; ++x) {
            float sx = ((float(x) + 0.5f) / grid * 2 - 1) * wide;
            float sy = -((float(y) + 0.5f) / grid * 2 - 1) * wide;
            if (Shade(cam, target, sx, sy, detail).alpha <= 0)
                continue;
            x0 = std::min(x0, sx);
            x1 = std::max(x1, sx);
            y0 = std::min(y0, sy);
            y1 = std::max(y1, sy);
        }
    const float cell = 2 * wide / grid;
    return Framing{(x0 + x1) * 0.5f, (y0 + y1) * 0.5f, (std::max(x1 - x0, y1 - y0) + cell) * 0.5f};
}

void RenderModel(int size, int ss, int detail, std::vector<Rgb>& colour,
                 std::vector<float>& alpha) {
    const Camera cam = FrontLeft();
    const Vec3 target{0.0f, 0.45f, 0.22f};
    // The tank fills the square but for a margin of a pixel at 32
    // for the glow (the same share at every size).
    Framing f = FrameModel(cam, target, detail);
    const float halfView = f.half * (1.0f + 2.0f * 1.0f / 32.0f);
    colour.assign(size_t(size) * size, Rgb{});
    alpha.assign(size_t(size) * size, 0.0f);
    const float n = float(size * ss);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Rgb sum;
            float cover = 0;
            for (int v = 0; v < ss; ++v)
                for (int u = 0; u < ss; ++u) {
                    float sx = ((float(x * ss + u) + 0.5f) / n * 2 - 1) * halfView + f.cx;
                    float sy = -((float(y * ss + v) + 0.5f) / n * 2 - 1) * halfView + f.cy;
                    Sample s = Shade(cam, target, sx, sy, detail);
                    sum = sum + s.colour * s.alpha;
                    cover += s.alpha;
                }
            size_t i = size_t(y) * size + x;
            alpha[i] = cover / float(ss * ss);
            if (cover > 0)
                colour[i] = sum * (1.0f / cover);
        }
}

// A separable Gaussian blur of one channel.
std::vector<float> Blur(const std::vector<float>& in, int size, float sigma) {
    int radius = int(std::ceil(sigma * 3));
    std::vector<float> kernel(size_t(2 * radius + 1));
    float total = 0;
    for (int i = -radius; i <= radius; ++i) {
        kernel[size_t(i + radius)] = std::exp(-float(i * i) / (2 * sigma * sigma));
        total += kernel[size_t(i + radius)];
    }
    for (float& k : kernel)
        k /= total;
    std::vector<float> tmp(in.size(), 0.0f), out(in.size(), 0.0f);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float s = 0;
            for (int i = -radius; i <= radius; ++i) {
                int xx = x + i;
                if (xx >= 0 && xx < size)
                    s += kernel[size_t(i + radius)] * in[size_t(y) * size + xx];
            }
            tmp[size_t(y) * size + x] = s;
        }
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float s = 0;
            for (int i = -radius; i <= radius; ++i) {
                int yy = y + i;
                if (yy >= 0 && yy < size)
                    s += kernel[size_t(i + radius)] * tmp[size_t(yy) * size + x];
            }
            out[size_t(y) * size + x] = s;
        }
    return out;
}

uint32_t PackArgb(Rgb c, float a) {
    uint32_t alpha = uint32_t(std::lround(Clamp01(a) * 255.0f));
    return alpha == 0 ? 0u : (alpha << 24) | PackRgb(c);
}

IconPicture DrawAt(int size) {
    const int ss = size >= 256 ? 2 : (size >= 96 ? 3 : (size >= 48 ? 4 : 8));
    const int detail = size >= 96 ? 2 : (size >= 32 ? 1 : 0);
    std::vector<Rgb> colour;
    std::vector<float> alpha;
    RenderModel(size, ss, detail, colour, alpha);
    // Small pictures get hard edges, so the shape stays crisp.
    if (size <= 48)
        for (float& a : alpha)
            a = SmoothStep(0.3f, 0.7f, a);
    // A pixel at 32 (more on bigger pictures): the width of the dark inner
    // outline and half the glow's.
    const float unit = std::max(1.0f, float(size) / 32.0f);
    std::vector<float> inner = Blur(alpha, size, 0.6f * unit);
    std::vector<float> glow = Blur(alpha, size, 0.9f * unit);
    const Rgb cyan = Hex(0x3fd8ff), edge = Hex(0x0c1826);
    IconPicture pic;
    pic.size = size;
    pic.argb.resize(size_t(size) * size);
    for (size_t i = 0; i < pic.argb.size(); ++i) {
        Rgb body = Mix(colour[i], edge, 0.7f * SmoothStep(0.8f, 0.45f, inner[i]));
        // The glow fades out within about two pixels of the tank.
        float g = glow[i] < 0.04f ? 0.0f : std::min(1.0f, glow[i] * 2.2f) * 0.8f;
        float a = alpha[i] + g * (1.0f - alpha[i]);
        Rgb c = a > 0 ? (body * alpha[i] + cyan * (g * (1.0f - alpha[i]))) * (1.0f / a) : Rgb{};
        pic.argb[i] = PackArgb(c, a);
    }
    return pic;
}

IconPicture Halve(const IconPicture& big) {
    IconPicture pic;
    pic.size = big.size / 2;
    pic.argb.resize(size_t(pic.size) * pic.size);
    for (int y = 0; y < pic.size; ++y)
        for (int x = 0; x < pic.size; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int v = 0; v < 2; ++v)
                for (int u = 0; u < 2; ++u) {
                    uint32_t p = big.argb[size_t(2 * y + v) * big.size + size_t(2 * x + u)];
                    float pa = float(p >> 24) / 255.0f;
                    r += pa * float((p >> 16) & 0xFF);
                    g += pa * float((p >> 8) & 0xFF);
                    b += pa * float(p & 0xFF);
                    a += pa;
                }
            Rgb c = a > 0 ? Rgb{r / a / 255.0f, g / a / 255.0f, b / a / 255.0f} : Rgb{};
            pic.argb[size_t(y) * pic.size + x] = PackArgb(c, a / 4.0f);
        }
    return pic;
}

// A palette for the 4- and 8-bit pictures by median cut over the opaque
// colours; index 0 stays black for the transparent pixels.
std::vector<uint32_t> MedianCut(const std::vector<uint32_t>& colours, int count) {
    std::vector<std::vector<uint32_t>> boxes{colours};
    auto channel = [](uint32_t c, int k) { return int((c >> (16 - 8 * k)) & 0xFF); };
    while (int(boxes.size()) < count) {
        // Split the box with the widest channel range.
        int bestBox = -1, bestChannel = 0, bestRange = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].size() < 2)
                continue;
            for (int k = 0; k < 3; ++k) {
                int lo = 255, hi = 0;
                for (uint32_t c : boxes[b]) {
                    lo = std::min(lo, channel(c, k));
                    hi = std::max(hi, channel(c, k));
                }
                if (hi - lo > bestRange) {
                    bestRange = hi - lo;
                    bestBox = int(b);
                    bestChannel = k;
                }
            }
        }
        if (bestBox < 0)
            break;
        std::vector<uint32_t>& box = boxes[size_t(bestBox)];
        std::stable_sort(box.begin(), box.end(), [&](uint32_t a, uint32_t b) {
            return channel(a, bestChannel) < channel(b, bestChannel);
        });
        std::vector<uint32_t> upper(box.begin() + long(box.size() / 2), box.end());
        box.resize(box.size() / 2);
        boxes.push_back(std::move(upper));
    }
    std::vector<uint32_t> palette{0x000000};
    for (const auto& box : boxes) {
        if (box.empty())
            continue;
        uint64_t r = 0, g = 0, b = 0;
        for (uint32_t c : box) {
            r += (c >> 16) & 0xFF;
            g += (c >> 8) & 0xFF;
            b += c & 0xFF;
        }
        uint64_t n = box.size();
        palette.push_back(
            uint32_t(((r + n / 2) / n) << 16 | ((g + n / 2) / n) << 8 | ((b + n / 2) / n)));
    }
    return palette;
}

IconImage Paletted(const IconPicture& pic, int bits) {
    IconImage im;
    im.size = pic.size;
    im.bits = bits;
    im.opaque.resize(pic.argb.size());
    std::vector<uint32_t> solid;
    for (size_t i = 0; i < pic.argb.size(); ++i) {
        im.opaque[i] = (pic.argb[i] >> 24) >= 128;
        if (im.opaque[i])
            solid.push_back(pic.argb[i] & 0xFFFFFF);
    }
    im.palette = MedianCut(solid, (1 << bits) - 1);
    im.indices.assign(pic.argb.size(), 0);
    for (size_t i = 0; i < pic.argb.size(); ++i) {
        if (!im.opaque[i])
            continue;
        uint32_t c = pic.argb[i];
        int best = 1;
        long bestDist = -1;
        for (size_t k = 1; k < im.palette.size(); ++k) {
            long dr = long((c >> 16) & 0xFF) - long((im.palette[k] >> 16) & 0xFF);
            long dg = long((c >> 8) & 0xFF) - long((im.palette[k] >> 8) & 0xFF);
            long db = long(c & 0xFF) - long(im.palette[k] & 0xFF);
            long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
            if (bestDist < 0 || d < bestDist) {
                bestDist = d;
                best = int(k);
            }
        }
        im.indices[i] = uint8_t(best);
    }
    return im;
}

IconImage TrueColour(const IconPicture& pic, bool png) {
    IconImage im;
    im.size = pic.size;
    im.bits = 32;
    im.png = png;
    im.argb = pic.argb;
    im.opaque.resize(pic.argb.size());
    for (size_t i = 0; i < pic.argb.size(); ++i)
        im.opaque[i] = (pic.argb[i] >> 24) != 0;
    return im;
}

const IconPicture& OfSize(const std::vector<IconPicture>& pictures, int size) {
    for (const IconPicture& p : pictures)
        if (p.size == size)
            return p;
    return pictures.front();
}

}  // namespace

std::vector<IconPicture> DrawIcons() {
    IconPicture big = DrawAt(256);
    // 192 and 512 are for the web edition's manifest (an installed app's icon).
    return {DrawAt(16), DrawAt(24), DrawAt(32),  DrawAt(48), DrawAt(96),
            Halve(big), big,        DrawAt(192), DrawAt(512)};
}

std::vector<IconImage> BuildIconImages(const std::vector<IconPicture>& pictures) {
    std::vector<IconImage> images;
    for (int bits : {4, 8})
        for (int size : {48, 32, 16})
            images.push_back(Paletted(OfSize(pictures, size), bits));
    images.push_back(TrueColour(OfSize(pictures, 256), true));
    for (int size : {96, 48, 32, 16})
        images.push_back(TrueColour(OfSize(pictures, size), false));
    return images;
}
