// The file mode mask of every web build. Emscripten starts a program with a
// mask that takes every permission away, so a map.txt the game creates could
// not be read back (not even by the game); a user's usual mask instead, set
// before main so that every program built for the browser has it.
#include <sys/stat.h>

namespace {

const bool UsualMaskSet = [] {
    umask(022);
    return true;
}();

}  // namespace
