// What the files layer shares inside: the system's reasons, whole writes and
// temporary names.
#pragma once

#include <cstddef>
#include <string>

namespace sorvik {

// The system's text for an errno value ("Permission denied").
std::string reason(int error);

// Writes all of `data`; false with errno set when a write fails.
bool writeAll(int fd, const char* data, size_t size);

// The last component of a path.
std::string nameOf(const std::string& path);

// Creates a new file for writing in the folder `dirfd` (or AT_FDCWD) under a
// temporary name made from `folder` (the folder's part of the path, with its
// "/") and `name`: hidden, marked with this process, no longer than a name
// may be. Returns the descriptor and sets `temp` to its path, or -1 with errno.
int createTemporary(int dirfd, const std::string& folder, const std::string& name, std::string& temp);

}  // namespace sorvik
