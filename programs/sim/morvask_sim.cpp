// morvask-sim: runs the real game on the headless backend under a script,
// and writes what happens as one JSON object per line.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "formats/png_file.h"
#include "platform/headless/headless.h"
#include "platform/input/key_map.h"
#include "platform/shared/surfaces.h"
#include "programs/sim/sim_replay.h"
#include "programs/sim/state_json.h"
#include "render/draw.h"
#include "replay/recorder.h"
#include "shell/main_window.h"
#include "texts/texts.h"

namespace {

int CurrentLine = 0;
// About 11.5 days of game time; a longer run takes several lines.
constexpr int64_t MaxTicksPerLine = 100000000;

// Output that cannot be written ends the run at once: whoever reads it would
// miss lines without knowing.
[[noreturn]] void OutputFailed() {
    std::fprintf(stderr, "morvask-sim: cannot write the output\n");
    std::_Exit(1);
}

// With --record the run is written as a replay; the seed goes into it.
bool RecordRun = false;
uint32_t ScriptSeed = 1;

void Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (RecordRun)
        SendRecorded(message, wParam, lParam);
    else
        headless::Deliver(message, wParam, lParam);
}

[[noreturn]] void ScriptError(const std::string& what) {
    if (std::fflush(stdout) != 0)
        OutputFailed();
    std::fprintf(stderr, "morvask-sim: line %d: %s\n", CurrentLine, what.c_str());
    std::exit(2);
}

void WriteLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    if (std::ferror(stdout))
        OutputFailed();
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// A whole word of decimal digits (with a leading '-' when allowed) within the
// range given.
bool ParseInteger(const std::string& word, int64_t low, int64_t high, int64_t& value) {
    size_t start = word.size() > 1 && word[0] == '-' ? 1 : 0;
    if (start == word.size() || word.size() - start > 12)
        return false;
    for (size_t i = start; i < word.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(word[i])))
            return false;
    value = std::stoll(word);
    return value >= low && value <= high;
}

int KeyCode(const std::string& name) {
    std::string key = Lower(name);
    if (key == "up")
        return platform::VK_UP;
    if (key == "down")
        return platform::VK_DOWN;
    if (key == "left")
        return platform::VK_LEFT;
    if (key == "right")
        return platform::VK_RIGHT;
    if (key == "space")
        return platform::VK_SPACE;
    if (key == "lbutton")
        return platform::VK_LBUTTON;
    if (key == "rbutton")
        return platform::VK_RBUTTON;
    if (key == "ctrl")
        return platform::VK_CONTROL;
    if (key == "shift")
        return platform::VK_SHIFT;
    if (key == "escape")
        return platform::VK_ESCAPE;
    if (key == "delete")
        return platform::VK_DELETE;
    if (key.size() == 1 && key[0] >= 'a' && key[0] <= 'z')
        return std::toupper(key[0]);
    if (key.size() == 1 && key[0] >= '0' && key[0] <= '9')
        return key[0];
    int64_t number;
    if (key.size() >= 2 && key[0] == 'f' && ParseInteger(key.substr(1), 1, 12, number) &&
        key[1] != '-')
        return platform::VK_F1 + int(number) - 1;
    ScriptError("unknown key name '" + name + "'");
}

enum Answer { AnswerOk, AnswerYes, AnswerNo };

struct Answered {
    int lineOfAnswer;
    Answer answer;
};

std::deque<Answer> Answers;

const char* AnswerName(int id) {
    return id == platform::IDYES ? "yes" : id == platform::IDNO ? "no" : "ok";
}

int AnswerBox(const char*, const char*, uint32_t type) {
    bool yesNo = (type & 0xF) == platform::MB_YESNO;
    if (Answers.empty())
        return yesNo ? platform::IDNO : platform::IDOK;
    Answer answer = Answers.front();
    Answers.pop_front();
    if (yesNo && answer == AnswerOk)
        ScriptError("answer 'ok' does not fit a yes/no box");
    if (!yesNo && answer != AnswerOk)
        ScriptError(std::string("answer '") + (answer == AnswerYes ? "yes" : "no") +
                    "' does not fit an OK box");
    return answer == AnswerOk    ? platform::IDOK
           : answer == AnswerYes ? platform::IDYES
                                 : platform::IDNO;
}

void ReportBox(const char* text, const char* caption, uint32_t type, int answer) {
    bool yesNo = (type & 0xF) == platform::MB_YESNO;
    bool warning = (type & 0xF0) == platform::MB_ICONWARNING;
    WriteLine("{\"type\":\"box\",\"tick\":" + std::to_string(headless::TickCount()) +
              ",\"text\":" + JsonString(text) + ",\"caption\":" + JsonString(caption) +
              ",\"buttons\":\"" + (yesNo ? "yesno" : "ok") + "\",\"icon\":\"" +
              (warning ? "warning" : "none") + "\",\"answer\":\"" + AnswerName(answer) + "\"}");
    RecordBoxAnswer(answer);
}

