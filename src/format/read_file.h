// Reading a whole file: a compiled file for the decoders, a source for the formatter.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "format/file_names.h"

namespace scenario {

// The bytes of the regular file at path, refused when longer than max_bytes. A FIFO, a device
// or a directory is refused without waiting on it or reading from it. Throws FileError, whose
// text is "PATH: why".
std::string read_whole_file(const std::string& path,
                            uintmax_t max_bytes = std::numeric_limits<uintmax_t>::max());

// The longest file of a compiled kind that compile can write (kCurve, kGeneral or kTrack);
// for any other kind no limit.
uintmax_t compiled_file_limit(FileKind kind);

// read_whole_file bounded by the compiled kind's limit: what every reader of compiled files
// uses, so that a crafted or mistaken path costs at most the largest scenario.
std::string read_compiled_file(const std::string& path, FileKind kind);

}  // namespace scenario
