#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

std::int64_t Sys_RegularFileSize(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

bool Sys_IsPlainFileOrAbsent(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT;
    }
    return S_ISREG(info.st_mode);
}

void Sys_OpenLogFile(std::ofstream& stream, const std::string& path) {
    if (Sys_IsPlainFileOrAbsent(path)) {
        stream.open(path, std::ios::out | std::ios::trunc);
    } else {
        stream.setstate(std::ios::failbit);
    }
}

bool Sys_ReplaceFile(const std::string& path, const std::string& contents) {
    const std::string temporary = path + ".tmp";
    // A leftover of an interrupted save, or anything else by that name (a FIFO, a link), goes;
    // the new file is always one we created ourselves.
    unlink(temporary.c_str());
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = true;
    const char* next = contents.data();
    std::size_t left = contents.size();
    while (ok && left > 0) {
        const ssize_t n = write(fd, next, left);
        if (n > 0) {
            next += n;
            left -= static_cast<std::size_t>(n);
        } else if (!(n < 0 && errno == EINTR)) {
            ok = false;
        }
    }
    if (ok && fsync(fd) != 0) {
        ok = false;
    }
    if (close(fd) != 0) {
        ok = false;
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
    }
    if (!ok) {
        std::remove(temporary.c_str());
    }
    return ok;
}
