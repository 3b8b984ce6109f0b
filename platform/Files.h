#ifndef VAULTREACH_PLATFORM_FILES_H
#define VAULTREACH_PLATFORM_FILES_H

// The few questions the game asks the file system directly, and the one safe way it replaces a
// file it owns.

#include <cstdint>
#include <fstream>
#include <string>

// Size in bytes of a regular file, or -1 for anything else (missing, a directory, a device).
std::int64_t Sys_RegularFileSize(const std::string& path);

// True when writing path cannot block or write through something else: it does not exist yet
// or is a regular file. A FIFO there would hold the game until someone read it.
bool Sys_IsPlainFileOrAbsent(const std::string& path);

// Opens path for writing from scratch, as an ofstream would, but only where
// Sys_IsPlainFileOrAbsent allows; otherwise the stream stays closed and failed.
void Sys_OpenLogFile(std::ofstream& stream, const std::string& path);

// Replaces path with contents so that a reader sees either the old file or the new one, never
// a half-written one: the bytes go to a temporary file beside it, are flushed to disk, and the
// temporary file is renamed over path. False (and path untouched) if any step fails.
bool Sys_ReplaceFile(const std::string& path, const std::string& contents);

#endif
