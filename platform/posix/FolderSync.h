#ifndef VAULTREACH_PLATFORM_POSIX_FOLDERSYNC_H
#define VAULTREACH_PLATFORM_POSIX_FOLDERSYNC_H

// A rename is a change to the folder that holds the name, not to the file: until the folder
// itself reaches the disk, a power cut can bring the old name back (or lose the new one), even
// though the file's own bytes were flushed. Sys_SyncFolder makes a rename just done in folder
// durable and says what a failure leaves. A file system that has no way to sync a folder at all
// counts as done.

#include <string>

enum class eFolderSync {
    Synced,
    NotDurable,  // the new name is in place, but a power cut may bring the old one back (the
                 // folder cannot be opened, or the disk reported an error)
    Refused      // the storage kept the folder as it was before: the next start finds the old
                 // file (a browser's storage that refused the write)
};

eFolderSync Sys_SyncFolder(const std::string& folder);

#endif
