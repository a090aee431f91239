#include "line_reader/reader_context.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "format/file_names.h"
#include "line_reader/read_failure.h"

namespace scenario {
namespace {

constexpr off_t kMaxSourceBytes = off_t{64} << 20;

}  // namespace

namespace {

// Which field of a row a status points at: its index among the row's fields (the keyword is
// 0), or -1 for the field read last.
int cause_field(int32_t code) {
  switch (code) {
    case 5:
    case 103:
      return 0;  // the keyword itself
    case 4:
      return 2;  // the end of the repetition stretch
    case 9:
      return 3;  // the station length
    case 25:
      return -1;  // the field that could not be read
    default:
      return 1;  // the row's position (or its first value)
  }
}

}  // namespace

void ReaderContext::set_status(int32_t code, std::optional<int64_t> position) {
  state.read_status = code;
  if (position) state.read_status_position = static_cast<int32_t>(*position);
  RowOrigin& o = state.status_origin;
  o = RowOrigin{};
  o.file = file_name;
  o.line = row_line;
  if (stream) {
    const auto& fields = stream->row_fields();
    const int index = cause_field(code);
    o.last_line = stream->line();
    if (index >= 0 && static_cast<size_t>(index) < fields.size() && row_line > 0) {
      o.field_line = fields[static_cast<size_t>(index)].line;
      o.column = fields[static_cast<size_t>(index)].column;
    } else {
      o.field_line = stream->line();
      o.column = stream->column();
    }
  }
}

void ReaderContext::note_block(int64_t block) {
  BlockOrigins& origins = state.block_origins;
  if (origins.line.size() != state.track.blocks().size()) {
    origins.line.assign(state.track.blocks().size(), 0);
    origins.column.assign(state.track.blocks().size(), 0);
    origins.file.assign(state.track.blocks().size(), 0);
  }
  if (block < 0 || static_cast<size_t>(block) >= origins.line.size()) return;
  origins.line[static_cast<size_t>(block)] = row_line;
  if (stream && stream->row_fields().size() > 1) {
    origins.column[static_cast<size_t>(block)] = stream->row_fields()[1].column;
  }
  origins.file[static_cast<size_t>(block)] =
      file_name == line_source_name(state.identity()) ? 1 : 2;
}

std::optional<std::string> load_source(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    throw ReadFailure("cannot open " + path + ": " + std::strerror(errno));
  }
  if (S_ISDIR(st.st_mode)) throw ReadFailure("cannot open " + path + ": it is a directory");
  if (!S_ISREG(st.st_mode)) throw ReadFailure("cannot open " + path + ": not a regular file");
  if (st.st_size > kMaxSourceBytes) {
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

void delete_source(const BuildState& state, const std::string& path) {
  if (state.keep_sources || state.source_texts != nullptr) return;
  if (unlink(path.c_str()) != 0 && errno != ENOENT) {
    const int err = errno;
    throw ReadFailure("cannot delete " + path + ": " + std::strerror(err));
  }
}

void delete_source_if_possible(const BuildState& state, const std::string& path) noexcept {
  if (!state.keep_sources && state.source_texts == nullptr) unlink(path.c_str());
}

}  // namespace scenario
