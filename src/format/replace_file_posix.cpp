#include "format/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "format/file_aside.h"
#include "format/file_error.h"
#include "format/output_path.h"
#include "format/signal_cleanup.h"

namespace scenario {
namespace {

constexpr const char* kTempSuffix = ".tmp-XXXXXX";
constexpr const char* kAsideSuffix = ".old-XXXXXX";  // an earlier file kept until a set is whole
constexpr size_t kTempExtra = 1 + 11;                // the leading dot and the suffix

// ".NAME.tmp-XXXXXX" beside the target, NAME cut short when the whole would pass the
// directory's longest file name: a target whose own name is legal must be writable.
std::string temp_pattern(const std::string& target, const char* suffix = kTempSuffix) {
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
  return dir + "/." + base + suffix;
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

bool FileReplacer::exchange_with_target() {
  struct stat st;
  // Only a regular file is exchanged: a folder or a link in its place is replaced, as by rename.
  if (lstat(target_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE) == 0;
}

void FileReplacer::commit(Swap swap) {
  if (fd_ < 0) throw FileError(target_, "cannot write: file already closed");
  flush();
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) {
    errno = errno ? errno : EIO;
    fail("cannot write");
  }
  InterruptsDeferred deferred;
  if (swap == Swap::kExchange && exchange_with_target()) {
    // The temporary name now holds the old file, still armed for removal.
    remove_temp();
  } else {
    if (std::rename(temp_.c_str(), target_.c_str()) != 0) fail("cannot replace");
    disarm_removal(temp_);
  }
  if (committed_on_interrupt_ == OnInterrupt::kRemove) arm_removal(target_);
  committed_ = true;
}

void replace_file(const std::string& target, std::string_view bytes) {
  FileReplacer out(target);
  out.write(bytes);
  out.commit();
}

namespace {

std::string reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

// Keeps the earlier file at target under a second name beside it; empty when there is none.
// A second link leaves the target in place meanwhile; where the file system has no links, the
// file itself moves aside until its replacement comes. Throws FileError.
std::string keep_aside(const std::string& target) {
  struct stat st;
  if (lstat(target.c_str(), &st) != 0) {
    if (errno == ENOENT) return "";
    throw FileError(target, reason("cannot replace"));
  }
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
    throw FileError(target, "cannot replace: not a regular file");
  }
  const std::string pattern = temp_pattern(target, kAsideSuffix);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) throw FileError(target, reason("cannot keep the earlier file aside"));
    close(fd);
    unlink(name.data());
    if (link(target.c_str(), name.data()) == 0) return name.data();
    if (errno == EEXIST) continue;  // the name was taken again meanwhile
    if (std::rename(target.c_str(), name.data()) == 0) return name.data();
    throw FileError(target, reason("cannot keep the earlier file aside"));
  }
  throw FileError(target, "cannot keep the earlier file aside: no free name");
}

// Gives target back its earlier file (aside; none when empty); false when that fails.
bool put_back(const std::string& target, const std::string& aside) {
  if (aside.empty()) return unlink(target.c_str()) == 0 || errno == ENOENT;
  struct stat in_place, kept;
  if (lstat(target.c_str(), &in_place) == 0 && lstat(aside.c_str(), &kept) == 0 &&
      in_place.st_ino == kept.st_ino && in_place.st_dev == kept.st_dev) {
    return unlink(aside.c_str()) == 0;  // never replaced: only the second link goes
  }
  return std::rename(aside.c_str(), target.c_str()) == 0;
}

void drop_aside(const std::string& aside) { unlink(aside.c_str()); }

}  // namespace scenario
