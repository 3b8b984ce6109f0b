// Loaded with LD_PRELOAD into the real game: watches the steps of a save as the C library is
// asked for them, and makes one of them fail as a failing or full disk would.
//
// The save's steps are the calls on a file whose name ends in ".tmp" (its open, its writes, its
// sync and its close), a rename from such a name, and the open and the sync of a folder. Each
// is appended, as one line, to the file named by VAULTREACH_SAVE_TRACE when that is set:
//   open NAME | write NAME | fsync NAME | close NAME | rename FROM TO | open folder | fsync folder
// (a run of writes is one line). VAULTREACH_SAVE_FAIL names the step that fails, once:
//   open      the temporary file cannot be made (EACCES)
//   write     the first write stores half its bytes, the next one fails (ENOSPC)
//   fsync     the temporary file's sync fails (EIO)
//   close     its close reports a late write error (EIO), as on a network disk
//   rename    the rename fails (EIO)
//   folder    the folder cannot be opened to be synced (EACCES)
//   folder-sync          the folder's sync fails (EIO)
//   folder-sync-einval   the file system cannot sync folders at all (EINVAL)
// Everything else goes to the C library untouched.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int gTemporary = -1;  // the open temporary file's descriptor
std::string gTemporaryName;
std::string gLastStep;
bool gFailed = false;

template <typename tFunction>
tFunction Next(const char* name) {
    return reinterpret_cast<tFunction>(dlsym(RTLD_NEXT, name));
}

bool IsTemporary(const char* path) {
    const std::size_t length = path == nullptr ? 0 : std::strlen(path);
    return length > 4 && std::strcmp(path + length - 4, ".tmp") == 0;
}

bool IsFolder(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

void Record(const std::string& step) {
    const char* trace = std::getenv("VAULTREACH_SAVE_TRACE");
    if (trace == nullptr || step == gLastStep) {
        return;
    }
    gLastStep = step;
    static const auto open = Next<int (*)(const char*, int, ...)>("open");
    static const auto write = Next<ssize_t (*)(int, const void*, size_t)>("write");
    static const auto close = Next<int (*)(int)>("close");
    const int fd = open(trace, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
        const std::string line = step + "\n";
        if (write(fd, line.data(), line.size()) < 0) {
            // Nothing to do: the test reads a trace that lacks the step and says so.
        }
        close(fd);
    }
}

// True (once) when `step` is the one to fail; errno is then set to `error`.
bool Fails(const char* step, int error) {
    const char* chosen = std::getenv("VAULTREACH_SAVE_FAIL");
    if (gFailed || chosen == nullptr || std::strcmp(chosen, step) != 0) {
        return false;
    }
    gFailed = true;
    errno = error;
    return true;
}

int Opened(const char* path, int flags, int fd) {
    if (fd >= 0 && IsTemporary(path)) {
        gTemporary = fd;
        gTemporaryName = path;
        Record("open " + gTemporaryName);
    } else if (fd >= 0 && (flags & O_DIRECTORY) != 0 && gTemporary == -1 &&
               !gTemporaryName.empty()) {
        Record("open folder");
    }
    return fd;
}

// The open calls' shared part: the failures, then the C library's call.
template <typename tCall>
int Open(const char* path, int flags, tCall call) {
    if (IsTemporary(path) && (flags & O_CREAT) != 0 && Fails("open", EACCES)) {
        return -1;
    }
    if ((flags & O_DIRECTORY) != 0 && !gTemporaryName.empty() && Fails("folder", EACCES)) {
        return -1;
    }
    return Opened(path, flags, call());
}

mode_t ModeOf(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(arguments, int)) : 0;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    static const auto real = Next<int (*)(const char*, int, ...)>("open");
    return Open(path, flags, [&] { return real(path, flags, mode); });
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    static const auto real = Next<int (*)(const char*, int, ...)>("open64");
    return Open(path, flags, [&] { return real(path, flags, mode); });
}

int openat(int folder, const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = ModeOf(flags, arguments);
    va_end(arguments);
    static const auto real = Next<int (*)(int, const char*, int, ...)>("openat");
    return Open(path, flags, [&] { return real(folder, path, flags, mode); });
}

ssize_t write(int fd, const void* bytes, size_t count) {
    static const auto real = Next<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd != gTemporary || fd < 0) {
        return real(fd, bytes, count);
    }
    Record("write " + gTemporaryName);
    static bool half = false;
    if (half) {
        half = false;
        errno = ENOSPC;
        return -1;
    }
    if (count > 1 && Fails("write", ENOSPC)) {
        half = true;
        return real(fd, bytes, count / 2);
    }
    return real(fd, bytes, count);
}

int fsync(int fd) {
    static const auto real = Next<int (*)(int)>("fsync");
    if (fd == gTemporary && fd >= 0) {
        Record("fsync " + gTemporaryName);
        return Fails("fsync", EIO) ? -1 : real(fd);
    }
    if (!gTemporaryName.empty() && IsFolder(fd)) {
        Record("fsync folder");
        if (Fails("folder-sync", EIO) || Fails("folder-sync-einval", EINVAL)) {
            return -1;
        }
    }
    return real(fd);
}

int close(int fd) {
    static const auto real = Next<int (*)(int)>("close");
    if (fd != gTemporary || fd < 0) {
        return real(fd);
    }
    Record("close " + gTemporaryName);
    gTemporary = -1;
    const int result = real(fd);
    return Fails("close", EIO) ? -1 : result;
}

int rename(const char* from, const char* to) {
    static const auto real = Next<int (*)(const char*, const char*)>("rename");
    if (IsTemporary(from)) {
        Record(std::string("rename ") + from + " " + to);
        if (Fails("rename", EIO)) {
            return -1;
        }
    }
    return real(from, to);
}

}  // extern "C"