void ReportSound(int id, bool interrupting, bool played) {
    WriteLine("{\"type\":\"sound\",\"tick\":" + std::to_string(headless::TickCount()) + ",\"id\":" +
              std::to_string(id) + ",\"mode\":\"" + (interrupting ? "interrupting" : "yielding") +
              "\",\"played\":" + (played ? "true" : "false") + "}");
}

void RequireNoArguments(const std::vector<std::string>& words) {
    if (words.size() > 1)
        ScriptError("'" + words[0] + "' takes no arguments");
}

void RequireArguments(const std::vector<std::string>& words, size_t low, size_t high) {
    if (words.size() - 1 < low)
        ScriptError("'" + words[0] + "' needs an argument");
    if (words.size() - 1 > high)
        ScriptError("too many arguments to '" + words[0] + "'");
}

// Runs one command; false when the script ends here (after close).
bool RunCommand(const std::vector<std::string>& words, bool& started) {
    const std::string command = Lower(words[0]);
    if (command == "seed") {
        RequireArguments(words, 1, 1);
        if (started)
            ScriptError("'seed' must come before 'start'");
        int64_t seed;
        if (!ParseInteger(words[1], 0, 4294967295LL, seed) || words[1][0] == '-')
            ScriptError("bad seed '" + words[1] + "'");
        headless::SetSeed(uint32_t(seed));
        ScriptSeed = uint32_t(seed);
        return true;
    }
    if (command == "answer") {
        RequireArguments(words, 1, SIZE_MAX);
        for (size_t i = 1; i < words.size(); ++i) {
            std::string a = Lower(words[i]);
            if (a == "ok")
                Answers.push_back(AnswerOk);
            else if (a == "yes")
                Answers.push_back(AnswerYes);
            else if (a == "no")
                Answers.push_back(AnswerNo);
            else
                ScriptError("bad answer '" + words[i] + "' (ok, yes or no)");
        }
        return true;
    }
    if (command == "start") {
        RequireNoArguments(words);
        if (started)
            ScriptError("a second 'start'");
        started = true;
        if (RecordRun)
            StartRecordedRun(ScriptSeed);
        StartUp(platform::SW_SHOWNORMAL);
        return true;
    }
    static const char* const Known[] = {"hold",     "release", "press",      "mouse",    "tick",
                                        "minimize", "restore", "deactivate", "activate", "draw",
                                        "dump",     "frame",   "close"};
    if (std::find(std::begin(Known), std::end(Known), command) == std::end(Known))
        ScriptError("unknown command '" + words[0] + "'");
    if (!started)
        ScriptError("'" + words[0] + "' before 'start'");

    if (command == "hold" || command == "release") {
        RequireArguments(words, 1, SIZE_MAX);
        bool down = command == "hold";
        if (!down && words.size() == 2 && Lower(words[1]) == "all") {
            headless::ReleaseAllKeys();
            return true;
        }
        std::vector<int> keys;
        for (size_t i = 1; i < words.size(); ++i)
            keys.push_back(KeyCode(words[i]));
        for (int key : keys)
            headless::SetKeyDown(key, down);
    } else if (command == "press") {
        RequireArguments(words, 1, 1);
        int messages[2];
        const int count = keymap::KeyDownMessages(KeyCode(words[1]), messages);
        for (int k = 0; k < count; ++k)
            Send(platform::WM_KEYDOWN, uintptr_t(messages[k]), 0);
    } else if (command == "mouse") {
        RequireArguments(words, 2, 2);
        int64_t x, y;
        if (!ParseInteger(words[1], -32768, 32767, x) || !ParseInteger(words[2], -32768, 32767, y))
            ScriptError("bad mouse position");
        intptr_t position = intptr_t(((uint32_t(y) & 0xFFFF) << 16) | (uint32_t(x) & 0xFFFF));
        Send(platform::WM_MOUSEMOVE, 0, position);
    } else if (command == "tick") {
        RequireArguments(words, 0, 1);
        int64_t count = 1;
        if (words.size() == 2 && !ParseInteger(words[1], 0, MaxTicksPerLine, count)) {
            const bool digitsOnly = std::all_of(words[1].begin(), words[1].end(),
                                                [](char c) { return c >= '0' && c <= '9'; });
            if (!digitsOnly)
                ScriptError("bad tick count '" + words[1] + "'");
            ScriptError("tick count " + words[1] + " is above the limit of " +
                        std::to_string(MaxTicksPerLine) + " per line");
        }
        for (int64_t i = 0; i < count; ++i)
            if (RecordRun)
                StepRecorded();
            else
                headless::StepTick();
    } else if (command == "minimize" || command == "restore") {
        RequireNoArguments(words);
        Send(platform::WM_SIZE,
             command == "minimize" ? platform::SIZE_MINIMIZED : platform::SIZE_RESTORED, 0);
    } else if (command == "deactivate" || command == "activate") {
        RequireNoArguments(words);
        Send(platform::WM_ACTIVATE,
             command == "activate" ? platform::WA_ACTIVE : platform::WA_INACTIVE, 0);
    } else if (command == "draw") {
        RequireArguments(words, 1, 1);
        std::string mode = Lower(words[1]);
        if (mode != "on" && mode != "off")
            ScriptError("'draw' takes on or off");
        DrawingEnabled = mode == "on";
    } else if (command == "dump") {
        RequireArguments(words, 0, 1);
        if (words.size() == 2 && Lower(words[1]) != "levels")
            ScriptError("'dump' takes nothing or 'levels'");
        WriteLine(words.size() == 2 ? LevelsLine(headless::TickCount())
                                    : StateLine(headless::TickCount()));
    } else if (command == "frame") {
        RequireArguments(words, 1, 1);
        const platform::SurfaceData* picture = headless::WindowPicture();
        if (!WritePng(words[1], picture->width, picture->height, picture->pixels.data(), false))
            ScriptError("cannot write '" + words[1] + "'");
    } else if (command == "close") {
        RequireNoArguments(words);
        Send(platform::WM_CLOSE, 0, 0);
        if (headless::QuitPosted())
            WriteLine("{\"type\":\"exit\",\"tick\":" + std::to_string(headless::TickCount()) +
                      ",\"code\":" + std::to_string(headless::QuitCode()) + "}");
        return false;
    }
    return true;
}

