// The build tool that makes the dialogs' glyph atlas: it collects every
// character of the string literals in the program's sources, renders each at
// the atlas's pixel sizes with FreeType, and writes them as a C++ source.
// A character the font cannot draw stops the build.
//
// usage: morvask-glyphgen OUTPUT.cpp FONT FAMILY SIZES SOURCE_LIST
//   FONT         a font file (a collection is searched for FAMILY)
//   FAMILY       the family to take from a collection ("" for the first face)
//   SIZES        pixel sizes, separated by commas, e.g. 16,32,48
//   SOURCE_LIST  a file naming one source file a line
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ReadFile(const std::string& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = bool(in);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Adds the code points of UTF-8 text; false when the bytes are not UTF-8.
bool AddUtf8(const std::string& text, std::set<uint32_t>& codePoints) {
    size_t i = 0;
    while (i < text.size()) {
        auto byte = uint8_t(text[i]);
        int extra = byte < 0x80 ? 0 : byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : -1;
        if (extra < 0 || i + size_t(extra) >= text.size())
            return false;
        uint32_t code = extra == 0 ? byte : byte & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            auto next = uint8_t(text[i + size_t(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        if (code >= 0x20 && code != 0x7F)
            codePoints.insert(code);
        i += size_t(extra) + 1;
    }
    return true;
}

// The text inside the string literals of a C++ source (escape sequences left
// out: they stand for control characters or for bytes of characters already
// written out). Comments and character literals are skipped.
std::string StringLiterals(const std::string& source) {
    std::string found;
    size_t i = 0;
    const size_t n = source.size();
    while (i < n) {
        char c = source[i];
        if (c == '/' && i + 1 < n && source[i + 1] == '/') {
            while (i < n && source[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < n && source[i + 1] == '*') {
            size_t end = source.find("*/", i + 2);
            i = end == std::string::npos ? n : end + 2;
        } else if (c == '\'') {
            // A digit separator (1'000) is not a character literal.
            if (i > 0 && std::isxdigit(uint8_t(source[i - 1])) && i + 1 < n &&
                std::isxdigit(uint8_t(source[i + 1]))) {
                ++i;
                continue;
            }
            ++i;
            while (i < n && source[i] != '\'' && source[i] != '\n')
                i += source[i] == '\\' ? 2 : 1;
            ++i;
        } else if (c == '"' && i > 0 && source[i - 1] == 'R') {
            size_t open = source.find('(', i);
            if (open == std::string::npos)
                break;
            std::string close(1, ')');
            close.append(source, i + 1, open - i - 1);
            close.push_back('"');
            size_t end = source.find(close, open);
            if (end == std::string::npos)
                break;
            found += source.substr(open + 1, end - open - 1);
            i = end + close.size();
        } else if (c == '"') {
            ++i;
            while (i < n && source[i] != '"' && source[i] != '\n') {
                if (source[i] == '\\') {
                    i += 2;
                    continue;
                }
                found += source[i++];
            }
            ++i;
        } else {
            ++i;
        }
    }
    return found;
}

FT_Face OpenFace(FT_Library library, const std::string& path, const std::string& family) {
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), -1, &face) != 0)
        return nullptr;
    FT_Long faces = face->num_faces;
    FT_Done_Face(face);
    for (FT_Long index = 0; index < faces; ++index) {
        if (FT_New_Face(library, path.c_str(), index, &face) != 0)
            return nullptr;
        if (family.empty() || (face->family_name && family == face->family_name))
            return face;
        FT_Done_Face(face);
    }
    return nullptr;
}

struct Rendered {
    uint32_t codePoint;
    int left, top, width, height, advance;
    std::vector<uint8_t> coverage;
};

void WriteBytes(std::FILE* out, const std::vector<uint8_t>& bytes) {
    std::fputs("const uint8_t Coverage[] =\n    \"", out);
    int column = 0;
    for (uint8_t byte : bytes) {
        // Three octal digits always end the escape, whatever follows.
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\' && byte != '?') {
            std::fputc(byte, out);
            column += 1;
        } else {
            std::fprintf(out, "\\%03o", byte);
            column += 4;
        }
        if (column >= 96) {
            std::fputs("\"\n    \"", out);
            column = 0;
        }
    }
    std::fputs("\";\n\n", out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: morvask-glyphgen OUTPUT.cpp FONT FAMILY SIZES SOURCE_LIST\n");
        return 2;
    }
    const std::string outputPath = argv[1], fontPath = argv[2], family = argv[3];
    std::vector<int> sizes;
    {
        std::stringstream list(argv[4]);
        std::string item;
        while (std::getline(list, item, ','))
            sizes.push_back(std::atoi(item.c_str()));
    }
    if (sizes.empty() || std::any_of(sizes.begin(), sizes.end(), [](int s) { return s < 4; })) {
        std::fprintf(stderr, "morvask-glyphgen: bad sizes \"%s\"\n", argv[4]);
        return 2;
    }

    // Every printable ASCII character, for texts put together at run time,
    // and every character of every string literal.
    std::set<uint32_t> codePoints;
    for (uint32_t c = 0x20; c < 0x7F; ++c)
        codePoints.insert(c);
    bool ok = false;
    std::string sourceList = ReadFile(argv[5], ok);
    if (!ok) {
        std::fprintf(stderr, "morvask-glyphgen: cannot read %s\n", argv[5]);
        return 1;
    }
    std::stringstream sources(sourceList);
    std::string sourcePath;
    while (std::getline(sources, sourcePath)) {
        if (sourcePath.empty())
            continue;
        std::string source = ReadFile(sourcePath, ok);
        if (!ok) {
            std::fprintf(stderr, "morvask-glyphgen: cannot read %s\n", sourcePath.c_str());
            return 1;
        }
        if (!AddUtf8(StringLiterals(source), codePoints)) {
            std::fprintf(stderr, "morvask-glyphgen: %s: a string literal is not UTF-8\n",
                         sourcePath.c_str());
            return 1;
        }
    }

    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "morvask-glyphgen: cannot start FreeType\n");
        return 1;
    }
    FT_Face face = OpenFace(library, fontPath, family);
    if (!face) {
        std::fprintf(stderr, "morvask-glyphgen: no face \"%s\" in %s\n", family.c_str(),
                     fontPath.c_str());
        return 1;
    }
    std::vector<uint32_t> missing;
    for (uint32_t code : codePoints)
        if (code != 0x20 && FT_Get_Char_Index(face, code) == 0)
            missing.push_back(code);
    if (!missing.empty()) {
        std::fprintf(stderr, "morvask-glyphgen: %s has no glyph for", fontPath.c_str());
        for (uint32_t code : missing)
            std::fprintf(stderr, " U+%04X", code);
        std::fprintf(stderr, ", which the program's texts use\n");
        return 1;
    }

    std::vector<uint8_t> bytes;
    std::string tables;
    std::string strikes;
    char line[256];
    for (size_t s = 0; s < sizes.size(); ++s) {
        if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(sizes[s])) != 0) {
            std::fprintf(stderr, "morvask-glyphgen: cannot set size %d\n", sizes[s]);
            return 1;
        }
        tables += "const AtlasGlyph Strike" + std::to_string(sizes[s]) + "[] = {\n";
        for (uint32_t code : codePoints) {
            FT_UInt index = FT_Get_Char_Index(face, code);
            // Light hinting keeps the strokes of ideographs on whole pixels
            // without changing the widths.
            if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_LIGHT | FT_LOAD_RENDER) != 0) {
                std::fprintf(stderr, "morvask-glyphgen: cannot render U+%04X\n", code);
                return 1;
            }
            FT_GlyphSlot slot = face->glyph;
            const FT_Bitmap& bitmap = slot->bitmap;
            auto offset = uint32_t(bytes.size());
            for (unsigned row = 0; row < bitmap.rows; ++row)
                for (unsigned column = 0; column < bitmap.width; ++column)
                    bytes.push_back(bitmap.buffer[int(row) * bitmap.pitch + int(column)]);
            std::snprintf(line, sizeof line, "    {0x%X, %d, %d, %u, %u, %ld, %u},\n", code,
                          slot->bitmap_left, -slot->bitmap_top, bitmap.width, bitmap.rows,
                          long(slot->advance.x), offset);
            tables += line;
        }
        tables += "};\n\n";
        const FT_Size_Metrics& metrics = face->size->metrics;
        std::snprintf(line, sizeof line, "    {%d, %ld, %ld, Strike%d, %zu},\n", sizes[s],
                      long((metrics.ascender + 63) / 64), long((-metrics.descender + 63) / 64),
                      sizes[s], codePoints.size());
        strikes += line;
    }

    std::FILE* out = std::fopen(outputPath.c_str(), "w");
    if (!out) {
        std::fprintf(stderr, "morvask-glyphgen: cannot write %s\n", outputPath.c_str());
        return 1;
    }
    std::fprintf(out,
                 "// Made by morvask-glyphgen from %s (%s): %zu characters at %zu sizes.\n"
                 "// Do not edit; the build makes it again when a source changes.\n"
                 "#include \"platform/shared/glyph_atlas.h\"\n\n"
                 "namespace glyphs {\n\n",
                 fontPath.c_str(), face->family_name ? face->family_name : "?", codePoints.size(),
                 sizes.size());
    WriteBytes(out, bytes);
    std::fputs(tables.c_str(), out);
    std::fprintf(out, "const AtlasStrike Strikes[] = {\n%s};\nconst int StrikeCount = %zu;\n\n",
                 strikes.c_str(), sizes.size());
    std::fputs("}  // namespace glyphs\n", out);
    bool written = std::fclose(out) == 0;
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!written) {
        std::fprintf(stderr, "morvask-glyphgen: cannot write %s\n", outputPath.c_str());
        return 1;
    }
    return 0;
}
