#pragma once
// What the store needs of the file system beyond the standard library: bytes that reach the
// disk before a rename makes them the snapshot, and a rename that replaces its target whole.
// One implementation per backend folder (posix/, win32/); the build picks it.

#include <cstdio>
#include <filesystem>

namespace vel::standin {

// Opens a file as fopen does (mode "rb", "wb", "ab"), for any path the file system holds.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// Flushes the stream and asks the system to put its bytes on the disk. False when it refuses.
bool syncToDisk(std::FILE* f);

// Renames `from` over `to`, replacing it in one step, and makes the rename itself durable.
// Throws std::filesystem::filesystem_error.
void replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace vel::standin
