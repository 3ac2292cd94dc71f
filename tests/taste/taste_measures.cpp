// Measures for the taste checks: CIELAB colours, the resting tank as drawn,
// the grounds, and band energies of sounds through biquad filters.
#include "tests/taste/taste_measures.h"

#include <algorithm>
#include <cmath>

using namespace asset_files;

namespace taste {

namespace {

double Linear(double v) {
    v /= 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

}  // namespace

double RelativeLuminance(double r, double g, double b) {
    return 0.2126 * Linear(r) + 0.7152 * Linear(g) + 0.0722 * Linear(b);
}

Lab ToLab(double r, double g, double b) {
    double R = Linear(r), G = Linear(g), B = Linear(b);
    double X = (0.4124 * R + 0.3576 * G + 0.1805 * B) / 0.95047;
    double Y = RelativeLuminance(r, g, b);
    double Z = (0.0193 * R + 0.1192 * G + 0.9505 * B) / 1.08883;
    auto f = [](double t) {
        return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0;
    };
    double fx = f(X), fy = f(Y), fz = f(Z);
    return Lab{116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

Lab ToLab(uint32_t rgb) {
    return ToLab(double(rgb >> 16), double((rgb >> 8) & 0xFF), double(rgb & 0xFF));
}

double DeltaE(Lab x, Lab y) {
    return std::sqrt((x.L - y.L) * (x.L - y.L) + (x.a - y.a) * (x.a - y.a) +
                     (x.b - y.b) * (x.b - y.b));
}

int ChannelDistance(uint32_t p, uint32_t q) {
    int d = 0;
    for (int k = 0; k < 24; k += 8)
        d += std::abs(int((p >> k) & 0xFF) - int((q >> k) & 0xFF));
    return d;
}

Lab AverageLab(const Patch& p) {
    double r = 0, g = 0, b = 0;
    for (uint32_t c : p.pixels) {
        r += c >> 16;
        g += (c >> 8) & 0xFF;
        b += c & 0xFF;
    }
    double n = double(std::max<size_t>(1, p.pixels.size()));
    return ToLab(r / n, g / n, b / n);
}

double LightnessSpread(const Patch& p) {
    double sum = 0, squares = 0;
    for (uint32_t c : p.pixels) {
        double l = ToLab(c).L;
        sum += l;
        squares += l * l;
    }
    double n = double(std::max<size_t>(1, p.pixels.size())), mean = sum / n;
    return std::sqrt(std::max(0.0, squares / n - mean * mean));
}

Sprite RestingTank(const Bitmap& tanks, int kind, int column) {
    Sprite s;
    s.colour.assign(64 * 64, kWhite);
    s.opaque.assign(64 * 64, 0);
    // The hull first, then the gun at rest (row 8) over it, as the game does.
    for (int row : {0, 8}) {
        const int x = 64 * column, y = SlotY(kind, row);
        for (int v = 0; v < 64; ++v)
            for (int u = 0; u < 64; ++u)
                if (asset_files::Opaque(tanks, x, y, 64, 64, u, v)) {
                    s.colour[size_t(v) * 64 + u] = tanks.At(x + u, y + v);
                    s.opaque[size_t(v) * 64 + u] = 1;
                }
    }
    return s;
}

Patch Cell(const Bitmap& cells, int n) {
    Patch p;
    for (int v = 0; v < 64; ++v)
        for (int u = 0; u < 64; ++u)
            p.pixels.push_back(cells.At(CellX(n) + u, CellY(n) + v));
    return p;
}

std::vector<Ground> Grounds(const Bitmap& background, const Bitmap& cells) {
    std::vector<Ground> grounds;
    grounds.push_back({"background", AverageLab(Patch{background.pixels})});
    grounds.push_back({"grass", AverageLab(Cell(cells, 8))});
    grounds.push_back({"ice", AverageLab(Cell(cells, 9))});
    grounds.push_back({"sand", AverageLab(Cell(cells, 11))});
    Patch water;
    for (int n = 12; n < 24; ++n) {
        Patch frame = Cell(cells, n);
        water.pixels.insert(water.pixels.end(), frame.pixels.begin(), frame.pixels.end());
    }
    grounds.push_back({"water", AverageLab(water)});
    return grounds;
}

namespace {

// One biquad section (the cookbook's high- and low-pass with Q = 1/sqrt 2).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

Biquad MakeBiquad(bool highPass, double hz, double rate) {
    const double w = 2.0 * M_PI * hz / rate, alpha = std::sin(w) / std::sqrt(2.0);
    const double c = std::cos(w), a0 = 1.0 + alpha;
    Biquad f;
    if (highPass) {
        f.b0 = (1.0 + c) / 2.0 / a0;
        f.b1 = -(1.0 + c) / a0;
    } else {
        f.b0 = (1.0 - c) / 2.0 / a0;
        f.b1 = (1.0 - c) / a0;
    }
    f.b2 = f.b0;
    f.a1 = -2.0 * c / a0;
    f.a2 = (1.0 - alpha) / a0;
    return f;
}

double Run(Biquad& f, double x) {
    double y = f.b0 * x + f.b1 * f.x1 + f.b2 * f.x2 - f.a1 * f.y1 - f.a2 * f.y2;
    f.x2 = f.x1;
    f.x1 = x;
    f.y2 = f.y1;
    f.y1 = y;
    return y;
}

// The sound through the band-pass, from its first sample (so the filters
// have settled by the window).
std::vector<double> Filtered(const Wave& w, double lowHz, double highHz) {
    std::vector<Biquad> chain;
    for (int k = 0; k < 2; ++k) {
        if (lowHz > 0)
            chain.push_back(MakeBiquad(true, lowHz, w.rate));
        if (highHz > 0)
            chain.push_back(MakeBiquad(false, highHz, w.rate));
    }
    const double full = w.bits == 16 ? 32767.0 : 127.0;
    std::vector<double> out(w.samples.size());
    for (size_t i = 0; i < out.size(); ++i) {
        double x = double(w.samples[i]) / full;
        for (Biquad& f : chain)
            x = Run(f, x);
        out[i] = x;
    }
    return out;
}

}  // namespace

double BandEnergy(const Wave& w, double lowHz, double highHz, double fromSeconds,
                  double toSeconds) {
    std::vector<double> x = Filtered(w, lowHz, highHz);
    size_t from = size_t(std::max(0.0, fromSeconds) * w.rate);
    size_t to = std::min(x.size(), size_t(toSeconds * w.rate));
    double sum = 0;
    for (size_t i = from; i < to; ++i)
        sum += x[i] * x[i];
    return sum;
}

double BandLevelDb(const Wave& w, double lowHz, double highHz, double fromSeconds,
                   double toSeconds) {
    double seconds = std::max(1e-6, toSeconds - fromSeconds);
    double energy = BandEnergy(w, lowHz, highHz, fromSeconds, toSeconds) / (seconds * w.rate);
    return 10.0 * std::log10(std::max(energy, 1e-12));
}

std::vector<double> Envelope(const Wave& w, double windowSeconds, double stepSeconds) {
    const double full = w.bits == 16 ? 32767.0 : 127.0;
    const size_t window = size_t(windowSeconds * w.rate), step = size_t(stepSeconds * w.rate);
    std::vector<double> levels;
    for (size_t start = 0; start + window <= w.samples.size(); start += std::max<size_t>(1, step)) {
        double sum = 0;
        for (size_t i = start; i < start + window; ++i) {
            double x = double(w.samples[i]) / full;
            sum += x * x;
        }
        levels.push_back(10.0 * std::log10(std::max(sum / double(window), 1e-12)));
    }
    return levels;
}

}  // namespace taste
