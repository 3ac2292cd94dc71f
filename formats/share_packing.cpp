// The packing under the share codes: strict readers that refuse every byte
// out of place, so that a code from a stranger is either read whole or not.
#include "formats/share_packing.h"

#include <algorithm>

// ---- base64url ----------------------------------------------------------------

namespace {

constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '-')
        return 62;
    if (c == '_')
        return 63;
    return -1;
}

}  // namespace

std::string Base64UrlEncode(const std::string& bytes) {
    std::string text;
    text.reserve((bytes.size() * 4 + 2) / 3);
    uint32_t buffer = 0;
    int bits = 0;
    for (char c : bytes) {
        buffer = (buffer << 8) | uint8_t(c);
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            text += Alphabet[(buffer >> bits) & 63];
        }
    }
    if (bits > 0)
        text += Alphabet[(buffer << (6 - bits)) & 63];
    return text;
}

bool Base64UrlDecode(const std::string& text, std::string& bytes) {
    if (text.size() % 4 == 1)
        return false;
    bytes.clear();
    bytes.reserve(text.size() * 3 / 4);
    uint32_t buffer = 0;
    int bits = 0;
    for (char c : text) {
        const int sextet = SextetOf(c);
        if (sextet < 0)
            return false;
        buffer = (buffer << 6) | uint32_t(sextet);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += char((buffer >> bits) & 0xFF);
        }
    }
    return (buffer & ((1u << bits) - 1)) == 0;
}

// ---- Cells ----------------------------------------------------------------------

namespace {

struct BitWriter {
    std::string& out;
    uint32_t buffer = 0;
    int bits = 0;

    void Put(uint32_t value, int count) {
        for (int k = count - 1; k >= 0; --k) {
            buffer = (buffer << 1) | ((value >> k) & 1);
            if (++bits == 8) {
                out += char(buffer);
                buffer = 0;
                bits = 0;
            }
        }
    }
    void Finish() {
        if (bits > 0)
            out += char(buffer << (8 - bits));
    }
};

struct BitReader {
    ByteReader& in;
    uint8_t byte = 0;
    int left = 0;

    bool Get(int count, uint32_t& value) {
        value = 0;
        for (int k = 0; k < count; ++k) {
            if (left == 0) {
                if (!in.Byte(byte))
                    return false;
                left = 8;
            }
            --left;
            value = (value << 1) | ((byte >> left) & 1);
        }
        return true;
    }
};

// Bits that tell 0 .. count-1 apart.
int WidthOf(size_t count) {
    int width = 0;
    while (count > 1 && (size_t(1) << width) < count)
        ++width;
    return width;
}

// The neighbours a cell may repeat, in the order of their codes: the cell on
// its left, then the one above when it differs.
int Neighbours(const std::vector<int32_t>& cells, size_t k, int32_t columns, int32_t first,
               int32_t near[2]) {
    int count = 0;
    const size_t inLevel = k - size_t(first);
    if (inLevel % size_t(columns) != 0)
        near[count++] = cells[k - 1];
    if (inLevel >= size_t(columns) && (count == 0 || cells[k - columns] != near[0]))
        near[count++] = cells[k - columns];
    return count;
}

// The palette positions of the neighbours, in increasing order; the values
// that are not neighbours are told by their index among the rest.
int NearPositions(const std::vector<int32_t>& palette, const int32_t near[2], int count,
                  size_t positions[2]) {
    for (int k = 0; k < count; ++k)
        positions[k] =
            size_t(std::lower_bound(palette.begin(), palette.end(), near[k]) - palette.begin());
    if (count == 2 && positions[1] < positions[0])
        std::swap(positions[0], positions[1]);
    return count;
}

}  // namespace

