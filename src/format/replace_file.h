// Whole-file replacement: bytes go to a temporary file beside the target, which is renamed
// over the target only when everything was written. A failed write leaves the earlier file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
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
  // How commit() puts the new file in place of an existing one.
  enum class Swap {
    kRename,  // renamed over it
    // Exchanged with it, and the old file then removed: on ext4, a rename over a file makes
    // the file system start writing the new one back at once (some 20 ms for 20 MB), an
    // exchange does not. The target stays whole throughout; without one to exchange with, or
    // where the file system cannot (Windows), a rename.
    kExchange,
  };
  // Flushes, syncs nothing, closes and puts the file in place of the target, whose permissions
  // it takes. On Windows the file is flushed to the disk first, and takes the target's
  // attributes (read-only, hidden), which would otherwise stop the replacement. Throws
  // FileError.
  void commit(Swap swap = Swap::kRename);

 private:
  void flush();
  void fail(const std::string& what);
  void remove_temp();
  // Swaps the temporary file and a regular file at the target; false when it could not.
  bool exchange_with_target();

  std::string target_;
  std::string temp_;
  intptr_t fd_ = -1;  // the temporary file's descriptor, or its Windows handle
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

// Replaces each target with its bytes, all of them or none: every file is written beside its
// target first; then each is put in place, its earlier file kept aside until the last is in,
// and when one cannot be put in place those already replaced get their earlier files back (a
// target that was absent is removed again). Interrupting signals wait until the set is whole
// either way. Throws FileError naming the target that failed.
void replace_files(const std::vector<std::pair<std::string, std::string_view>>& files);

}  // namespace scenario
