// Whole-file replacement: bytes go to a temporary file beside the target, which is renamed
// over the target only when everything was written. A failed write leaves the earlier file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

// What an interrupting signal (see signal_cleanup.h) does to a committed file: keep it, or
// remove it as a file of the interrupted run that no one else is meant to see.
enum class OnInterrupt { kKeep, kRemove };

// Streams one file's bytes through a buffer into a temporary file; commit() puts it in place.
class FileReplacer {
 public:
  // Creates the temporary file in the target's directory, armed for removal by an interrupting
  // signal until commit(). Throws FileError, also when the target is there but not a regular
  // file (check_replaceable).
  explicit FileReplacer(std::string target, OnInterrupt committed = OnInterrupt::kKeep);
  ~FileReplacer();  // removes the temporary file unless commit() succeeded
  FileReplacer(const FileReplacer&) = delete;
  FileReplacer& operator=(const FileReplacer&) = delete;

  void write(const void* data, size_t size);
  void write(std::string_view bytes) { write(bytes.data(), bytes.size()); }
  void put(uint8_t byte) {
    if (used_ == kBufferSize) flush();
    buffer_[used_++] = byte;
  }
  // Flushes, syncs nothing, closes and renames over the target, which takes the permissions of
  // the file it replaces. Throws FileError.
  void commit();

 private:
  void flush();
  void fail(const std::string& what);
  void remove_temp();

  std::string target_;
  std::string temp_;
  int fd_ = -1;
  OnInterrupt committed_on_interrupt_;
  bool committed_ = false;
  static constexpr size_t kBufferSize = 1 << 16;
  // Not zero-filled: only the bytes written are ever read, and a small file touches only the
  // pages it fills.
  std::unique_ptr<uint8_t[]> buffer_;
  size_t used_ = 0;
};

// Replaces target with exactly these bytes. Throws FileError.
void replace_file(const std::string& target, std::string_view bytes);

}  // namespace scenario