void PutCells(std::string& out, const std::vector<int32_t>& cells, int32_t columns, int32_t rows) {
    std::vector<int32_t> palette = cells;
    std::sort(palette.begin(), palette.end());
    palette.erase(std::unique(palette.begin(), palette.end()), palette.end());
    PutVarint(out, uint32_t(palette.size()));
    for (int32_t value : palette)
        PutSigned(out, value);
    BitWriter bits{out};
    const size_t levelSize = size_t(columns) * size_t(rows);
    for (size_t k = 0; k < cells.size(); ++k) {
        int32_t near[2];
        const int count = Neighbours(cells, k, columns, int32_t(k - k % levelSize), near);
        int match = 0;
        while (match < count && near[match] != cells[k])
            ++match;
        if (match < count) {
            bits.Put((1u << (match + 1)) - 2, match + 1);  // `match` ones, then a zero
            continue;
        }
        bits.Put((1u << count) - 1, count);
        size_t positions[2];
        NearPositions(palette, near, count, positions);
        const size_t position =
            size_t(std::lower_bound(palette.begin(), palette.end(), cells[k]) - palette.begin());
        size_t index = position;
        for (int n = 0; n < count; ++n)
            index -= positions[n] < position ? 1 : 0;
        bits.Put(uint32_t(index), WidthOf(palette.size() - size_t(count)));
    }
    bits.Finish();
}

namespace {

bool ReadPalette(ByteReader& in, size_t cellCount, std::vector<int32_t>& palette) {
    uint32_t size = 0;
    if (!in.Varint(size))
        return false;
    if (size == 0 || size > cellCount)
        return in.Fail("the cells' palette has a wrong size");
    palette.resize(size);
    for (uint32_t k = 0; k < size; ++k) {
        if (!in.Signed(palette[k]))
            return false;
        if (k > 0 && palette[k] <= palette[k - 1])
            return in.Fail("the cells' palette is out of order");
    }
    return true;
}

bool ReadCell(BitReader& bits, const std::vector<int32_t>& palette, const int32_t near[2],
              int count, int32_t& cell) {
    for (int k = 0; k < count; ++k) {
        uint32_t bit = 0;
        if (!bits.Get(1, bit))
            return false;
        if (bit == 0) {
            cell = near[k];
            return true;
        }
    }
    const size_t others = palette.size() - size_t(count);
    if (others == 0)
        return bits.in.Fail("a cell names no value");
    uint32_t index = 0;
    if (!bits.Get(WidthOf(others), index))
        return false;
    if (index >= others)
        return bits.in.Fail("a cell names a value beyond the palette");
    size_t positions[2];
    NearPositions(palette, near, count, positions);
    size_t position = index;
    for (int n = 0; n < count; ++n)
        position += positions[n] <= position ? 1 : 0;
    cell = palette[position];
    return true;
}

}  // namespace

bool ReadCells(ByteReader& in, int32_t columns, int32_t rows, int32_t levels,
               std::vector<int32_t>& cells) {
    const size_t levelSize = size_t(columns) * size_t(rows);
    std::vector<int32_t> palette;
    if (!ReadPalette(in, levelSize * size_t(levels), palette))
        return false;
    cells.assign(levelSize * size_t(levels), 0);
    std::vector<bool> used(palette.size(), false);
    BitReader bits{in};
    for (size_t k = 0; k < cells.size(); ++k) {
        int32_t near[2];
        const int count = Neighbours(cells, k, columns, int32_t(k - k % levelSize), near);
        if (!ReadCell(bits, palette, near, count, cells[k]))
            return false;
        used[size_t(std::lower_bound(palette.begin(), palette.end(), cells[k]) - palette.begin())] =
            true;
    }
    if (bits.left > 0 && (bits.byte & ((1u << bits.left) - 1)) != 0)
        return in.Fail("the cells end in stray bits");
    if (std::find(used.begin(), used.end(), false) != used.end())
        return in.Fail("the cells' palette holds a value no cell has");
    return true;
}

// ---- Bytes with repeats ------------------------------------------------------------

