// The numbers of the binary formats and their strict reader.
#include "formats/byte_reader.h"

void PutVarint(std::string& out, uint32_t value) {
    while (value >= 0x80) {
        out += char((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out += char(value);
}

void PutSigned(std::string& out, int32_t value) {
    PutVarint(out, (uint32_t(value) << 1) ^ uint32_t(value >> 31));
}

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += char((value >> (8 * i)) & 0xFF);
}

bool ByteReader::Fail(const std::string& what) {
    if (fault.empty()) {
        fault = what;
        faultAt = at;
    }
    return false;
}

bool ByteReader::Byte(uint8_t& value) {
    if (at >= end)
        return Fail(endsEarly);
    value = uint8_t(bytes[at++]);
    return true;
}

bool ByteReader::U32(uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
        uint8_t b = 0;
        if (!Byte(b))
            return false;
        value |= uint32_t(b) << (8 * i);
    }
    return true;
}

bool ByteReader::Varint(uint32_t& value) {
    value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
        uint8_t b = 0;
        if (!Byte(b))
            return false;
        if (shift == 28 && (b & 0x70))
            return Fail("a number is too large");
        value |= uint32_t(b & 0x7F) << shift;
        if (!(b & 0x80)) {
            if (b == 0 && shift > 0)
                return Fail("a number is not in its shortest form");
            return true;
        }
    }
    return Fail("a number is too long");
}

bool ByteReader::Signed(int32_t& value) {
    uint32_t raw = 0;
    if (!Varint(raw))
        return false;
    value = int32_t((raw >> 1) ^ (0u - (raw & 1)));
    return true;
}

bool ByteReader::Bytes(size_t count, std::string& value) {
    if (count > end - at)
        return Fail(endsEarly);
    value.assign(bytes, at, count);
    at += count;
    return true;
}
