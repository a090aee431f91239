// The error raised when a file cannot be written or read by the system itself.
#pragma once

#include <stdexcept>
#include <string>

namespace scenario {

// A failure to create, write, rename or read a file; what() names the file and the reason.
class FileError : public std::runtime_error {
 public:
  FileError(const std::string& path, const std::string& reason)
      : std::runtime_error(path + ": " + reason), path_(path), reason_(reason) {}
  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

}  // namespace scenario
