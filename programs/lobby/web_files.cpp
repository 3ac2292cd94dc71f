// The web edition's files as a game portal serves them: the Brotli or gzip
// copy the browser accepts, the right types, a year's cache for the files
// named after their contents and a fresh check of the page, its manifest
// and its service worker on every visit; nothing outside the folder.
#include "programs/lobby/web_files.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct KindOfFile {
    const char* suffix;
    const char* type;
};
constexpr KindOfFile Types[] = {
    {".html", "text/html; charset=utf-8"},
    {".js", "text/javascript; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".json", "application/json"},
    {".map", "application/json"},
    {".webmanifest", "application/manifest+json"},
    {".wasm", "application/wasm"},
    {".webp", "image/webp"},
    {".png", "image/png"},
    {".mp3", "audio/mpeg"},
    {".wav", "audio/wav"},
    {".txt", "text/plain; charset=utf-8"},
};
// The build's copies beside a file, best first.
constexpr const char* Codings[][2] = {{"br", ".br"}, {"gzip", ".gz"}};

std::string TypeOf(const std::string& path) {
    const std::string suffix = fs::path(path).extension().string();
    for (const KindOfFile& kind : Types)
        if (suffix == kind.suffix)
            return kind.type;
    return "application/octet-stream";
}

// Named by ship_web.py after its contents: NAME.DIGEST.KIND (and its map),
// DIGEST ten lower-case hex digits, KIND lower-case letters and digits.
bool NamedByContents(const std::string& path) {
    std::string name = fs::path(path).filename().string();
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".map") == 0)
        name.resize(name.size() - 4);
    const size_t kind = name.rfind('.');
    if (kind == std::string::npos || kind + 1 == name.size() || kind < 11 || name[kind - 11] != '.')
        return false;
    for (size_t i = kind + 1; i < name.size(); ++i)
        if (!std::islower(static_cast<unsigned char>(name[i])) &&
            !std::isdigit(static_cast<unsigned char>(name[i])))
            return false;
    for (size_t i = kind - 10; i < kind; ++i)
        if (!std::isdigit(static_cast<unsigned char>(name[i])) && (name[i] < 'a' || name[i] > 'f'))
            return false;
    return true;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The path part of the target, %XX decoded; false when it is not one.
bool DecodedPath(const std::string& target, std::string& path, std::string& query) {
    const size_t mark = target.find('?');
    const std::string raw = target.substr(0, mark);
    query = mark == std::string::npos ? "" : target.substr(mark);
    path.clear();
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '%') {
            path += raw[i];
            continue;
        }
        if (i + 2 >= raw.size() || HexValue(raw[i + 1]) < 0 || HexValue(raw[i + 2]) < 0)
            return false;
        path += char(HexValue(raw[i + 1]) * 16 + HexValue(raw[i + 2]));
        i += 2;
    }
    return !path.empty() && path[0] == '/';
}

// No step out of the folder, however written: no "." or ".." part, no
// backslash, no NUL, no empty part but the last.
bool PlainPath(const std::string& path) {
    if (path.find('\0') != std::string::npos || path.find('\\') != std::string::npos)
        return false;
    size_t start = 1;
    while (start <= path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part == "." || part == ".." || (part.empty() && end != path.size()))
            return false;
        start = end + 1;
    }
    return true;
}

bool Inside(const fs::path& root, const fs::path& file) {
    std::error_code error;
    const fs::path real = fs::canonical(file, error);
    if (error)
        return false;
    const std::string base = root.string(), found = real.string();
    return found.size() > base.size() && found.compare(0, base.size(), base) == 0 &&
           found[base.size()] == '/';
}

bool StatOf(const std::string& path, struct stat& info) {
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

int64_t NanosecondsOf(const struct stat& info) {
    return int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

// The copy to send: a compressed one the browser accepts and that is not
// older than the file (a file edited by hand after the build goes as it is).
void ChooseCoding(WebAnswer& answer, const std::string& file, const struct stat& plain,
                  const std::string& accepted) {
    answer.file = file;
    for (const auto& coding : Codings) {
        struct stat copy;
        const std::string copyPath = file + coding[1];
        if (!StatOf(copyPath, copy))
            continue;
        answer.varies = true;
        if (answer.coding.empty() &&
            ("," + accepted + ",").find(std::string(",") + coding[0] + ",") != std::string::npos &&
            NanosecondsOf(copy) >= NanosecondsOf(plain)) {
            answer.coding = coding[0];
            answer.file = copyPath;
        }
    }
}

}  // namespace

std::string AcceptedCodings(const std::string& header) {
    std::string accepted;
    size_t start = 0;
    while (start <= header.size()) {
        const size_t end = std::min(header.find(',', start), header.size());
        std::string part = header.substr(start, end - start);
        start = end + 1;
        const size_t semicolon = part.find(';');
        std::string name = part.substr(0, semicolon);
        name.erase(0, name.find_first_not_of(" \t"));
        name.erase(name.find_last_not_of(" \t") + 1);
        double quality = 1.0;
        if (semicolon != std::string::npos) {
            const size_t q = part.find("q=", semicolon);
            quality = q == std::string::npos ? 1.0 : std::strtod(part.c_str() + q + 2, nullptr);
        }
        for (char& c : name)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (!name.empty() && quality > 0)
            accepted += (accepted.empty() ? "" : ",") + name;
    }
    return accepted;
}

WebAnswer AnswerWebRequest(const std::string& root, const std::string& target,
                           const std::string& acceptEncoding, const std::string& ifNoneMatch) {
    WebAnswer answer;
    std::string path, query;
    std::error_code error;
    const fs::path base = fs::canonical(root, error);
    if (error || !DecodedPath(target, path, query) || !PlainPath(path))
        return answer;
    fs::path file = base / path.substr(1);
    if (fs::is_directory(file, error)) {
        if (path.back() != '/') {
            // The page's own relative names need the folder's slash.
            answer.status = 301;
            answer.location = path + "/" + query;
            return answer;
        }
        file /= "index.html";
    }
    struct stat plain;
    if (!Inside(base, file) || !StatOf(file.string(), plain))
        return answer;
    ChooseCoding(answer, file.string(), plain, AcceptedCodings(acceptEncoding));
    struct stat sent;
    if (!StatOf(answer.file, sent))
        return answer;
    char tag[96];
    std::snprintf(tag, sizeof tag, "\"%llx-%llx-%s\"", (unsigned long long)NanosecondsOf(sent),
                  (unsigned long long)sent.st_size,
                  answer.coding.empty() ? "identity" : answer.coding.c_str());
    answer.etag = tag;
    answer.size = uint64_t(sent.st_size);
    answer.type = TypeOf(file.string());
    answer.cacheControl =
        NamedByContents(file.string()) ? "public, max-age=31536000, immutable" : "no-cache";
    answer.status = ifNoneMatch.find(answer.etag) != std::string::npos ? 304 : 200;
    return answer;
}
