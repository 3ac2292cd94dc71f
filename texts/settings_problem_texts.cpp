// The wordings of the settings file's problems: each English form with its
// parts as {}, and the Chinese with those parts as {1}, {2}, ... in its order.
#include "texts/settings_problem_texts.h"

#include <vector>

namespace {

struct ProblemWording {
    const char* english;
    const char* chinese;
};

constexpr ProblemWording Wordings[] = {
    {"expected \"key = value\", not '{}'", "应为“键 = 值”，而不是“{1}”"},
    {"{} is set again (first on line {}); this line is ignored",
     "{1} 重复设置（首次在第{2}行），本行已忽略"},
    {"unknown key name '{}' for {}; it keeps {}", "{2} 的按键名“{1}”未知，仍用 {3}"},
    {"{} is kept for its own command; {} keeps {}", "{1} 留给它自己的命令，{2} 仍用 {3}"},
    {"{} is listed twice for {}; it keeps {}", "{1} 在 {2} 中列出两次，仍用 {3}"},
    {"{} is also {}'s key; {} keeps {}", "{1} 也是 {2} 的按键，{3} 仍用 {4}"},
    {"unknown setting '{}'", "未知的设置“{1}”"},
    {"lang must be zh or en, not '{}'", "lang 须为 zh 或 en，而不是“{1}”"},
    {"fullscreen must be yes or no, not '{}'", "fullscreen 须为 yes 或 no，而不是“{1}”"},
    {"scale must be auto or 1 to 8, not '{}'", "scale 须为 auto 或 1 到 8，而不是“{1}”"},
    {"scale_mode must be integer, fit, sharp or auto, not '{}'",
     "scale_mode 须为 integer、fit、sharp 或 auto，而不是“{1}”"},
    {"volume must be a whole number from 0 to 100, not '{}'",
     "volume 须为 0 到 100 的整数，而不是“{1}”"},
    {"intro must be full or short, not '{}'", "intro 须为 full 或 short，而不是“{1}”"},
    {"hud must be auto, side, title or off, not '{}'",
     "hud 须为 auto、side、title 或 off，而不是“{1}”"},
    {"players must be 1 or 2, not '{}'", "players 须为 1 或 2，而不是“{1}”"},
    {"sound must be ask, on or off, not '{}'", "sound 须为 ask、on 或 off，而不是“{1}”"},
    {"pad_deadzone must be a whole number from 0 to 90, not '{}'",
     "pad_deadzone 须为 0 到 90 的整数，而不是“{1}”"},
    {"share_url must be empty or an http:// or https:// address without spaces",
     "share_url 须为空，或不含空格的 http:// 或 https:// 地址"},
    {"share_author must be UTF-8 text of at most 64 bytes",
     "share_author 须为不超过 64 字节的 UTF-8 文字"},
    {"set_title must be UTF-8 text of at most 64 bytes",
     "set_title 须为不超过 64 字节的 UTF-8 文字"},
    {"could not be written; the defaults are used", "无法写入，使用默认设置"},
    {"could not be read; the defaults are used", "无法读取，使用默认设置"},
    {"{} has no value", "{1} 没有值"},
};

// The parts of `text` that stand for the {} of `form`, in order; false when
// the text is not of that form. A part runs to the first place where the
// form's next words follow, the last one to where the form's end begins.
bool Match(const std::string& form, const std::string& text, std::vector<std::string>& parts) {
    std::vector<std::string> words;
    size_t start = 0;
    for (size_t hole = form.find("{}"); hole != std::string::npos; hole = form.find("{}", start)) {
        words.push_back(form.substr(start, hole - start));
        start = hole + 2;
    }
    words.push_back(form.substr(start));
    if (words.size() == 1)
        return text == form;
    const std::string& last = words.back();
    if (text.rfind(words[0], 0) != 0 || text.size() < words[0].size() + last.size() ||
        text.compare(text.size() - last.size(), last.size(), last) != 0)
        return false;
    const size_t end = text.size() - last.size();
    size_t at = words[0].size();
    for (size_t k = 1; k + 1 < words.size(); ++k) {
        const size_t next = text.find(words[k], at);
        if (next == std::string::npos || next >= end)
            return false;
        parts.push_back(text.substr(at, next - at));
        at = next + words[k].size();
    }
    if (at > end)
        return false;
    parts.push_back(text.substr(at, end - at));
    return true;
}

std::string Filled(const std::string& form, const std::vector<std::string>& parts) {
    std::string text;
    for (size_t at = 0; at < form.size(); ++at) {
        const size_t close = form.find('}', at);
        if (form[at] == '{' && close == at + 2 && form[at + 1] >= '1' && form[at + 1] <= '9' &&
            size_t(form[at + 1] - '1') < parts.size()) {
            text += parts[size_t(form[at + 1] - '1')];
            at = close;
            continue;
        }
        text += form[at];
    }
    return text;
}

}  // namespace

std::string SettingsProblemIn(Language language, const std::string& english) {
    if (language == English)
        return english;
    for (const ProblemWording& wording : Wordings) {
        std::vector<std::string> parts;
        if (Match(wording.english, english, parts))
            return Filled(wording.chinese, parts);
    }
    return english;
}
