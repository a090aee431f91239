// Where the source texts come from, and what becomes of them once read: the one-scenario build
// reads them from its directory and deletes them, the authors' tool reads an author's files and
// keeps them, and check, the tests, fuzzers and benchmarks give the texts in memory.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace scenario {

class SourceStore {
 public:
  virtual ~SourceStore() = default;

  // The bytes of the source called name; nullopt when there is none. Throws ReadFailure when
  // it exists but cannot be read.
  virtual std::optional<std::string> load(const std::string& name) = 0;
  // The reader is done with name, read whole or stopped. A deleting store deletes it; a file
  // that exists and cannot be deleted is a ReadFailure, since the build must not end clean with
  // its source left.
  virtual void done(const std::string& name) = 0;
  // The same for the failure handler, which is already ending the reading: never fails.
  virtual void discard(const std::string& name) noexcept = 0;
};

// The sources as files of a directory.
class DirectorySources : public SourceStore {
 public:
  enum class Policy { kDelete, kKeep };
  DirectorySources(std::string directory, Policy policy)
      : directory_(std::move(directory)), policy_(policy) {}

  std::optional<std::string> load(const std::string& name) override;
  void done(const std::string& name) override;
  void discard(const std::string& name) noexcept override;
  std::string path(const std::string& name) const { return directory_ + "/" + name; }

 private:
  std::string directory_;
  Policy policy_;
};

// The sources as texts by file name; nothing is read from or written to disk.
class MemorySources : public SourceStore {
 public:
  MemorySources() = default;
  explicit MemorySources(std::map<std::string, std::string> texts) : texts_(std::move(texts)) {}

  void set(const std::string& name, std::string text) { texts_[name] = std::move(text); }
  std::map<std::string, std::string>& texts() { return texts_; }

  std::optional<std::string> load(const std::string& name) override;
  void done(const std::string&) override {}
  void discard(const std::string&) noexcept override {}

 private:
  std::map<std::string, std::string> texts_;
};

// The longest source taken: far beyond any real one (the longest route's line source is a few
// MB); a longer file is refused before it is read.
inline constexpr uintmax_t kMaxSourceBytes = uintmax_t{64} << 20;

// Reads the whole source file at path into memory; nullopt when it does not exist. Throws
// ReadFailure for a directory, an unreadable file or one larger than kMaxSourceBytes.
std::optional<std::string> load_source_file(const std::string& path);

}  // namespace scenario
