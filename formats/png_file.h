// Writing pictures as PNG files, for frames, sheets and icons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes width x height pixels, top row first. With alpha false each pixel is
// 0x00RRGGBB and the file is RGB; with alpha true it is 0xAARRGGBB and RGBA.
bool WritePng(const std::string& path, int width, int height, const uint32_t* pixels, bool alpha);

// Reads a PNG file as 0x00RRGGBB pixels (alpha dropped); false when it cannot.
bool ReadPng(const std::string& path, int& width, int& height, std::vector<uint32_t>& pixels);

// The same file as bytes in memory (for icons built into other files).
std::vector<uint8_t> EncodePng(int width, int height, const uint32_t* pixels, bool alpha);
