// The players' marks: in a game of two, a small numbered plate on each
// player's tank tells the two apart whatever armour colour they wear.
#include "artgen/asset_art.h"

namespace {

constexpr int kPlate = 22;
// White and teal: far from every tank's colour (the heavy enemy is gold, the
// full-armour player violet), and far from each other.
constexpr uint32_t kPlateColours[2] = {0xfbf9f3, 0x00c7b7};
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

// The digit drawn a little smaller than it is defined, about the plate's
// centre, to fit the plate inside its corner brackets.
constexpr Vec2 kPlateCentre{11.0f, 11.0f};
constexpr float kDigitScale = 0.86f;

// The player's mark: a raised plate of the player's colour with a dark
// digit, and two corner brackets of the same colour at its top-left and
// bottom-right. Drawn at a tank's top-left and bottom-right corners, one
// bracket of each mark lies over the tank's outer corner, tinting its track
// end, so that the player's colour shows at the tank's outline and not only
// in the plate (at half size the digit is gone, the colour is what reads).
Sprite Plate(Rgb colour, float (*digit)(Vec2)) {
    Relief r = MakeRelief(kPlate, kPlate, 8, false);
    Paint bracket;
    bracket.material = 1;
    bracket.tone = 1.0f;
    bracket.rise = 1.2f;
    bracket.edge = 1.0f;
    bracket.gloss = 0.3f;
    constexpr float kArm = 12.0f, kBar = 3.4f;
    FillBox(r, Box2{0, 0, kArm, kBar}, 0.8f, bracket);
    FillBox(r, Box2{0, 0, kBar, kArm}, 0.8f, bracket);
    FillBox(r, Box2{kPlate - kArm, kPlate - kBar, kPlate, kPlate}, 0.8f, bracket);
    FillBox(r, Box2{kPlate - kBar, kPlate - kArm, kPlate, kPlate}, 0.8f, bracket);
    Paint plate;
    plate.material = 1;
    plate.base = 0.6f;
    plate.rise = 1.4f;
    plate.edge = 1.3f;
    plate.gloss = 0.5f;
    FillBox(r, Box2{3, 3, kPlate - 3.0f, kPlate - 3.0f}, 3.0f, plate);
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
    PaintOver(c, Box2{4, 4, 18, 18}, [&](Vec2 p) {
        float d = digit(kPlateCentre + (p - kPlateCentre) * (1.0f / kDigitScale));
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
