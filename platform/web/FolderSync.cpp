// In a browser tab the saved folder lives in the page's IndexedDB (emscripten's IDBFS): a file
// written is only in memory until the folder is synced to the database. The sync is our own
// call, so that a refusal (storage full, denied, the database gone) reaches the save as the
// failure it is; emscripten's own fsync would report it as success. The database then still
// holds the folder as it was, which is what the next visit reads.

#include "platform/posix/FolderSync.h"

#include "platform/web/PageBridge.h"

eFileReplace SyncFolder(const std::string& folder) {
    return vr_sync_folder(folder.c_str()) != 0 ? eFileReplace::Replaced : eFileReplace::NotWritten;
}
