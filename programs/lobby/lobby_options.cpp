// morvask-lobby's command line: every option takes one value, checked whole
// (no trailing text, within its range) before the lobby opens anything.
#include "programs/lobby/lobby_options.h"

#include "programs/lobby/web_origin.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* Usage =
    "Usage: morvask-lobby [OPTION]...\n"
    "The lobby of Morvask's online play: rooms by code, the peers' endpoints\n"
    "exchanged, and a relay between them when the direct path fails (UDP).\n"
    "\n"
    "Options:\n"
    "  --port N        the UDP port to listen on (default 41700; 0: any free one)\n"
    "  --bind ADDRESS  the address to listen on (default 0.0.0.0, every IPv4\n"
    "                  address; :: for IPv6)\n"
    "  --max-rooms N   the most rooms open at once (default 10000)\n"
    "  --web DIR       also serve the web edition's folder DIR over HTTP\n"
    "                  (dist/web: the compressed copy the browser accepts, a\n"
    "                  year's cache for files named after their contents)\n"
    "  --web-port N    the TCP port of --web (default 8000; 0: any free one)\n"
    "  --origin URL    with --web, let pages of the site URL (as\n"
    "                  https://play.example.org) join games over WebSocket at\n"
    "                  /lobby too; the lobby's own pages always may (repeatable)\n"
    "  --real-ip-from ADDRESS  with --web behind a reverse proxy at ADDRESS (as\n"
    "                  127.0.0.1), count each visitor by the address the proxy\n"
    "                  names in X-Real-IP, not the proxy's\n"
    "  --redis WHERE   share the directory of rooms with the other lobbies of the\n"
    "                  Redis at WHERE (HOST:PORT or unix:PATH): a program may join\n"
    "                  through any of them, and is sent on to the one that holds\n"
    "                  the room, which relays its game\n"
    "  --public ADDRESS:PORT  with --redis, where programs reach this lobby's UDP\n"
    "                  port (default: the address it listens on, which must then\n"
    "                  be one address, not 0.0.0.0 or ::)\n"
    "  --help          show this help and exit\n"
    "\n"
    "It prints \"morvask-lobby: listening on ADDRESS:PORT\" once ready (with --web\n"
    "also \"morvask-lobby: serving DIR on http://ADDRESS:PORT/\"), and its counts\n"
    "when stopped (SIGINT or SIGTERM).\n";

bool WholeNumber(const char* text, int lowest, int highest, int& value) {
    char* end = nullptr;
    const long read = std::strtol(text, &end, 10);
    if (!*text || *end || read < lowest || read > highest)
        return false;
    value = static_cast<int>(read);
    return true;
}

// `value` of `option` into `options`; false when out of range.
bool TakeValue(const std::string& option, const char* value, LobbyOptions& options) {
    if (option == "--origin") {
        std::string origin;
        if (!WebOriginOfText(value, origin))
            return false;
        options.origins.push_back(origin);
        return true;
    }
    if (option == "--real-ip-from")
        return host::NetNumericAddress(value, 1, options.realIpFrom);
    if (option == "--redis") {
        options.redis = value;
        return !options.redis.empty();
    }
    if (option == "--public") {
        std::string name;
        int32_t port = 0;
        return host::SplitHostPort(value, name, port) &&
               host::NetNumericAddress(name, port, options.publicAddress);
    }
    if (option == "--bind") {
        options.bind = value;
        return true;
    }
    if (option == "--web") {
        options.webRoot = value;
        return !options.webRoot.empty();
    }
    if (option == "--port" || option == "--web-port")
        return WholeNumber(value, 0, 65535, option == "--port" ? options.port : options.webPort);
    return WholeNumber(value, 1, 10000000, options.maxRooms);
}

}  // namespace

int ReadLobbyOptions(int argc, char** argv, LobbyOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        const bool valued = option == "--port" || option == "--bind" || option == "--max-rooms" ||
                            option == "--web" || option == "--web-port" || option == "--origin" ||
                            option == "--real-ip-from" || option == "--redis" ||
                            option == "--public";
        if (!valued || i + 1 >= argc) {
            std::fprintf(stderr, "morvask-lobby: %s %s\nTry 'morvask-lobby --help' for more.\n",
                         valued ? "a value is missing after" : "unknown option", option.c_str());
            return 2;
        }
        const char* value = argv[++i];
        const bool fits = TakeValue(option, value, options);
        if (!fits) {
            std::fprintf(stderr, "morvask-lobby: %s does not take \"%s\"\n", option.c_str(), value);
            return 2;
        }
    }
    if ((!options.origins.empty() || options.realIpFrom.family != 0) && options.webRoot.empty()) {
        std::fprintf(stderr,
                     "morvask-lobby: --origin and --real-ip-from are for --web: give --web DIR "
                     "too\n");
        return 2;
    }
    if (options.publicAddress.family != 0 && options.redis.empty()) {
        std::fprintf(stderr, "morvask-lobby: --public is for --redis: give --redis WHERE too\n");
        return 2;
    }
    return -1;
}
