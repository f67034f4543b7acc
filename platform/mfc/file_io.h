// Whole-file reading and writing for the layers that keep files: read a file
// at once, write a buffer through a descriptor, and replace a file's contents
// so that a reader sees the old file or the new one, never a part of either.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kiln::file {

// The bytes of a regular file; false (and `out` unspecified) when it cannot
// be opened, is no regular file or a read fails.
bool ReadFile(const std::string& path, std::string& out);

// Writes all `n` bytes to the descriptor, going on after interruptions;
// false on an error (errno says which).
bool WriteAll(int fd, const char* data, size_t n);

// Writes `data` to a new temporary file beside `path`, then renames it to
// `path`. With `sync` the file reaches the disk before the rename. On failure
// the temporary file is removed, `path` is untouched, and `error` (when
// given) receives the errno value.
bool ReplaceFile(const std::string& path, std::string_view data, bool sync, int* error = nullptr);

}  // namespace kiln::file
