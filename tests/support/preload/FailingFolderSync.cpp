// Loaded with LD_PRELOAD into the real game: every fsync of a folder fails as a failing disk's
// would (EIO), every other fsync is the C library's. Shows what the game does when a save was
// renamed into place but the rename could not be made durable.

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

extern "C" int fsync(int fd) {
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EIO;
        return -1;
    }
    using tFsync = int (*)(int);
    static const auto next = reinterpret_cast<tFsync>(dlsym(RTLD_NEXT, "fsync"));
    return next(fd);
}
