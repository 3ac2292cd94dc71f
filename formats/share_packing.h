// The byte and bit packing under the share codes: varints, base64url, the
// cells' neighbour coding and the replays' run-length back-reference coding
// (docs/share-codes.md). Every reader is strict and bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_reader.h"

// ---- base64url, no padding --------------------------------------------------

std::string Base64UrlEncode(const std::string& bytes);
// False for any character outside A-Z a-z 0-9 - _, a length that leaves a
// lone character, or unused bits that are not zero (one text per bytes).
bool Base64UrlDecode(const std::string& text, std::string& bytes);

// ---- Cells ------------------------------------------------------------------

// `cells` holds `levels` levels of `columns` by `rows` cells. Writes the
// palette and the bit stream; the reader takes exactly that many cells and
// refuses anything but the one form the writer makes.
void PutCells(std::string& out, const std::vector<int32_t>& cells, int32_t columns, int32_t rows);
bool ReadCells(ByteReader& in, int32_t columns, int32_t rows, int32_t levels,
               std::vector<int32_t>& cells);

// ---- Bytes with repeats ------------------------------------------------------

// The sequences of literals and back-references of docs/share-codes.md.
std::string PackRepeats(const std::string& bytes);
// Unpacks `in` (to its end) into exactly `size` bytes; false otherwise.
bool UnpackRepeats(ByteReader& in, size_t size, std::string& bytes);
