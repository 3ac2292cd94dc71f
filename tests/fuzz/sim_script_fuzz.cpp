// libFuzzer target of morvask-sim's script reader: any bytes as a script. The
// real program runs it (its main, built in here under another name) on its
// standard input, in this process: every run starts from a fresh game (the
// unit tests' reset of every module) and a fresh script state, and the
// program's early end comes back here instead of exiting. A script either
// runs (exit 0) or stops with "morvask-sim: line N: ..." for a line N that
// holds a command (exit 2): anything else (a crash, a sanitizer's report,
// another ending) is a finding.
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

#include "platform/headless/headless.h"
#include "platform/shared/surfaces.h"
#include "programs/sim/sim_run.h"
#include "render/draw.h"
#include "tests/unit/test_support.h"

// programs/sim/morvask_sim.cpp's main, compiled for this target under this
// name (see CMakeLists.txt).
int MorvaskSimMain(int argc, char** argv);

namespace {

namespace fs = std::filesystem;

// A script that asks for more ticks than this is skipped: it is fine, only
// slow (a tick draws the frame unless the script says otherwise).
constexpr int64_t TickBudget = 2000;

// The program's early end, carried back to the run's start.
struct RunEnded {
    int code;
};

std::string RunDirectory;
// The directory the fuzzer was started in, where its corpus and findings
// are named from: a run goes to RunDirectory and back.
int StartDirectory = -1;
// The surfaces made before the first script (the window's among them, which
// the headless window keeps); each run's own are given back after it, as
// every start loads the pictures again.
size_t SurfacesKept = 0;

// Whether the script is worth a run here: not too many ticks in all, and no
// frame command, which writes a picture wherever its line says.
bool WorthRunning(const std::string& script) {
    std::istringstream lines(script);
    int64_t ticks = 0;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string command, count;
        words >> command >> count;
        std::transform(command.begin(), command.end(), command.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (command == "frame")
            return false;
        if (command == "tick") {
            // Read as morvask-sim reads a count: up to 12 digits, leading
            // zeros included ("0050000500" is 50,000,500 ticks).
            const bool number = !count.empty() && count.size() <= 12 &&
                                std::all_of(count.begin(), count.end(), ::isdigit);
            ticks += number ? std::atoll(count.c_str()) : 1;
            if (ticks > TickBudget)
                return false;
        }
    }
    return true;
}

// Line `number` (from 1) of the script without its comment; false when the
// script has no such line.
bool ScriptLine(const std::string& script, unsigned long number, std::string& line) {
    std::istringstream lines(script);
    for (unsigned long k = 1; std::getline(lines, line); ++k)
        if (k == number) {
            line = line.substr(0, line.find('#'));
            return true;
        }
    return false;
}

// What a script that stops must say: "morvask-sim: line N: " and nothing
// more, with N a line of the script that holds a command.
bool StoppedAtACommand(const std::string& errors, const std::string& script) {
    const std::string start = "morvask-sim: line ";
    if (errors.compare(0, start.size(), start) != 0 || errors.back() != '\n' ||
        errors.find('\n') != errors.size() - 1)
        return false;
    char* end = nullptr;
    const unsigned long number = std::strtoul(errors.c_str() + start.size(), &end, 10);
    std::string line;
    if (end[0] != ':' || end[1] != ' ' || !ScriptLine(script, number, line))
        return false;
    return std::any_of(line.begin(), line.end(), [](unsigned char c) { return !std::isspace(c); });
}

[[noreturn]] void Finding(const char* what, const std::string& errors) {
    std::fprintf(stderr, "sim script: %s\n%s\n", what, errors.c_str());
    std::abort();
}

// Runs the program on `script` as its standard input, with what it writes to
// standard error caught in `errors`; its exit code.
int RunProgram(const std::string& script, std::string& errors) {
    // The run's directory (the working one) empty again: the map file is the
    // only file a script can make the game write.
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(RunDirectory, error))
        fs::remove_all(entry.path(), error);
    if (chdir(RunDirectory.c_str()) != 0)
        Finding("cannot go to the run's directory", RunDirectory);
    ResetEverything();
    ResetSimRun();
    // Drawing is most of a run's time and never changes what a script does
    // (see docs/morvask-sim.md); a script's own "draw on" still draws.
    DrawingEnabled = false;

    std::stringbuf input(script, std::ios::in);
    std::streambuf* keyboard = std::cin.rdbuf(&input);
    std::cin.clear();
    char* said = nullptr;
    size_t saidSize = 0;
    std::FILE* caught = open_memstream(&said, &saidSize);
    std::FILE* standardError = stderr;
    if (!caught)
        Finding("cannot catch standard error", "");
    stderr = caught;
    char name[] = "morvask-sim", dash[] = "-";
    char* argv[] = {name, dash, nullptr};
    int code = 0;
    try {
        code = MorvaskSimMain(2, argv);
    } catch (const RunEnded& ended) {
        code = ended.code;
    }
    stderr = standardError;
    std::fclose(caught);
    errors.assign(said, saidSize);
    std::free(said);
    std::cin.rdbuf(keyboard);
    if (SurfacesKept)
        shared::ForgetSurfacesAfter(SurfacesKept);
    if (fchdir(StartDirectory) != 0)
        Finding("cannot go back to the fuzzer's directory", "");
    return code;
}

}  // namespace

extern "C" int __real_madvise(void* address, size_t length, int advice);

// Every start of the game gives its window-sized pictures their pages at
// once, so that the first frame of play does not wait for them; a run here
// draws nothing unless its script asks, and those pages (a fifth of a run's
// time) are left to come when written.
extern "C" int __wrap_madvise(void* address, size_t length, int advice) {
#ifdef MADV_POPULATE_WRITE
    if (advice == MADV_POPULATE_WRITE)
        return 0;
#endif
    return __real_madvise(address, length, advice);
}

// The program's early end (a script error) unwinds to RunProgram.
void EndSimRun(int code) {
    throw RunEnded{code};
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/morvask-fuzz-script-XXXXXX";
    StartDirectory = open(".", O_RDONLY | O_DIRECTORY);
    if (StartDirectory < 0 || !mkdtemp(pattern)) {
        std::fprintf(stderr, "sim script: cannot set up\n");
        std::abort();
    }
    // The game's map file goes to a directory of its own, emptied for every
    // run; the program's output lines go nowhere.
    RunDirectory = pattern;
    if (!std::freopen("/dev/null", "w", stdout)) {
        std::fprintf(stderr, "sim script: cannot set up\n");
        std::abort();
    }
    std::atexit([] {
        std::error_code error;
        fs::remove_all(RunDirectory, error);
    });
    std::string said;
    if (RunProgram("start\ntick\n", said) != 0) {
        std::fprintf(stderr, "sim script: the game does not start\n%s", said.c_str());
        std::abort();
    }
    SurfacesKept = shared::SurfacesMade();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    if (!WorthRunning(script))
        return 0;
    std::string said;
    const int code = RunProgram(script, said);
    if (code == 0)
        return 0;
    if (code == 2 && StoppedAtACommand(said, script))
        return 0;
    Finding("the script neither ran nor stopped at a line with a command", said);
}
