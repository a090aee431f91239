// Writing a file only when its bytes change: the new bytes are compared with the file at the
// target as they come, and only from the first difference on are they written, to a temporary
// file that replaces the target as FileReplacer does. A file that already holds exactly these
// bytes is left untouched, its time stamp included, so that recompiling an unchanged scenario
// neither rewrites megabytes nor makes the file system write them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "format/replace_file.h"

namespace scenario {

class FileUpdater {
 public:
  // Opens the target for the comparison when it is a regular file that can be read; anything
  // else (missing, unreadable, a symbolic link, a FIFO) is replaced as FileReplacer does.
  explicit FileUpdater(std::string target);
  ~FileUpdater();  // removes a temporary file unless commit() succeeded
  FileUpdater(const FileUpdater&) = delete;
  FileUpdater& operator=(const FileUpdater&) = delete;

  void write(const void* data, size_t size);
  void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
  void put(uint8_t byte) {
    if (used_ == kBufferSize) flush();
    buffer_[used_++] = byte;
  }
  // Leaves the target as it is when it held exactly the bytes written (returns false), else
  // puts the new file in place (returns true). Throws FileError.
  bool commit();

 private:
  void flush();
  // Compares or writes bytes, as the file so far asks.
  void pass_on(const uint8_t* bytes, size_t size);
  // How many leading bytes, in whole chunks, equal the old file's from the offset compared so
  // far; the offset moves past them.
  size_t matching(const uint8_t* data, size_t size);
  // Starts the replacement with the bytes compared so far, which are the old file's.
  void diverge();
  void close_old();
  // Reads exactly size bytes of the old file at offset; fewer only at its end. Throws FileError.
  static size_t read_at(intptr_t file, uint8_t* into, size_t size, uint64_t offset,
                        const std::string& path);

  std::string target_;
  intptr_t old_fd_ = -1;  // the old file's descriptor, or its Windows handle
  uint64_t old_size_ = 0;
  uint64_t compared_ = 0;  // bytes found equal to the old file's, while comparing
  std::optional<FileReplacer> replacer_;
  static constexpr size_t kBufferSize = 1 << 16;
  std::unique_ptr<uint8_t[]> buffer_;
  std::unique_ptr<uint8_t[]> old_bytes_;
  size_t used_ = 0;
};

}  // namespace scenario
