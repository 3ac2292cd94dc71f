// The bytes under the binary formats (replay files, share codes): numbers
// written one way, and a strict reader that takes only that way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Unsigned numbers in seven-bit groups, low group first; signed ones zigzag
// first so that small negatives stay short; fixed ones as four bytes, low first.
void PutVarint(std::string& out, uint32_t value);
void PutSigned(std::string& out, int32_t value);
void PutU32(std::string& out, uint32_t value);

// A reading position over bytes[at, end) that remembers the first fault and
// where it happened.
struct ByteReader {
    const std::string& bytes;
    size_t at = 0;
    size_t end = 0;
    std::string fault = {};
    size_t faultAt = 0;
    // What running out of bytes is called in the owner's messages.
    const char* endsEarly = "it ends too early";

    bool Fail(const std::string& what);
    bool Byte(uint8_t& value);
    bool U32(uint32_t& value);
    // Only the shortest form is taken, at most five bytes, so that one value
    // has one text.
    bool Varint(uint32_t& value);
    bool Signed(int32_t& value);
    bool Bytes(size_t count, std::string& value);
    size_t Left() const { return end - at; }
};
