#include "platform/posix/FolderSync.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

eFileReplace SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return eFileReplace::NotDurable;
    }
    // EINVAL: this file system cannot sync a folder; what it keeps is out of our hands.
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    close(fd);
    return synced ? eFileReplace::Replaced : eFileReplace::NotDurable;
}
