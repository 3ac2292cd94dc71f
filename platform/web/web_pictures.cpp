// The page's pictures for the game: the page knows each picture's size as
// soon as its file has come and decodes the pixels while the first boxes
// wait, so the game starts without waiting for the decoding. The game gets
// a BMP file of the right size at once; the page writes its rows in when
// decoded, and nothing draws from a picture before WaitForPictures.
#include <emscripten.h>

#include <cstdint>
#include <vector>

#include "platform/web/web_backend.h"
#include "platform/web/web_resources.h"

// The size of picture `number` as the page has it, 0 when it has none.
EM_JS(int, web_picture_size, (int number, int* height), {
    const size = Module.morvask.pictureSize(number);
    if (!size)
        return 0;
    HEAP32[height >> 2] = size[1];
    return size[0];
});
// The page writes the picture's BMP file at `bytes` once it is decoded.
EM_JS(void, web_fill_picture, (int number, uint8_t* bytes),
      { Module.morvask.fillPicture(number, bytes); });
EM_JS(int, web_pictures_filled, (), { return Module.morvask.picturesFilled() ? 1 : 0; });
EM_ASYNC_JS(void, web_wait_pictures, (), { await Module.morvask.waitForPictures(); });

namespace {

bool Filled = false;

void Put32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(value >> (8 * i));
}

// A top-down 24-bit BMP file of the picture's size: its header now, its rows
// from the page.
void PictureToCome(int number, web::ResourceBuffer& bytes) {
    int height = 0;
    int width = web_picture_size(number, &height);
    if (width <= 0 || height <= 0)
        return;
    const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u;
    // Zero when made; the rows are the page's to write.
    bytes.resize(54 + size_t(stride) * uint32_t(height));
    bytes[0] = 'B';
    bytes[1] = 'M';
    Put32(&bytes[2], uint32_t(bytes.size()));
    Put32(&bytes[10], 54);
    Put32(&bytes[14], 40);
    Put32(&bytes[18], uint32_t(width));
    Put32(&bytes[22], uint32_t(-height));
    bytes[26] = 1;
    bytes[28] = 24;
    Put32(&bytes[34], stride * uint32_t(height));
    web_fill_picture(number, bytes.data());
}

}  // namespace

namespace web {

void UsePagePictures() {
    SetPictureSource(PictureToCome);
}

bool PicturesReady() {
    return Filled || (Filled = web_pictures_filled() != 0);
}

void WaitForPictures() {
    if (!PicturesReady()) {
        web_wait_pictures();
        Filled = true;
    }
}

}  // namespace web
