#ifndef VAULTREACH_PLATFORM_POSIX_FOLDERSYNC_H
#define VAULTREACH_PLATFORM_POSIX_FOLDERSYNC_H

// A rename is a change to the folder that holds the name, not to the file: until the folder
// itself reaches the disk, a power cut can bring the old name back (or lose the new one), even
// though the file's own bytes were flushed. Sys_SyncFolder makes a rename just done in folder
// durable; it returns false when that failed (the folder cannot be opened, or the disk
// reported an error). A file system that has no way to sync a folder at all counts as done.

#include <string>

bool Sys_SyncFolder(const std::string& folder);

#endif
