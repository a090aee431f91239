// Test helpers: a private temporary directory and small file utilities.
#pragma once

#include <string>
#include <vector>

namespace scenario::testing {

// A fresh directory under the system's temporary directory, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);
// Names of the entries of a directory, sorted.
std::vector<std::string> list_dir(const std::string& path);

}  // namespace scenario::testing
