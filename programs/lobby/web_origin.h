// Whose pages may open the lobby's WebSocket: a browser names the page's
// origin, and only the lobby's own pages (the origin is the host asked) and
// those the lobby was told of (--origin) are let in.
#pragma once

#include <string>
#include <vector>

// An origin as --origin takes it ("https://play.example.org", a port maybe,
// a final slash allowed) in the form compared: lower case, without the
// scheme's default port. False when it is not such an origin.
bool WebOriginOfText(const std::string& text, std::string& origin);

// Whether a page of `origin` (the request's Origin header, present) may
// connect when it asked for `host` (its Host header): the origin's host and
// port are the Host's, or the origin is one of `listed` (in the form above).
bool WebOriginAllowed(const std::string& origin, const std::string& host,
                      const std::vector<std::string>& listed);
