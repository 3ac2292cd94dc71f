// Origins compared as browsers send them: scheme and host in any case, the
// scheme's default port written or not.
#include "programs/lobby/web_origin.h"

#include <algorithm>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

// "host:port" without the port when it is the scheme's default.
std::string WithoutDefaultPort(const std::string& authority, const std::string& scheme) {
    const std::string port = scheme == "https" ? ":443" : ":80";
    if (authority.size() > port.size() &&
        authority.compare(authority.size() - port.size(), port.size(), port) == 0)
        return authority.substr(0, authority.size() - port.size());
    return authority;
}

bool Split(const std::string& origin, std::string& scheme, std::string& authority) {
    const size_t colon = origin.find("://");
    if (colon == std::string::npos)
        return false;
    scheme = Lower(origin.substr(0, colon));
    authority = Lower(origin.substr(colon + 3));
    if (scheme != "http" && scheme != "https")
        return false;
    const bool plain =
        !authority.empty() && authority.find_first_of("/?#@ \t") == std::string::npos;
    authority = WithoutDefaultPort(authority, scheme);
    return plain;
}

}  // namespace

bool WebOriginOfText(const std::string& text, std::string& origin) {
    std::string trimmed = text;
    if (!trimmed.empty() && trimmed.back() == '/')
        trimmed.pop_back();
    std::string scheme, authority;
    if (!Split(trimmed, scheme, authority))
        return false;
    origin = scheme + "://" + authority;
    return true;
}

bool WebOriginAllowed(const std::string& origin, const std::string& host,
                      const std::vector<std::string>& listed) {
    std::string scheme, authority;
    if (!Split(origin, scheme, authority))
        return false;
    if (!host.empty() && authority == WithoutDefaultPort(Lower(host), scheme))
        return true;
    return std::find(listed.begin(), listed.end(), scheme + "://" + authority) != listed.end();
}
