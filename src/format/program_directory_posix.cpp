#include "format/program_directory.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "format/file_error.h"

namespace scenario {

std::string program_directory() {
  std::vector<char> buf(4096);
  const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n < 0) throw FileError("/proc/self/exe", std::strerror(errno));
  std::string exe(buf.data(), static_cast<size_t>(n));
  const size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

}  // namespace scenario
