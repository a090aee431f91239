#include "source/source_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "format/signal_cleanup.h"
#include "source/read_failure.h"

namespace scenario {
std::optional<std::string> load_source_file(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw ReadFailure("cannot open " + path + ": " + std::strerror(errno));
  }
  if (S_ISDIR(st.st_mode)) throw ReadFailure("cannot open " + path + ": it is a directory");
  if (!S_ISREG(st.st_mode)) throw ReadFailure("cannot open " + path + ": not a regular file");
  if (static_cast<uintmax_t>(st.st_size) > kMaxSourceBytes) {
    throw ReadFailure(path + " is larger than 64 MiB; a source is refused before it is read");
  }
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) throw ReadFailure("cannot open " + path + ": " + std::strerror(errno));
  std::string bytes;
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (true) {
    if (done == bytes.size()) {
      // The file may have grown since stat; read what is there, within the limit.
      if (bytes.size() >= static_cast<size_t>(kMaxSourceBytes)) break;
      bytes.resize(bytes.size() + 4096);
    }
    const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      close(fd);
      throw ReadFailure("cannot read " + path + ": " + std::strerror(err));
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  bytes.resize(done);
  return bytes;
}

std::optional<std::string> DirectorySources::load(const std::string& name) {
  return load_source_file(path(name));
}

void DirectorySources::done(const std::string& name) {
  if (policy_ == Policy::kKeep) return;
  const std::string p = path(name);
  // A source written by an interrupted build is removed by the signal's cleanup until now.
  InterruptsDeferred deferred;
  if (unlink(p.c_str()) != 0 && errno != ENOENT) {
    const int err = errno;
    throw ReadFailure("cannot delete " + p + ": " + std::strerror(err));
  }
  disarm_removal(p);
}

void DirectorySources::discard(const std::string& name) noexcept {
  if (policy_ != Policy::kDelete) return;
  const std::string p = path(name);
  InterruptsDeferred deferred;
  unlink(p.c_str());
  disarm_removal(p);
}

std::optional<std::string> MemorySources::load(const std::string& name) {
  const auto it = texts_.find(name);
  if (it == texts_.end()) return std::nullopt;
  return it->second;
}

}  // namespace scenario
