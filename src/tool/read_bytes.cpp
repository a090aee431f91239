#include "tool/read_bytes.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

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
  // One read into a string of the file's size where the file has one: a stream copy of a
  // 20 MB curve file cost more than decoding it.
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0, std::ios::beg);
  if (size >= 0 && in) {
    bytes.resize(static_cast<size_t>(size));
    in.read(bytes.data(), size);
    if (in.gcount() == size) return true;
    problem = "cannot read";
    return false;
  }
  in.clear();
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) {
    problem = "cannot read";
    return false;
  }
  bytes = s.str();
  return true;
}

}  // namespace scenario::tool
