// UTF-8, the game's texts and file names, to and from the UTF-16 of the wide
// Windows calls.
#include <string>

#include "platform/win32/backend.h"

namespace win32 {

std::wstring Widen(const char* utf8) {
    if (!utf8 || !*utf8)
        return std::wstring();
    int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(size_t(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
    wide.resize(size_t(length) - 1);
    return wide;
}

std::string Narrow(const wchar_t* utf16) {
    if (!utf16 || !*utf16)
        return std::string();
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, utf16, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string narrow(size_t(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16, -1, narrow.data(), length, nullptr, nullptr);
    narrow.resize(size_t(length) - 1);
    return narrow;
}

}  // namespace win32
