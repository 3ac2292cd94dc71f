// Whole-file reading and the replacing save over the Win32 file calls: the
// read in blocks under a size limit, and the save through a new temporary
// file, flushed, then moved over the old one with the move written through.
#define _CRT_RAND_S
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "platform/win32/backend.h"

namespace {

// A temporary file of a killed save older than this is no one's any more.
constexpr uint64_t StaleTicks100ns = 60ull * 10000000ull;

std::wstring UnpredictableSuffix() {
    static const wchar_t Letters[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
    std::wstring suffix;
    for (int i = 0; i < 12; ++i) {
        unsigned int value = 0;
        if (rand_s(&value) != 0)
            value = unsigned(::GetTickCount()) * 2654435761u + unsigned(i) * 40503u +
                    unsigned(::GetCurrentProcessId());
        suffix += Letters[value % (sizeof Letters / sizeof Letters[0] - 1)];
    }
    return suffix;
}

uint64_t AsTicks(FILETIME time) {
    return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// What killed saves left beside the target: the fixed name of older versions
// at once, the temporary files of this version once they are stale.
void RemoveStaleTemporaries(const std::wstring& target) {
    const std::wstring legacy = target + L".saving";
    DWORD attributes = ::GetFileAttributesW(legacy.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        ::DeleteFileW(legacy.c_str());

    size_t slash = target.find_last_of(L"\\/");
    const std::wstring directory =
        slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((target + L".saving-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            AsTicks(now) - AsTicks(found.ftLastWriteTime) > StaleTicks100ns)
            ::DeleteFileW((directory + found.cFileName).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

bool WriteAll(HANDLE file, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        DWORD chunk = DWORD(std::min<size_t>(text.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, text.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

namespace platform {

bool ReadSmallFile(const char* path, size_t limit, std::string& text) {
    HANDLE file =
        ::CreateFileW(win32::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileSizeEx(file, &size) &&
              uint64_t(size.QuadPart) <= uint64_t(limit);
    text.clear();
    char block[65536];
    while (ok) {
        DWORD got = 0;
        if (!::ReadFile(file, block, sizeof block, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0)
            break;
        ok = text.size() + got <= limit;
        if (ok)
            text.append(block, got);
    }
    ::CloseHandle(file);
    return ok;
}

bool PathExists(const char* path) {
    return ::GetFileAttributesW(win32::Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MoveToNewName(const char* from, const char* to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when `to` is taken.
    return ::MoveFileExW(win32::Widen(from).c_str(), win32::Widen(to).c_str(), 0) != 0;
}

bool ReplaceFileWhole(const char* path, const std::string& text) {
    const std::wstring target = win32::Widen(path);
    if (target.empty())
        return false;
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return false;

    RemoveStaleTemporaries(target);
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    // CREATE_NEW fails on any existing name, a planted link included.
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = target + L".saving-" + UnpredictableSuffix();
        file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool ok = WriteAll(file, text);
    ok = ok && ::FlushFileBuffers(file);
    ok = ::CloseHandle(file) && ok;
    ok = ok && ::MoveFileExW(temporary.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok)
        ::DeleteFileW(temporary.c_str());
    return ok;
}

}  // namespace platform
