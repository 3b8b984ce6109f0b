#include "platform/System.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/posix/FolderSync.h"

namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// False when the existing file at path is one the player keeps from being written: no write
// permission for us, or none for anybody. The second rule matters for the superuser, who
// passes every permission check but should still not replace a file made read-only.
bool MayReplace(const struct stat& existing, const std::string& path) {
    return (existing.st_mode & kWriteBits) != 0 &&
           faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// The folder that holds path's name: what must reach the disk for a rename there to last.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

bool WriteAll(int fd, const std::string& contents) {
    const char* next = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t n = write(fd, next, left);
        if (n > 0) {
            next += n;
            left -= static_cast<std::size_t>(n);
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::int64_t Sys_RegularFileSize(const std::string& path) {
    struct stat info {};
    if (path.empty() || stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

eFileRead Sys_ReadFile(const std::string& path, std::int64_t maxBytes, std::string& bytes) {
    bytes.clear();
    // Non-blocking, so that a FIFO is refused instead of waiting for a writer.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return eFileRead::Unavailable;
    }
    struct stat info {};
    eFileRead result = eFileRead::Read;
    std::size_t length = 0;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result = eFileRead::Unavailable;
    } else if (info.st_size > maxBytes) {
        result = eFileRead::TooLarge;
    } else {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        while (length < bytes.size()) {
            const ssize_t n = read(fd, &bytes[length], bytes.size() - length);
            if (n > 0) {
                length += static_cast<std::size_t>(n);
            } else if (n == 0) {
                break;  // the file shrank while it was read: keep what was there
            } else if (errno != EINTR) {
                result = eFileRead::Unavailable;
                break;
            }
        }
    }
    close(fd);
    bytes.resize(result == eFileRead::Read ? length : 0);
    return result;
}

void Sys_OpenLogFile(std::ofstream& stream, const std::string& path) {
    struct stat info {};
    bool usable = lstat(path.c_str(), &info) == 0 ? S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)
                                                  : errno == ENOENT;
    // Truncating through a link would empty a file that is not ours: take the name over.
    if (usable && (S_ISLNK(info.st_mode) || info.st_nlink > 1)) {
        usable = unlink(path.c_str()) == 0;
    }
    if (!usable) {
        stream.setstate(std::ios::failbit);
        return;
    }
    stream.open(path, std::ios::out | std::ios::trunc);
}

eFileReplace Sys_ReplaceFile(const std::string& path, const std::string& contents) {
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0;
    if (exists && (S_ISDIR(existing.st_mode) || !MayReplace(existing, path))) {
        return eFileReplace::NotOpened;
    }
    const std::string temporary = path + ".tmp";
    // A leftover of an interrupted save, or anything else by that name (a FIFO, a link), goes;
    // the new file is always one we created ourselves.
    unlink(temporary.c_str());
    const int fd =
        open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
    if (fd < 0) {
        return eFileReplace::NotOpened;
    }
    bool ok = true;
    if (exists) {
        // The old file's permissions, but never wider than the umask lets a new file be.
        struct stat created {};
        ok = fstat(fd, &created) == 0 &&
             fchmod(fd, existing.st_mode & created.st_mode & kNewFileMode) == 0;
        // The superuser playing in someone's folder leaves the save theirs, or they could
        // never save over it again.
        if (ok && geteuid() == 0 &&
            (created.st_uid != existing.st_uid || created.st_gid != existing.st_gid)) {
            ok = fchown(fd, existing.st_uid, existing.st_gid) == 0;
        }
    }
    ok = ok && WriteAll(fd, contents) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::remove(temporary.c_str());
        return eFileReplace::NotWritten;
    }
    // Without this a power cut can undo the rename, and the save with it.
    return SyncFolder(FolderOf(path));
}
