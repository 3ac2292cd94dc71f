// What each part of the asset generator makes: the six bitmaps, the icon
// pictures and the six sounds, each built whole in memory.
#pragma once

#include <cstdint>
#include <vector>

#include "artgen/raster.h"
#include "formats/file_formats.h"

// Tank sheet, 256 x 10240: eight kinds of ten rows (three hulls, six recoil
// frames of the gun, the muzzle flash) in four directions.
Sheet BuildTankSheet();
// Bullet sheet, 160 x 400: four shells and the trail, in four directions.
Sheet BuildBulletSheet();
// Cell sheet, 256 x 896: the 28 cell and item sprites.
Sheet BuildCellSheet();
// The 580 x 320 grass under everything.
Sheet BuildBackground();
// Mark sheet, 44 x 44: the first and the second player's numbered plates,
// 22 x 22 each, side by side.
Sheet BuildMarkSheet();

// Effect sheet, 528 x 132: eight explosion frames in a 22-colour palette.
struct IndexedSheet {
    int width = 0, height = 0;
    std::vector<uint8_t> indices;
    std::vector<uint32_t> palette;  // 0xRRGGBB
};
IndexedSheet BuildEffectSheet();

// The icon drawn at one size: 0xAARRGGBB pixels with straight alpha.
struct IconPicture {
    int size = 0;
    std::vector<uint32_t> argb;
};
// The icon at 16, 24, 32, 48, 96, 128, 256, 192 and 512 pixels, in that order.
std::vector<IconPicture> DrawIcons();
// The eleven pictures of the icon file, in their order, made from those.
std::vector<IconImage> BuildIconImages(const std::vector<IconPicture>& pictures);

// One sound cue as samples in [-1, 1], at its own rate and exact length.
struct SoundCue {
    int id = 0;
    int rate = 0;
    int bits = 0;
    int samples = 0;
    // The loudest sample, in dBFS: the cues heard over and over sit lower.
    float peakDb = -1.0f;
};
extern const SoundCue kSoundCues[6];
std::vector<float> SynthesiseCue(const SoundCue& cue);
