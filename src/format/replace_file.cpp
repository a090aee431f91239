#include "format/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "format/file_error.h"
#include "format/output_path.h"
#include "format/signal_cleanup.h"

namespace scenario {
namespace {

constexpr const char* kTempSuffix = ".tmp-XXXXXX";
constexpr size_t kTempExtra = 1 + 11;  // the leading dot and the suffix

// ".NAME.tmp-XXXXXX" beside the target, NAME cut short when the whole would pass the
// directory's longest file name: a target whose own name is legal must be writable.
std::string temp_pattern(const std::string& target) {
  const size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".") : target.substr(0, slash);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  const long limit = pathconf(dir.empty() ? "/" : dir.c_str(), _PC_NAME_MAX);
  const size_t name_max = limit > static_cast<long>(kTempExtra) ? static_cast<size_t>(limit) : 255;
  if (base.size() + kTempExtra > name_max) {
    size_t keep = name_max - kTempExtra;
    // Never cut a UTF-8 sequence in two.
    while (keep > 0 && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
    base.resize(keep);
  }
  return dir + "/." + base + kTempSuffix;
}

// The replaced file's permissions, so that a recompile keeps a private file private; a new
// file gets the usual ones.
mode_t file_mode_for(const std::string& target) {
  struct stat st;
  if (stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 0777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

FileReplacer::FileReplacer(std::string target, OnInterrupt committed)
    : target_(std::move(target)), committed_on_interrupt_(committed) {
  check_replaceable(target_);
  std::string pattern = temp_pattern(target_);
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  {
    // The temporary file is armed from the moment it exists.
    InterruptsDeferred deferred;
    fd_ = mkstemp(name.data());
    if (fd_ < 0) throw FileError(target_, std::string("cannot create: ") + std::strerror(errno));
    temp_.assign(name.data());
    arm_removal(temp_);
  }
  // mkstemp makes the file private; it gets the permissions of the file it replaces.
  fchmod(fd_, file_mode_for(target_));
  buffer_.reset(new uint8_t[kBufferSize]);
}

FileReplacer::~FileReplacer() {
  if (fd_ >= 0) close(fd_);
  if (!committed_ && !temp_.empty()) remove_temp();
}

void FileReplacer::remove_temp() {
  InterruptsDeferred deferred;
  unlink(temp_.c_str());
  disarm_removal(temp_);
  temp_.clear();
}

void FileReplacer::fail(const std::string& what) {
  const int err = errno;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  remove_temp();
  throw FileError(target_, what + ": " + std::strerror(err));
}

void FileReplacer::write(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (used_ + size > kBufferSize) flush();
  if (size >= kBufferSize) {
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
  std::memcpy(buffer_.get() + used_, bytes, size);
  used_ += size;
}

void FileReplacer::flush() {
  size_t done = 0;
  while (done < used_) {
    const ssize_t n = ::write(fd_, buffer_.get() + done, used_ - done);
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
  InterruptsDeferred deferred;
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) fail("cannot replace");
  disarm_removal(temp_);
  if (committed_on_interrupt_ == OnInterrupt::kRemove) arm_removal(target_);
  committed_ = true;
}

void replace_file(const std::string& target, std::string_view bytes) {
  FileReplacer out(target);
  out.write(bytes);
  out.commit();
}

}  // namespace scenario
