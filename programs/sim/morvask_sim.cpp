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
#include "formats/share_code.h"
#include "options/settings_file.h"
#include "platform/headless/headless.h"
#include "programs/sim/script_text.h"
#include "programs/sim/sim_menu.h"
#include "programs/sim/sim_peers.h"
#include "programs/sim/sim_replay.h"
#include "programs/sim/sim_run.h"
#include "programs/sim/sim_settings.h"
#include "programs/sim/sim_sync_test.h"
#include "programs/sim/state_json.h"
#include "render/draw.h"
#include "replay/recorder.h"
#include "shell/main_window.h"
#include "shell/open_levels.h"
#include "shell/records.h"
#include "state/program_state.h"
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
// --hud: where the status shows, kept in a recorded replay.
host::StatusPlace SimStatusPlace = host::StatusAuto;
// Whether the program's own notices are written (--notices).
bool WriteNotices = false;

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
    EndSimRun(2);
}

void WriteLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    if (std::ferror(stdout))
        OutputFailed();
}

// A key by its name in scripts (lower case).
struct NamedKey {
    const char* name;
    int virtualKey;
};
// The second player's keys, as the game polls them.
constexpr NamedKey SecondPlayerKeyNames[] = {
    {"p2up", platform::VK_P2_UP},
    {"p2down", platform::VK_P2_DOWN},
    {"p2left", platform::VK_P2_LEFT},
    {"p2right", platform::VK_P2_RIGHT},
    {"p2gunup", platform::VK_P2_GUN_UP},
    {"p2gundown", platform::VK_P2_GUN_DOWN},
    {"p2gunleft", platform::VK_P2_GUN_LEFT},
    {"p2gunright", platform::VK_P2_GUN_RIGHT},
    {"p2lock", platform::VK_P2_LOCK},
    {"p2fire", platform::VK_P2_FIRE},
};

// The keyboard's keys named by a word.
constexpr NamedKey NamedKeys[] = {
    {"up", platform::VK_UP},
    {"down", platform::VK_DOWN},
    {"left", platform::VK_LEFT},
    {"right", platform::VK_RIGHT},
    {"space", platform::VK_SPACE},
    {"lbutton", platform::VK_LBUTTON},
    {"rbutton", platform::VK_RBUTTON},
    {"ctrl", platform::VK_CONTROL},
    {"shift", platform::VK_SHIFT},
    {"escape", platform::VK_ESCAPE},
    {"delete", platform::VK_DELETE},
    {"enter", 0x0D},
    {"home", 0x24},
    {"end", 0x23},
    {"pagedown", 0x22},
    {"backspace", 0x08},
};

int KeyCode(const std::string& name) {
    std::string key = Lower(name);
    for (const NamedKey& named : NamedKeys)
        if (key == named.name)
            return named.virtualKey;
    for (const NamedKey& named : SecondPlayerKeyNames)
        if (key == named.name)
            return named.virtualKey;
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

void ReportNotice(const char* text, const char* caption) {
    WriteLine("{\"type\":\"notice\",\"tick\":" + std::to_string(headless::TickCount()) +
              ",\"text\":" + JsonString(text) + ",\"caption\":" + JsonString(caption) + "}");
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

bool Started = false;

bool SeedCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 1, 1);
    if (Started)
        ScriptError("'seed' must come before 'start'");
    int64_t seed;
    if (!ParseInteger(words[1], 0, 4294967295LL, seed) || words[1][0] == '-')
        ScriptError("bad seed '" + words[1] + "'");
    headless::SetSeed(uint32_t(seed));
    ScriptSeed = uint32_t(seed);
    return true;
}

bool AnswerCommand(const std::vector<std::string>& words) {
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

bool StartCommand(const std::vector<std::string>& words) {
    RequireNoArguments(words);
    if (Started)
        ScriptError("a second 'start'");
    Started = true;
    if (RecordRun)
        StartRecordedRun(ScriptSeed, uint8_t(SimStatusPlace));
    StartUp(platform::SW_SHOWNORMAL);
    return true;
}

// hold and release: keys held down or let go (release all lets go of every
// one).
bool HoldCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 1, SIZE_MAX);
    bool down = Lower(words[0]) == "hold";
    if (!down && words.size() == 2 && Lower(words[1]) == "all") {
        headless::ReleaseAllKeys();
        return true;
    }
    std::vector<int> keys;
    for (size_t i = 1; i < words.size(); ++i)
        keys.push_back(KeyCode(words[i]));
    for (int key : keys)
        headless::SetKeyDown(key, down);
    return true;
}

