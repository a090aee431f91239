#include "format/update_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "format/file_error.h"

namespace scenario {
namespace {

// Reads exactly size bytes at offset; fewer only at the end of the file.
size_t read_at(int fd, uint8_t* into, size_t size, uint64_t offset, const std::string& path) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = pread(fd, into + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw FileError(path, std::string("cannot read: ") + std::strerror(errno));
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

}  // namespace

FileUpdater::FileUpdater(std::string target)
    : target_(std::move(target)), buffer_(new uint8_t[kBufferSize]) {
  // O_NOFOLLOW: a link is replaced by the file, as FileReplacer does, never compared through.
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const int fd = open(target_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    replacer_.emplace(target_);
    return;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    replacer_.emplace(target_);
    return;
  }
  old_fd_ = fd;
  old_size_ = static_cast<uint64_t>(st.st_size);
  old_bytes_.reset(new uint8_t[kBufferSize]);
}

FileUpdater::~FileUpdater() { close_old(); }

void FileUpdater::close_old() {
  if (old_fd_ >= 0) close(old_fd_);
  old_fd_ = -1;
}

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
