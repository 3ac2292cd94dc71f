// Measures for the taste checks: colours as the eye compares them (CIELAB),
// the frame's actors and grounds as the game puts them together, and the
// energy of sounds in frequency bands.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/unit/asset_files.h"

namespace taste {

// CIELAB under D65: L* from 0 (black) to 100 (white).
struct Lab {
    double L = 0, a = 0, b = 0;
};
Lab ToLab(double r, double g, double b);  // sRGB channels 0-255
Lab ToLab(uint32_t rgb);
// The relative luminance Y (0 to 1) of sRGB channels 0-255, for contrast ratios.
double RelativeLuminance(double r, double g, double b);
// The distance between two colours (CIE 1976).
double DeltaE(Lab x, Lab y);

// How far apart two colours are, as the sum of their three channels'
// differences (0 to 765).
int ChannelDistance(uint32_t p, uint32_t q);

// Colours taken together: the average colour of a set of pixels (the colour
// a patch reads as from a distance), the spread of their lightness.
struct Patch {
    std::vector<uint32_t> pixels;
};
Lab AverageLab(const Patch& p);
double LightnessSpread(const Patch& p);  // standard deviation of L*

// A tank of kind k as the game draws it: the hull (track frame 0) with the
// gun at rest over it, facing the sheet's column (0 down, 1 left, 2 up,
// 3 right). The 64 x 64 picture with its mask.
struct Sprite {
    std::vector<uint32_t> colour;
    std::vector<uint8_t> opaque;
};
Sprite RestingTank(const asset_files::Bitmap& tanks, int kind, int column);
// A cell picture of the cell sheet, as a patch (all 64 x 64 pixels).
Patch Cell(const asset_files::Bitmap& cells, int n);

// The grounds a tank or a shell can stand on, each with its name: the
// background under empty cells, grass, ice, sand and water (all twelve
// frames together).
struct Ground {
    std::string name;
    Lab colour;
};
std::vector<Ground> Grounds(const asset_files::Bitmap& background,
                            const asset_files::Bitmap& cells);

// Energy per band of a sound: the squares of samples [from, to) after a
// band-pass of two cascaded biquads between lowHz and highHz (a high-pass at
// lowHz, a low-pass at highHz; 0 leaves that side open).
double BandEnergy(const asset_files::Wave& w, double lowHz, double highHz, double fromSeconds,
                  double toSeconds);
// The same in decibels, per second of the window (so windows of different
// lengths compare).
double BandLevelDb(const asset_files::Wave& w, double lowHz, double highHz, double fromSeconds,
                   double toSeconds);
// The level in decibels of each window of the sound (the whole band), from
// the start, windowSeconds long and stepping by stepSeconds.
std::vector<double> Envelope(const asset_files::Wave& w, double windowSeconds, double stepSeconds);

}  // namespace taste