bool PressCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 1, 1);
    if (PeersMode() && !PeersPress(KeyCode(words[1])))
        ScriptError("only P is pressed in a session of two peers");
    if (PeersMode())
        return true;
    int messages[2];
    const int count = headless::KeyDownMessages(KeyCode(words[1]), messages);
    for (int k = 0; k < count; ++k)
        Send(platform::WM_KEYDOWN, uintptr_t(messages[k]), 0);
    return true;
}

bool MouseCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 2, 2);
    int64_t x, y;
    if (!ParseInteger(words[1], -32768, 32767, x) || !ParseInteger(words[2], -32768, 32767, y))
        ScriptError("bad mouse position");
    Send(platform::WM_MOUSEMOVE, 0, platform::PointParam(int(x), int(y)));
    return true;
}

bool TickCommand(const std::vector<std::string>& words) {
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
        if (PeersMode())
            PeersCaptureTick();
        else if (SyncTesting())
            SyncTestStep();
        else if (RecordRun)
            StepRecorded();
        else
            headless::StepTick();
    return true;
}

// minimize and restore.
bool SizeCommand(const std::vector<std::string>& words) {
    RequireNoArguments(words);
    Send(platform::WM_SIZE,
         Lower(words[0]) == "minimize" ? platform::SIZE_MINIMIZED : platform::SIZE_RESTORED, 0);
    return true;
}

// deactivate and activate.
bool ActivateCommand(const std::vector<std::string>& words) {
    RequireNoArguments(words);
    Send(platform::WM_ACTIVATE,
         Lower(words[0]) == "activate" ? platform::WA_ACTIVE : platform::WA_INACTIVE, 0);
    return true;
}

bool DrawCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 1, 1);
    std::string mode = Lower(words[1]);
    if (mode != "on" && mode != "off")
        ScriptError("'draw' takes on or off");
    DrawingEnabled = mode == "on";
    return true;
}

bool DumpCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 0, 1);
    if (words.size() == 2 && Lower(words[1]) != "levels")
        ScriptError("'dump' takes nothing or 'levels'");
    WriteLine(words.size() == 2 ? LevelsLine(headless::TickCount())
                                : StateLine(headless::TickCount()));
    return true;
}

// status: what the status display shows now, with the title's compact form
// in the boxes' language.
bool StatusCommand(const std::vector<std::string>& words) {
    RequireNoArguments(words);
    WriteLine(StatusLine(headless::TickCount()));
    return true;
}

bool FrameCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 1, 1);
    const platform::SurfaceData* picture = headless::WindowPicture();
    if (!WritePng(words[1], picture->width, picture->height, picture->pixels.data(), false))
        ScriptError("cannot write '" + words[1] + "'");
    return true;
}

// load CODE: a level set's share code (or link) taken in as a successful load
// of the map file is. A replay holds no such load, so a recorded run has none.
bool LoadCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 1, 1);
    if (RecordRun)
        ScriptError("'load' cannot be recorded in a replay");
    SharedContent content;
    std::string error;
    if (ReadShareCode(words[1], 1u << ShareSetKind, content, error) != ShareRead)
        ScriptError("'load': " + error);
    if (!OpenLevelSet(content.cells, content.title, content.author))
        ScriptError("'load' needs the game or the editor");
    return true;
}

// clipboard: writes what the run's clipboard holds; clipboard TEXT puts TEXT
// there (a word: a bare code, not a link).
bool ClipboardCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 0, 1);
    if (words.size() == 2)
        headless::SetClipboard(words[1]);
    else
        WriteLine("{\"type\":\"clipboard\",\"tick\":" + std::to_string(headless::TickCount()) +
                  ",\"text\":" + JsonString(headless::Clipboard().c_str()) + "}");
    return true;
}

