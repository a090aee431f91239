#include "format/output_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "format/file_error.h"

namespace scenario {
namespace {

const char* kind_of(mode_t mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

// Where the symbolic link at path leads, as written in it.
std::string link_target(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path to = std::filesystem::read_symlink(path, ec);
  return ec ? std::string("?") : to.string();
}

}  // namespace

void check_replaceable(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return;
    throw FileError(path, std::string("cannot write: ") + std::strerror(errno));
  }
  if (S_ISREG(st.st_mode)) return;
  throw FileError(
      path, std::string(kind_of(st.st_mode)) + " stands there, not a regular file: not replaced");
}

bool writable_file(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

void make_output_directory(const std::string& dir) {
  struct stat st;
  if (lstat(dir.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && stat(dir.c_str(), &st) != 0) {
    throw FileError(dir, "cannot create the output directory: a symbolic link to " +
                             link_target(dir) + ", which does not exist");
  }
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec && ec == std::errc::file_exists) {
    throw FileError(dir, "cannot create the output directory: a file of that name exists");
  }
  if (ec) throw FileError(dir, "cannot create the output directory: " + ec.message());
}

}  // namespace scenario
