// Where the web builds find a resource that is not unpacked in /res.
#pragma once

#include <cstdint>
#include <vector>

namespace web {

// `source` is asked once for each resource not found in /res: it sizes
// `bytes` (left empty: no such resource) and may fill them in later, where
// they are; nothing reads a picture's pixels before they are there.
void SetPictureSource(void (*source)(int number, std::vector<uint8_t>& bytes));

}  // namespace web
