#include "tool/read_bytes.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace scenario::tool {

bool read_bytes(const std::string& path, std::string& bytes, std::string& problem) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    problem = "is a directory, not a compiled file";
    return false;
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    problem = std::string("cannot open: ") + (errno ? std::strerror(errno) : "unreadable");
    return false;
  }
  // One read of the whole file: through a string stream the longest curve files took longer
  // to read than to decode.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size < 0 || !in) {
    problem = "cannot read";
    return false;
  }
  bytes.resize(static_cast<size_t>(size));
  in.read(bytes.data(), size);
  if (in.gcount() != size) {
    problem = "cannot read";
    return false;
  }
  return true;
}

}  // namespace scenario::tool
