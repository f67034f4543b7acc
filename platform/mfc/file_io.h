// Whole-file reading and writing for the layers that keep files: read a file
// at once, write a buffer through a descriptor, and replace a file's contents
// so that a reader sees the old file or the new one, never a part of either.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kiln::file {

// The bytes of a regular file; false (and `out` unspecified) when it cannot
// be opened, is no regular file or a read fails. A FIFO, socket or device in
// its place is never waited on.
bool ReadFile(const std::string& path, std::string& out);
// The same, with the reason of a failure as a text ("No such file or
// directory", "is a folder", "is a FIFO", "is a dangling link").
bool ReadFile(const std::string& path, std::string& out, std::string& reason);
// The same, for a file larger than `head` bytes, its first `head` bytes read
// first and given to `goOn`: when it returns false the rest is not read,
// and `out` holds the head alone (the result is true).
bool ReadFile(const std::string& path, std::string& out, std::string& reason, size_t head,
              const std::function<bool(std::string_view)>& goOn);

// What a file of the type bits `mode` is, for a message: "a folder",
// "a FIFO", "a socket", "a character device", "a block device", "a link",
// "a regular file".
std::string KindOf(mode_t mode);
// What the path leads to, the same way ("a regular file", "a FIFO", ...),
// or "a dangling link"; empty when there is nothing at the path.
std::string KindAt(const std::string& path);

// Writes all `n` bytes to the descriptor, going on after interruptions;
// false on an error (errno says which).
bool WriteAll(int fd, const char* data, size_t n);

// Writes `data` to a new temporary file beside `path`, then renames it to
// `path`. With `sync` the file reaches the disk before the rename. A file
// that is replaced keeps its permissions (a failure to set them fails the
// replace). On failure
// the temporary file is removed, `path` is untouched, and `error` (when
// given) receives the errno value. The temporaries of `path` that killed
// writers of this user left (see TemporaryOf) go first.
bool ReplaceFile(const std::string& path, std::string_view data, bool sync, int* error = nullptr);
// The same, with the contents written by `produce` into the descriptor of
// the temporary file (so that a large text need not be held whole first).
// A false from `produce` fails the replace with the errno it left (EIO when
// none), and nothing of it stays.
bool ReplaceFileWith(const std::string& path, bool sync, const std::function<bool(int fd)>& produce,
                     int* error = nullptr);

// The temporary file of a replacement: "<target>.tmp<pid>_<n>". True for
// such a name as ReplaceFileWith writes it (no leading zeros, a process
// number the system can give), with the target's name and the writer's
// process.
bool TemporaryOf(std::string_view name, std::string_view& target, pid_t& writer);

// Gives the file `fd` the permission bits of the file at `like`, when there
// is one (a new file that replaces an old one keeps what the user set);
// false, with errno, when they cannot be set.
bool CopyMode(int fd, const std::string& like);

}  // namespace kiln::file