// drop TEXT: the text dropped on the window, as a code, link or file would be.
bool DropCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 1, 1);
    headless::SetDroppedText(words[1]);
    Send(platform::WM_KEYDOWN, platform::VK_DROP, 0);
    return true;
}

bool MenuCommand(const std::vector<std::string>& words) {
    RunMenuCommand(words, {Send, ScriptError, KeyCode, WriteLine});
    WriteLine(MenuLine(headless::TickCount()));
    return true;
}

// players, sound: the settings read before the window opens.
bool SettingCommand(const std::vector<std::string>& words) {
    RequireArguments(words, 1, 1);
    std::string error;
    if (!RunSettingCommand(words, Started, error))
        ScriptError(error);
    return true;
}

// The script ends here.
bool CloseCommand(const std::vector<std::string>& words) {
    RequireNoArguments(words);
    Send(platform::WM_CLOSE, 0, 0);
    if (headless::QuitPosted())
        WriteLine("{\"type\":\"exit\",\"tick\":" + std::to_string(headless::TickCount()) +
                  ",\"code\":" + std::to_string(headless::QuitCode()) + "}");
    return false;
}

// The script's commands: the name, whether the game must have started, and
// what it does; false when the script ends with it.
struct Command {
    const char* name;
    bool needsStart;
    bool (*run)(const std::vector<std::string>& words);
};

constexpr Command Commands[] = {
    {"seed", false, SeedCommand},          {"answer", false, AnswerCommand},
    {"start", false, StartCommand},        {"hold", true, HoldCommand},
    {"release", true, HoldCommand},        {"press", true, PressCommand},
    {"mouse", true, MouseCommand},         {"tick", true, TickCommand},
    {"minimize", true, SizeCommand},       {"restore", true, SizeCommand},
    {"deactivate", true, ActivateCommand}, {"activate", true, ActivateCommand},
    {"draw", true, DrawCommand},           {"dump", true, DumpCommand},
    {"frame", true, FrameCommand},         {"close", true, CloseCommand},
    {"load", true, LoadCommand},           {"clipboard", false, ClipboardCommand},
    {"drop", true, DropCommand},           {"status", true, StatusCommand},
    {"players", false, SettingCommand},    {"menu", true, MenuCommand},
    {"sound", false, SettingCommand},
};

// Runs one command; false when the script ends here (after close).
bool RunCommand(const std::vector<std::string>& words) {
    const std::string name = Lower(words[0]);
    if (SyncTesting())
        SyncTestCommand(name);
    if (PeersMode() && !PeersCommandAllowed(name))
        ScriptError("'" + words[0] + "' is not played between two peers");
    for (const Command& command : Commands) {
        if (name != command.name)
            continue;
        if (command.needsStart && !Started)
            ScriptError("'" + words[0] + "' before 'start'");
        return command.run(words);
    }
    ScriptError("unknown command '" + words[0] + "'");
}

// Runs the script's lines in order, to its end or its close; false when it
// could not be read to the end.
bool RunScript(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
        ++CurrentLine;
        std::vector<std::string> words = Words(line);
        if (words.empty())
            continue;
        if (!RunCommand(words))
            break;
        // A program that plays through the pipe reads each answer at once.
        if (RecordRun)
            std::fflush(stdout);
    }
    if (in.bad()) {
        std::fprintf(stderr, "morvask-sim: cannot read the script\n");
        return false;
    }
    return true;
}

