// What the lobby answers a request for the web edition's files: the file in
// the folder (never outside it), the compressed copy the browser accepts,
// its type, how long it may be kept, and whether it is unchanged.
#pragma once

#include <cstdint>
#include <string>

struct WebAnswer {
    int status = 404;  // 200, 301, 304 or 404
    std::string file;  // what to send (a compressed copy, maybe), for 200
    uint64_t size = 0;
    std::string type;
    std::string coding;  // "br", "gzip" or empty
    std::string cacheControl;
    std::string etag;
    std::string location;  // for 301
    bool varies = false;   // compressed copies exist: the answer depends on the coding
};

// `root` is the folder as given; `target` the request's target as sent.
WebAnswer AnswerWebRequest(const std::string& root, const std::string& target,
                           const std::string& acceptEncoding, const std::string& ifNoneMatch);

// The content codings an Accept-Encoding header allows (those of a quality
// above 0), lower case, separated by commas.
std::string AcceptedCodings(const std::string& header);
