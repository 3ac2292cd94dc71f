// The players' marks: in a game of two, a small numbered plate on each
// player's tank tells the two apart whatever armour colour they wear.
#include "artgen/asset_art.h"

namespace {

constexpr int kPlate = 22;
// White and teal: far from every tank's colour (the heavy enemy is gold, the
// full-armour player violet), and far from each other.
constexpr uint32_t kPlateColours[2] = {0xf4f1e8, 0x00c7b7};
constexpr float kStroke = 1.35f;  // half the digit's stroke
// The digits fill y 5..17 of the plate.
constexpr float kTop = 5.0f, kFoot = 17.0f;

float SdDigitOne(Vec2 p) {
    float stem = SdBox(p, Box2{10.2f, kTop, 10.2f + 2 * kStroke, kFoot}, 0);
    float flag = SdBar(p, Vec2{7.6f, 8.0f}, Vec2{11.2f, kTop + 0.6f}, kStroke);
    float foot = SdBox(p, Box2{7.8f, kFoot - 2 * kStroke, 15.2f, kFoot}, 0);
    return std::min(stem, std::min(flag, foot));
}

float SdDigitTwo(Vec2 p) {
    const Vec2 centre{11.0f, 8.9f};
    const float radius = 3.7f;
    // The bowl's upper half and its right side down to where the stroke
    // turns toward the foot.
    float ring = std::fabs(Length(p - centre) - radius) - kStroke;
    float bowl = std::max(ring, std::min(p.y - centre.y, centre.x - p.x));
    float diagonal = SdBar(p, Vec2{14.0f, 11.0f}, Vec2{8.2f, kFoot - kStroke}, kStroke);
    float foot = SdBox(p, Box2{7.2f, kFoot - 2 * kStroke, 15.4f, kFoot}, 0);
    return std::min(bowl, std::min(diagonal, foot));
}

// A raised plate of the player's colour, lit from the top-left like every
// sprite, with a dark digit on it.
Sprite Plate(Rgb colour, float (*digit)(Vec2)) {
    Relief r = MakeRelief(kPlate, kPlate, 8, false);
    Paint plate;
    plate.material = 1;
    plate.rise = 2.0f;
    plate.edge = 2.2f;
    plate.gloss = 0.5f;
    FillBox(r, Box2{1, 1, kPlate - 1.0f, kPlate - 1.0f}, 4.0f, plate);
    Lighting light;
    light.ambient = 0.55f;
    light.diffuse = 0.45f;
    Shading shading;
    LightRelief(r, light, shading);
    Palette pal{};
    pal[1] = {colour};
    Canvas c;
    ResolveRelief(r, shading, pal, c);
    const Rgb ink = Hex(0x1d1f22);
    PaintOver(c, Box2{4, 3, 18, 19}, [&](Vec2 p) {
        float d = digit(p);
        return d < 0 ? Stroke{ink, 1} : Stroke{};
    });
    Sprite s = Downsample(c);
    Outline(s, 0.8f, true);
    return s;
}

}  // namespace

Sheet BuildMarkSheet() {
    Sheet sheet = MakeSheet(2 * kPlate, 2 * kPlate);
    PlaceSprite(sheet, 0, 0, Plate(Hex(kPlateColours[0]), SdDigitOne));
    PlaceSprite(sheet, kPlate, 0, Plate(Hex(kPlateColours[1]), SdDigitTwo));
    return sheet;
}