namespace {

constexpr size_t MinRepeat = 3;
constexpr size_t Window = 1 << 16;
constexpr int Probes = 32;
constexpr size_t HashSize = 1 << 14;

size_t HashAt(const std::string& bytes, size_t k) {
    const uint32_t v = uint32_t(uint8_t(bytes[k])) | uint32_t(uint8_t(bytes[k + 1])) << 8 |
                       uint32_t(uint8_t(bytes[k + 2])) << 16;
    return (v * 2654435761u) >> 18;
}

// A sequence: a token of two counts of four bits (15 meaning "and a varint
// more"), the literals, and the repeat when there is one.
void PutSequence(std::string& out, const std::string& bytes, size_t literalStart,
                 size_t literalCount, size_t repeat, size_t distance) {
    const size_t extra = repeat > 0 ? repeat - MinRepeat : 0;
    out += char(std::min<size_t>(literalCount, 15) << 4 |
                (repeat > 0 ? std::min<size_t>(extra, 15) : 0));
    if (literalCount >= 15)
        PutVarint(out, uint32_t(literalCount - 15));
    out.append(bytes, literalStart, literalCount);
    if (repeat == 0)
        return;
    if (extra >= 15)
        PutVarint(out, uint32_t(extra - 15));
    PutVarint(out, uint32_t(distance - 1));
}

}  // namespace

// The packer's table of where each hash was last seen, kept from one packing
// to the next: a fresh 128 KB table every time cost more than packing a short
// replay.
namespace {
std::vector<int64_t> LastSeenAt;
}  // namespace

std::string PackRepeats(const std::string& bytes) {
    std::string out;
    std::vector<int64_t>& head = LastSeenAt;
    head.assign(HashSize, -1);
    std::vector<int64_t> previous(bytes.size(), -1);
    auto insert = [&](size_t k) {
        if (k + MinRepeat > bytes.size())
            return;
        const size_t h = HashAt(bytes, k);
        previous[k] = head[h];
        head[h] = int64_t(k);
    };
    size_t literalStart = 0;
    size_t k = 0;
    while (k < bytes.size()) {
        size_t best = 0, distance = 0;
        if (k + MinRepeat <= bytes.size()) {
            int64_t candidate = head[HashAt(bytes, k)];
            for (int probe = 0; probe < Probes && candidate >= 0; ++probe) {
                const size_t from = size_t(candidate);
                if (k - from > Window)
                    break;
                size_t length = 0;
                while (k + length < bytes.size() && bytes[from + length] == bytes[k + length])
                    ++length;
                if (length > best) {
                    best = length;
                    distance = k - from;
                }
                candidate = previous[from];
            }
        }
        if (best < MinRepeat) {
            insert(k++);
            continue;
        }
        PutSequence(out, bytes, literalStart, k - literalStart, best, distance);
        for (size_t end = k + best; k < end; ++k)
            insert(k);
        literalStart = k;
    }
    if (literalStart < bytes.size() || bytes.empty())
        PutSequence(out, bytes, literalStart, bytes.size() - literalStart, 0, 0);
    return out;
}

namespace {

bool Count(ByteReader& in, uint32_t nibble, size_t& count) {
    count = nibble;
    if (nibble < 15)
        return true;
    uint32_t more = 0;
    if (!in.Varint(more))
        return false;
    count += more;
    return true;
}

}  // namespace

bool UnpackRepeats(ByteReader& in, size_t size, std::string& bytes) {
    bytes.clear();
    bytes.reserve(size);
    do {
        uint8_t token = 0;
        size_t literals = 0, repeat = 0;
        std::string run;
        if (!in.Byte(token) || !Count(in, token >> 4, literals))
            return false;
        if (literals > size - bytes.size())
            return in.Fail("the replay is longer than it says");
        if (!in.Bytes(literals, run))
            return false;
        bytes += run;
        if (in.at == in.end) {
            if ((token & 15) != 0)
                return in.Fail("a repeat is missing");
            break;
        }
        uint32_t distance = 0;
        if (!Count(in, token & 15, repeat) || !in.Varint(distance))
            return false;
        repeat += MinRepeat;
        if (size_t(distance) >= bytes.size())
            return in.Fail("a repeat reaches before the start");
        if (repeat > size - bytes.size())
            return in.Fail("the replay is longer than it says");
        const size_t from = bytes.size() - distance - 1;
        for (size_t k = 0; k < repeat; ++k)
            bytes += bytes[from + k];
    } while (in.at < in.end);
    if (bytes.size() != size)
        return in.Fail("the replay is shorter than it says");
    return true;
}
