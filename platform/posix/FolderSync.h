#ifndef VAULTREACH_PLATFORM_POSIX_FOLDERSYNC_H
#define VAULTREACH_PLATFORM_POSIX_FOLDERSYNC_H

// A rename is a change to the folder that holds the name, not to the file: until the folder
// itself reaches the disk, a power cut can bring the old name back (or lose the new one), even
// though the file's own bytes were flushed. SyncFolder makes a rename just done in folder
// durable and says what a failure leaves, as the save's outcome: NotDurable when the folder
// cannot be opened or the disk reported an error, NotWritten when the storage kept the folder as
// it was before (a browser's storage that refused the write: the next start finds the old file).
// A file system that has no way to sync a folder at all counts as done (Replaced).

#include <string>

#include "platform/System.h"

eFileReplace SyncFolder(const std::string& folder);

#endif