std::vector<std::string> Words(const std::string& line) {
    std::string text = line.substr(0, line.find('#'));
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

}  // namespace

int main(int argc, char** argv) {
    // `--lang en` first shows every box in English; the default is the game's own.
    if (argc >= 3 && std::string(argv[1]) == "--lang") {
        if (!LanguageFromName(argv[2], CurrentLanguage)) {
            std::fprintf(stderr, "morvask-sim: --lang takes zh or en, not %s\n", argv[2]);
            return 2;
        }
        argv += 2;
        argc -= 2;
    }
    if (argc >= 2 && std::string(argv[1]) == "--verify") {
        if (argc != 3) {
            std::fprintf(stderr, "usage: morvask-sim --verify REPLAY\n");
            return 2;
        }
        return VerifyReplay(argv[2]);
    }
    std::string recordPath;
    if (argc >= 2 && std::string(argv[1]) == "--record") {
        if (argc < 3 || argc > 4) {
            std::fprintf(stderr, "usage: morvask-sim --record REPLAY [SCRIPT]\n");
            return 2;
        }
        RecordRun = true;
        recordPath = argv[2];
        argv += 2;
        argc -= 2;
    }
    if (argc > 2) {
        std::fprintf(stderr,
                     "usage: morvask-sim [--lang zh|en] [--record REPLAY] [SCRIPT]\n"
                     "       morvask-sim --verify REPLAY\n");
        return 2;
    }
    std::ifstream file;
    std::istream* in = &std::cin;
    if (argc == 2 && std::string(argv[1]) != "-") {
        std::error_code error;
        if (std::filesystem::is_directory(argv[1], error)) {
            std::fprintf(stderr, "morvask-sim: %s is a directory, not a script\n", argv[1]);
            return 2;
        }
        file.open(argv[1]);
        if (!file) {
            std::fprintf(stderr, "morvask-sim: cannot read %s\n", argv[1]);
            return 2;
        }
        in = &file;
    }
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    headless::SetBoxAnswerer(AnswerBox);
    headless::SetBoxObserver(ReportBox);
    headless::SetSoundObserver(ReportSound);

    bool started = false;
    std::string line;
    while (std::getline(*in, line)) {
        ++CurrentLine;
        std::vector<std::string> words = Words(line);
        if (words.empty())
            continue;
        if (!RunCommand(words, started))
            break;
        // A program that plays through the pipe reads each answer at once.
        if (RecordRun)
            std::fflush(stdout);
    }
    if (in->bad()) {
        std::fprintf(stderr, "morvask-sim: cannot read the script\n");
        return 2;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        OutputFailed();
    if (RecordRun && !EndRecordedRun(recordPath))
        return 2;
    return 0;
}
