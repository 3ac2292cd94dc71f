// Where the web builds find a resource that is not unpacked in /res.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/shared/surfaces.h"

namespace web {

// A resource's bytes. In pixel memory, which is zero when made without
// being written: a picture's file, which the page writes in whole later, is
// not written twice, and its fresh pages are not touched before then.
using ResourceBuffer = std::vector<uint8_t, shared::PixelAllocator<uint8_t>>;

// `source` is asked once for each resource not found in /res: it sizes
// `bytes` (left empty: no such resource) and may fill them in later, where
// they are; nothing reads a picture's pixels before they are there.
void SetPictureSource(void (*source)(int number, ResourceBuffer& bytes));

}  // namespace web
