#include "format/update_file.h"

#include <cstring>

#include "format/file_error.h"

namespace scenario {

size_t FileUpdater::matching(const uint8_t* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const size_t n = size - done < kBufferSize ? size - done : kBufferSize;
    if (compared_ + n > old_size_ ||
        read_at(old_fd_, old_bytes_.get(), n, compared_, target_) != n ||
        std::memcmp(old_bytes_.get(), data + done, n) != 0) {
      break;
    }
    compared_ += n;
    done += n;
  }
  return done;
}

void FileUpdater::diverge() {
  replacer_.emplace(target_);
  for (uint64_t at = 0; at < compared_;) {
    const uint64_t left = compared_ - at;
    const size_t want = left < kBufferSize ? static_cast<size_t>(left) : kBufferSize;
    const size_t got = read_at(old_fd_, old_bytes_.get(), want, at, target_);
    // The file shrank under us: what was compared is gone, so no file of these bytes is made.
    if (got != want) throw FileError(target_, "cannot read: the file changed while compared");
    replacer_->write(old_bytes_.get(), got);
    at += got;
  }
  close_old();
}

void FileUpdater::write(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (used_ + size > kBufferSize) flush();
  if (size < kBufferSize) {
    std::memcpy(buffer_.get() + used_, bytes, size);
    used_ += size;
    return;
  }
  pass_on(bytes, size);
}

void FileUpdater::flush() {
  pass_on(buffer_.get(), used_);
  used_ = 0;
}

void FileUpdater::pass_on(const uint8_t* bytes, size_t size) {
  const size_t done = replacer_ ? 0 : matching(bytes, size);
  if (done == size) return;
  if (!replacer_) diverge();
  replacer_->write(bytes + done, size - done);
}

bool FileUpdater::commit() {
  flush();
  if (!replacer_ && compared_ == old_size_) {
    close_old();
    return false;
  }
  // Every byte written matched, but the old file is longer.
  if (!replacer_) diverge();
  replacer_->commit(FileReplacer::Swap::kExchange);
  return true;
}

}  // namespace scenario
