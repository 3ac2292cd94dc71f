// Whole-file reading and the replacing save on POSIX systems: the read in
// blocks under a size limit, and the save through an exclusive temporary file
// with the file and then its directory flushed to the disk.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <ctime>

namespace {

constexpr mode_t AnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
// A temporary file of a killed save older than this is no one's any more.
constexpr time_t StaleSeconds = 60;

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Twelve letters no other user can guess, so that nothing can be planted
// under the name before the save creates it.
std::string UnpredictableSuffix() {
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[12];
    if (::getentropy(bytes, sizeof bytes) != 0) {
        // Without the kernel's entropy the name is still unique, only
        // guessable; O_EXCL keeps a planted one from being followed.
        static uint64_t counter = 0;
        uint64_t mix = uint64_t(::getpid()) * 0x9E3779B97F4A7C15ull ^ uint64_t(std::time(nullptr)) ^
                       (++counter << 40);
        for (unsigned char& b : bytes) {
            b = static_cast<unsigned char>(mix);
            mix = mix * 6364136223846793005ull + 1442695040888963407ull;
        }
    }
    std::string suffix;
    for (unsigned char b : bytes)
        suffix += Letters[b % (sizeof Letters - 1)];
    return suffix;
}

// Creates a new file beside `target` that did not exist before, never through
// a link; its name goes to `name`.
int CreateExclusive(const std::string& target, std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".saving-" + UnpredictableSuffix();
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool Ours(const struct stat& status) {
    return status.st_uid == ::geteuid() && !S_ISDIR(status.st_mode);
}

// What killed saves left beside the target: the fixed name of older versions
// at once, our own temporary files once they are stale. Another user's file,
// or a fresh one of a save still running, is left alone.
void RemoveStaleTemporaries(const std::string& target) {
    struct stat status;
    const std::string legacy = target + ".saving";
    if (::lstat(legacy.c_str(), &status) == 0 && Ours(status))
        ::unlink(legacy.c_str());

    const std::string directory = DirectoryOf(target);
    const std::string prefix = NameOf(target) + ".saving-";
    DIR* listing = ::opendir(directory.c_str());
    if (!listing)
        return;
    const time_t now = std::time(nullptr);
    while (dirent* entry = ::readdir(listing)) {
        std::string name = entry->d_name;
        if (name.compare(0, prefix.size(), prefix) != 0 || name.size() != prefix.size() + 12)
            continue;
        std::string path = directory + "/" + name;
        if (::lstat(path.c_str(), &status) == 0 && Ours(status) &&
            now - status.st_mtime > StaleSeconds)
            ::unlink(path.c_str());
    }
    ::closedir(listing);
}

// Whether the save may replace the existing file at `target`: a regular file
// that has a write permission bit and that the effective user could open for
// writing. Write permission taken away is respected even by root.
bool MayReplace(const std::string& target) {
    struct stat status;
    if (::stat(target.c_str(), &status) != 0)
        return errno == ENOENT;
    if (!S_ISREG(status.st_mode) || (status.st_mode & AnyWrite) == 0)
        return false;
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
}

// False only when the folder's flush failed to write: some file systems
// cannot flush a directory at all (EINVAL), which says nothing of the file.
// On the web the flush after the rename is what stores the renamed file in
// the browser, so a refusal there is a failed save.
bool SyncDirectory(const std::string& directory) {
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    const bool written = ::fsync(fd) == 0 || errno != EIO;
    ::close(fd);
    return written;
}

}  // namespace

namespace platform {

bool ReadSmallFile(const char* path, size_t limit, std::string& text) {
    // Not blocking: a FIFO under the name must not hang the game.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
              uint64_t(status.st_size) <= uint64_t(limit);
    text.clear();
    // The size may be wrong (files of /proc say 0) or grow while reading:
    // the limit holds for what is read, too.
    char block[65536];
    while (ok) {
        ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = text.size() + size_t(n) <= limit;
        if (ok)
            text.append(block, size_t(n));
    }
    ::close(fd);
    return ok;
}

bool PathExists(const char* path) {
    struct stat status;
    return ::lstat(path, &status) == 0;
}

bool MoveToNewName(const char* from, const char* to) {
    // A hard link takes the new name only when it is free; where links are
    // not made (some file systems, the browser's), the name is looked at
    // first, and a rename follows at once.
    if (::link(from, to) == 0) {
        if (::unlink(from) == 0)
            return true;
        ::unlink(to);
        return false;
    }
    if (errno == EEXIST || PathExists(to))
        return false;
    return ::rename(from, to) == 0;
}

bool ReplaceFileWhole(const char* path, const std::string& text) {
    std::string target = path;
    struct stat status;
    if (::lstat(path, &status) == 0 && S_ISLNK(status.st_mode)) {
        if (char* resolved = ::realpath(path, nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    const std::string directory = DirectoryOf(target);
    if (::stat(directory.c_str(), &status) == 0 && (status.st_mode & AnyWrite) == 0)
        return false;
    if (!MayReplace(target))
        return false;
    const bool existed = ::stat(target.c_str(), &status) == 0;

    RemoveStaleTemporaries(target);
    std::string temporary;
    int fd = CreateExclusive(target, temporary);
    if (fd < 0)
        return false;
    bool ok = WriteAll(fd, text);
    if (ok && existed) {
        // The new file keeps the old one's permissions, and its owner where
        // the user may give it.
        ok = ::fchmod(fd, status.st_mode & 07777) == 0;
        if (ok && (status.st_uid != ::geteuid() || status.st_gid != ::getegid())) {
            int refused = ::fchown(fd, status.st_uid, status.st_gid);
            (void)refused;
        }
    } else if (ok) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        // The user always keeps reading and writing the map they saved, even
        // under a mask that says otherwise (Emscripten reports 0777).
        ok = ::fchmod(fd, (0666 & ~mask) | S_IRUSR | S_IWUSR) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    return SyncDirectory(directory);
}

}  // namespace platform
