#include "format/read_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "format/file_error.h"

namespace scenario {

std::string read_whole_file(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw FileError(path, "is a directory, not a compiled file");
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw FileError(path,
                    std::string("cannot open: ") + (errno ? std::strerror(errno) : "unreadable"));
  }
  // One read into a string of the file's size where the file has one: a stream copy of a
  // 20 MB curve file cost more than decoding it.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size >= 0 && in) {
    std::string bytes(static_cast<size_t>(size), '\0');
    in.read(bytes.data(), size);
    if (in.gcount() != size) throw FileError(path, "cannot read");
    return bytes;
  }
  in.clear();
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) throw FileError(path, "cannot read");
  return s.str();
}

}  // namespace scenario
