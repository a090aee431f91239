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
