#include "format/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "format/file_error.h"

namespace scenario {
namespace {

constexpr size_t kBufferSize = 1 << 16;

std::string temp_pattern(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  return dir + "/." + base + ".tmp-XXXXXX";
}

mode_t default_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

FileReplacer::FileReplacer(std::string target) : target_(std::move(target)) {
  std::string pattern = temp_pattern(target_);
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_ = mkstemp(name.data());
  if (fd_ < 0) throw FileError(target_, std::string("cannot create: ") + std::strerror(errno));
  temp_.assign(name.data());
  // mkstemp makes the file private; the compiled files get the usual permissions.
  fchmod(fd_, default_file_mode());
  buffer_.resize(kBufferSize);
}

FileReplacer::~FileReplacer() {
  if (fd_ >= 0) close(fd_);
  if (!committed_ && !temp_.empty()) unlink(temp_.c_str());
}

void FileReplacer::fail(const std::string& what) {
  const int err = errno;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  unlink(temp_.c_str());
  temp_.clear();
  throw FileError(target_, what + ": " + std::strerror(err));
}

void FileReplacer::write(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (used_ + size > buffer_.size()) flush();
  if (size >= buffer_.size()) {
    size_t done = 0;
    while (done < size) {
      const ssize_t n = ::write(fd_, bytes + done, size - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        fail("cannot write");
      }
      done += static_cast<size_t>(n);
    }
    return;
  }
  std::memcpy(buffer_.data() + used_, bytes, size);
  used_ += size;
}

void FileReplacer::flush() {
  size_t done = 0;
  while (done < used_) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, used_ - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail("cannot write");
    }
    done += static_cast<size_t>(n);
  }
  used_ = 0;
}

void FileReplacer::commit() {
  if (fd_ < 0) throw FileError(target_, "cannot write: file already closed");
  flush();
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) {
    errno = errno ? errno : EIO;
    fail("cannot write");
  }
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) fail("cannot replace");
  committed_ = true;
}

void replace_file(const std::string& target, std::string_view bytes) {
  FileReplacer out(target);
  out.write(bytes);
  out.commit();
}

}  // namespace scenario
