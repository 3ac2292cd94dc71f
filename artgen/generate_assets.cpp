// Writes every picture and sound of the game into one directory:
//   morvask-assetgen OUTDIR [--previews DIR]
// With --previews each sheet is also written as a PNG (for viewing and tools).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "artgen/asset_art.h"
#include "formats/png_file.h"

namespace {

struct Output {
    std::string dir;
    std::string previews;  // empty: no previews
    bool ok = true;
};

void Write(Output& out, const std::string& name, const Bytes& bytes) {
    if (!WriteBytes(out.dir + "/" + name, bytes)) {
        std::fprintf(stderr, "morvask-assetgen: cannot write %s/%s\n", out.dir.c_str(),
                     name.c_str());
        out.ok = false;
    }
}

void Preview(Output& out, const std::string& name, int width, int height,
             const std::vector<uint32_t>& pixels) {
    if (out.previews.empty())
        return;
    if (!WritePng(out.previews + "/" + name, width, height, pixels.data(), false)) {
        std::fprintf(stderr, "morvask-assetgen: cannot write preview %s\n", name.c_str());
        out.ok = false;
    }
}

void WriteSheet(Output& out, const std::string& name, const Sheet& sheet) {
    Write(out, name + ".bmp", EncodeBmp24(sheet.width, sheet.height, sheet.pixels));
    Preview(out, name + ".png", sheet.width, sheet.height, sheet.pixels);
}

void WriteEffects(Output& out) {
    IndexedSheet fx = BuildEffectSheet();
    Write(out, "effects.bmp", EncodeBmp8(fx.width, fx.height, fx.indices, fx.palette));
    std::vector<uint32_t> rgb(fx.indices.size());
    for (size_t i = 0; i < rgb.size(); ++i)
        rgb[i] = fx.palette[fx.indices[i]];
    Preview(out, "effects.png", fx.width, fx.height, rgb);
}

void WriteSounds(Output& out) {
    for (const SoundCue& cue : kSoundCues) {
        std::vector<float> x = SynthesiseCue(cue);
        std::string name = "wave" + std::to_string(cue.id) + ".wav";
        if (cue.bits == 16) {
            std::vector<int16_t> s(x.size());
            for (size_t i = 0; i < x.size(); ++i)
                s[i] = int16_t(std::lround(std::clamp(x[i], -1.0f, 1.0f) * 32767.0f));
            Write(out, name, EncodeWave16(cue.rate, s));
        } else {
            std::vector<uint8_t> s(x.size());
            for (size_t i = 0; i < x.size(); ++i)
                s[i] = uint8_t(128 + std::lround(std::clamp(x[i], -1.0f, 1.0f) * 127.0f));
            Write(out, name, EncodeWave8(cue.rate, s));
        }
    }
}

void WriteIcons(Output& out) {
    std::vector<IconPicture> pictures = DrawIcons();
    Write(out, "morvask.ico", EncodeIcon(BuildIconImages(pictures)));
    for (const IconPicture& pic : pictures) {
        std::string name = "icon-" + std::to_string(pic.size) + ".png";
        if (!WritePng(out.dir + "/" + name, pic.size, pic.size, pic.argb.data(), true)) {
            std::fprintf(stderr, "morvask-assetgen: cannot write %s\n", name.c_str());
            out.ok = false;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    Output out;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--previews") == 0 && i + 1 < argc) {
            out.previews = argv[++i];
        } else if (out.dir.empty() && argv[i][0] != '-') {
            out.dir = argv[i];
        } else {
            out.dir.clear();
            break;
        }
    }
    if (out.dir.empty()) {
        std::fprintf(stderr, "usage: morvask-assetgen OUTPUT_DIR [--previews DIR]\n");
        return 2;
    }
    if (!out.previews.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(out.previews, ignored);
    }
    WriteSheet(out, "background", BuildBackground());
    WriteSheet(out, "tanks", BuildTankSheet());
    WriteSheet(out, "bullets", BuildBulletSheet());
    WriteSheet(out, "cells", BuildCellSheet());
    WriteEffects(out);
    WriteSheet(out, "marks", BuildMarkSheet());
    WriteSounds(out);
    WriteIcons(out);
    return out.ok ? 0 : 1;
}
