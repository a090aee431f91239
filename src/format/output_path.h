// What a writer may find at the path it writes to: nothing, or the regular file it replaces;
// and the directory it writes into.
#pragma once

#include <string>

namespace scenario {

// Throws FileError naming path unless nothing stands there or a regular file does: a writer
// replaces files, never a directory, a symbolic link, a FIFO, a device or a socket that has
// taken the name (as root, a plot to /dev/null would otherwise replace the system's own).
void check_replaceable(const std::string& path);

// True when this user may write the file at path itself (not only replace it): its owner
// has not made it read-only (a read-only attribute on Windows).
bool writable_file(const std::string& path);

// Makes the directory dir and its parents when missing. Throws FileError naming dir when it
// cannot: something else stands there, a symbolic link that leads nowhere, no permission.
void make_output_directory(const std::string& dir);

}  // namespace scenario
