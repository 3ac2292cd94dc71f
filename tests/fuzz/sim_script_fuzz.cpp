// libFuzzer target of morvask-sim's script reader: any bytes as a script. The
// real program runs it (its main, built in here under another name) in a
// child process per input, so that each run starts from a fresh game and ends
// as it would for its users; the child hands its coverage back. A script
// either runs (exit 0) or stops with "morvask-sim: line N: ..." for a line N
// that holds a command (exit 2): anything else (a crash, a sanitizer's
// report, another ending) is a finding.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "render/draw.h"

// programs/sim/morvask_sim.cpp's main, compiled for this target under this
// name (see CMakeLists.txt).
int MorvaskSimMain(int argc, char** argv);

// The fuzzer's coverage counters of the whole program (this file itself has
// none: the compiler's own declarations of these names would clash).
extern "C" uint8_t __start___sancov_cntrs[];
extern "C" uint8_t __stop___sancov_cntrs[];
extern "C" [[noreturn]] void __real_exit(int status);

namespace {

namespace fs = std::filesystem;

// A script that asks for more ticks than this is skipped: it is fine, only
// slow (a tick draws the frame unless the script says otherwise).
constexpr int64_t TickBudget = 2000;
// A run that takes longer than this anyway is left, not reported.
constexpr unsigned Deadline = 20;

uint8_t* HandedBack = nullptr;
size_t CounterCount = 0;
bool InChild = false;
std::string RunDirectory;
std::string ScriptPath;

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
            const bool number = !count.empty() && count.size() < 10 &&
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

[[noreturn]] void RunInChild(int errorPipe) {
    InChild = true;
    dup2(errorPipe, 2);
    close(errorPipe);
    int nothing = open("/dev/null", O_WRONLY);
    dup2(nothing, 1);
    close(nothing);
    if (chdir(RunDirectory.c_str()) != 0)
        _exit(90);
    alarm(Deadline);
    // Drawing is most of a run's time and never changes what a script does
    // (see docs/morvask-sim.md); a script's own "draw on" still draws.
    DrawingEnabled = false;
    char name[] = "morvask-sim";
    std::string path = ScriptPath;
    char* argv[] = {name, path.data(), nullptr};
    std::exit(MorvaskSimMain(2, argv));
}

}  // namespace

// The program's ways out (return from main, its script error's exit) end the
// child here, with the coverage handed back; the fuzzer's own exits pass.
extern "C" [[noreturn]] void __wrap_exit(int status) {
    if (!InChild)
        __real_exit(status);
    std::fflush(stdout);
    std::fflush(stderr);
    std::memcpy(HandedBack, __start___sancov_cntrs, CounterCount);
    _exit(status);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    CounterCount = size_t(__stop___sancov_cntrs - __start___sancov_cntrs);
    void* shared =
        mmap(nullptr, CounterCount, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    char pattern[] = "/tmp/morvask-fuzz-script-XXXXXX";
    if (shared == MAP_FAILED || !mkdtemp(pattern)) {
        std::fprintf(stderr, "sim script: cannot set up\n");
        std::abort();
    }
    HandedBack = static_cast<uint8_t*>(shared);
    RunDirectory = pattern;
    ScriptPath = RunDirectory + "/script.sim";
    std::atexit([] {
        if (!InChild) {
            std::error_code error;
            fs::remove_all(RunDirectory, error);
        }
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    if (!WorthRunning(script))
        return 0;
    // A fresh directory each run: the map file is the game's only file.
    std::error_code error;
    fs::remove_all(RunDirectory, error);
    fs::create_directory(RunDirectory, error);
    std::FILE* file = std::fopen(ScriptPath.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        Finding("cannot write the script", "");

    int errors[2];
    if (pipe(errors) != 0)
        Finding("no pipe", "");
    std::memset(HandedBack, 0, CounterCount);
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child == 0) {
        close(errors[0]);
        RunInChild(errors[1]);
    }
    close(errors[1]);
    std::string said;
    char block[4096];
    for (ssize_t n; (n = read(errors[0], block, sizeof block)) != 0;) {
        if (n > 0 && said.size() < 65536)
            said.append(block, size_t(n));
        else if (n < 0 && errno != EINTR)
            break;
    }
    close(errors[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    for (size_t k = 0; k < CounterCount; ++k)
        __start___sancov_cntrs[k] = std::max(__start___sancov_cntrs[k], HandedBack[k]);

    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM)
        return 0;
    if (!WIFEXITED(status))
        Finding("the program died", said);
    if (WEXITSTATUS(status) == 0)
        return 0;
    if (WEXITSTATUS(status) == 2 && StoppedAtACommand(said, script))
        return 0;
    Finding("the script neither ran nor stopped at a line with a command", said);
}
