#ifndef VAULTREACH_PLATFORM_FILES_H
#define VAULTREACH_PLATFORM_FILES_H

// The few questions the game asks the file system directly: reading a data file whole, opening
// a log, and the one safe way it replaces a file it owns.
//
// Every data file is read through Sys_ReadFile with a size limit, so a huge or endless file
// costs nothing but one refusal, and nothing that is not a regular file (a FIFO, a device, a
// directory) is ever opened in a way that could block.
//
// A name where the game writes (a log, the save) is never written through: a symbolic link or
// a file with more than one link there has its name replaced by a new file, and the file it
// led to is left alone.

#include <cstdint>
#include <fstream>
#include <string>

// Size in bytes of a regular file, or -1 for anything else (missing, a directory, a device).
std::int64_t Sys_RegularFileSize(const std::string& path);

enum class eFileRead {
    Read,         // the whole file was read
    Unavailable,  // missing, not a regular file, not readable, or a read error
    TooLarge      // a regular file of more than the limit; nothing was read
};

// Reads the whole of path into bytes when it is a regular file of at most maxBytes bytes (fewer
// bytes if the file shrank meanwhile); room for them is made only then, before any byte is read.
// bytes is empty unless the result is Read. Opening never blocks, whatever path is.
eFileRead Sys_ReadFile(const std::string& path, std::int64_t maxBytes, std::string& bytes);

// Opens path for writing from scratch, as an ofstream would, never through a link (see above).
// Anything else there that is not a regular file (a FIFO would hold the game until someone read
// it) leaves the stream closed and failed.
void Sys_OpenLogFile(std::ofstream& stream, const std::string& path);

enum class eFileReplace {
    Replaced,
    NotOpened,   // path may not be written (no write permission, a read-only file, a directory
                 // where the new file cannot be made, no file handles left)
    NotWritten,  // the new contents could not be written whole (a full disk, a size limit), or
                 // the storage refused them and keeps the old file
    NotDurable   // the new contents are in place, but the rename could not be made durable: a
                 // power cut may still bring the old file back
};

// Replaces path with contents so that a reader sees either the old file or the new one, never
// a half-written one: the bytes go to a temporary file beside it, are flushed to disk, and the
// temporary file is renamed over path, and the rename itself is made durable (the folder is
// synced after it on POSIX; Windows' write-through move does the same). An existing path that
// has no write permission for this user, or none for anybody (the superuser included), is
// refused. The new file keeps the old one's permission bits, never wider than a new file would
// get, and, written by the superuser, the old one's owner. Unless Replaced or NotDurable, path is
// untouched and nothing is left beside it. The contents are text: each '\n' is written as the
// system's line end (CR LF on Windows).
eFileReplace Sys_ReplaceFile(const std::string& path, const std::string& contents);

#endif