// The options that come before --record or --verify, in their order; false,
// with the reason on standard error, for a value they do not take.
bool TakeLeadingOptions(int& argc, char**& argv) {
    // `--notices` writes the program's own notices (problems found at start-up,
    // a map file refused, the help's second page) as `notice` lines.
    if (argc >= 2 && std::string(argv[1]) == "--notices") {
        WriteNotices = true;
        argv += 1;
        argc -= 1;
    }
    // `--lang en` first shows every box in English; the default is the game's own.
    if (argc >= 3 && std::string(argv[1]) == "--lang") {
        if (!LanguageFromName(argv[2], CurrentLanguage)) {
            std::fprintf(stderr, "morvask-sim: --lang takes zh or en, not %s\n", argv[2]);
            return false;
        }
        argv += 2;
        argc -= 2;
    }
    // `--records FILE` keeps the player's records in FILE, as the desktop
    // program keeps them beside its settings; without it none are kept.
    if (argc >= 3 && std::string(argv[1]) == "--records") {
        KeepRecordsIn(argv[2]);
        argv += 2;
        argc -= 2;
    }
    // `--intro short` starts as the setting intro = short does with the sound
    // on: no about and help boxes, no sound question.
    if (argc >= 3 && std::string(argv[1]) == "--intro") {
        if (std::string(argv[2]) != "short" && std::string(argv[2]) != "full") {
            std::fprintf(stderr, "morvask-sim: --intro takes full or short, not %s\n", argv[2]);
            return false;
        }
        Intro = {.shortIntro = std::string(argv[2]) == "short", .sound = true};
        argv += 2;
        argc -= 2;
    }
    // `--hud MODE` is kept in a recorded replay as the desktop keeps its
    // setting; the sim shows no status but what `status` writes.
    if (argc >= 3 && std::string(argv[1]) == "--hud") {
        if (!StatusPlaceOfName(argv[2], SimStatusPlace)) {
            std::fprintf(stderr, "morvask-sim: --hud takes auto, side, title or off, not %s\n",
                         argv[2]);
            return false;
        }
        argv += 2;
        argc -= 2;
    }
    return true;
}

}  // namespace

void ResetSimRun() {
    CurrentLine = 0;
    RecordRun = false;
    ScriptSeed = 1;
    SimStatusPlace = host::StatusAuto;
    WriteNotices = false;
    Answers.clear();
    Started = false;
}

int main(int argc, char** argv) {
    if (!TakeSyncTestOption(argc, argv) || !TakePeersOption(argc, argv) ||
        !TakeLeadingOptions(argc, argv))
        return 2;
    if (argc >= 2 && std::string(argv[1]) == "--verify") {
        if (argc != 3) {
            std::fprintf(stderr, "usage: morvask-sim --verify REPLAY|CODE|LINK\n");
            return 2;
        }
        return VerifyReplay(argv[2]);
    }
    std::string recordPath;
    if (argc >= 2 && std::string(argv[1]) == "--record") {
        if (argc < 3 || SyncTesting()) {
            std::fprintf(stderr,
                         "usage: morvask-sim --record REPLAY [--share-run FILE] [SCRIPT]\n");
            return 2;
        }
        RecordRun = true;
        recordPath = argv[2];
        argv += 2;
        argc -= 2;
    }
    const std::string codePath = RecordRun ? TakeShareRunOption(argc, argv) : "";
    if (argc > 2) {
        std::fprintf(stderr,
                     "usage: morvask-sim [--sync-test N | --peers PROFILE[:SEED[:DELAY]]] "
                     "[--notices] [--lang zh|en] [--records FILE] [--intro full|short] "
                     "[--hud auto|side|title|off] [--record REPLAY [--share-run FILE]] "
                     "[SCRIPT]\n"
                     "       morvask-sim --verify REPLAY|CODE|LINK\n");
        return 2;
    }
    std::ifstream file;
    std::istream* in = OpenScript(argc == 2 ? argv[1] : "-", file);
    if (!in)
        return 2;
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);

    headless::SetBoxAnswerer(AnswerBox);
    headless::SetBoxObserver(ReportBox);
    headless::SetSoundObserver(ReportSound);
    if (SyncTesting())
        InstallSyncTestHooks(AnswerBox, ReportBox);
    headless::SetNoticeObserver(WriteNotices ? ReportNotice : headless::NoticeObserver());
    if (RecordRun)
        headless::SetTextObserver(RecordTextRead);
    if (!RunScript(*in))
        return 2;
    const int peersCode = PeersMode() && Started ? RunPeers(RecordRun) : 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        OutputFailed();
    if (!codePath.empty() && !WriteRunCode(codePath))
        return 2;
    if (RecordRun && !EndRecordedRun(recordPath))
        return 2;
    if (peersCode != 0)
        return peersCode;
    if (SyncTesting())
        EndSyncTest();
    return 0;
}
