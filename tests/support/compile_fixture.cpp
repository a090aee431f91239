#include "support/compile_fixture.h"

#include <sstream>

#include "compiler/memorizza_dati.h"
#include "source/source_store.h"

namespace scenario::testing {
namespace {

Compiled prepare(const std::string& line_text, const char* train_text, int32_t flag) {
  Compiled c;
  c.dir = std::make_unique<TempDir>();
  c.state = std::make_unique<BuildState>();
  c.state->scenario_name = "T";
  c.state->train_number = "1";
  c.state->directory = c.dir->path();
  c.state->build_flag = flag;
  write_file(c.dir->file("T_linea.txt"), line_text);
  if (train_text != nullptr) write_file(c.dir->file("T_1-.txt"), train_text);
  return c;
}

}  // namespace

bool Compiled::line_source_left() const { return file_exists(dir->file("T_linea.txt")); }
bool Compiled::train_source_left() const { return file_exists(dir->file("T_1-.txt")); }

Compiled compile(const std::string& line_text, const char* train_text, int32_t build_flag) {
  Compiled c = prepare(line_text, train_text, build_flag);
  DirectorySources sources(c.dir->path(), DirectorySources::Policy::kDelete);
  c.outcome = scenario::compile(*c.state, sources, build_flag);
  c.result.failure_reason = c.outcome.status.message;
  if (!c.outcome.errore) c.result.outputs = write_outputs(*c.state, c.outcome, c.dir->path());
  return c;
}

Compiled read_only(const std::string& line_text, const char* train_text, int32_t build_flag) {
  Compiled c = prepare(line_text, train_text, build_flag);
  c.state->general.reset();
  DirectorySources sources(c.dir->path(), DirectorySources::Policy::kDelete);
  c.read = memorizza_dati(*c.state, sources);
  c.result.failure_reason = c.read.failure_reason;
  return c;
}

std::string line_with_body(const std::string& body, int32_t length) {
  return "[generale]\r\nlunghezza percorso,    " + std::to_string(length) + "\r\n[curve]\r\n" +
         body + "[fine]\r\n";
}

std::string train_with(const std::string& rows) { return "[generale]\r\n" + rows + "[fine]\r\n"; }

std::string dump_blocks(const TrackArray& track, int64_t from, int64_t to, bool with_marks) {
  std::ostringstream out;
  bool first = true;
  for (int64_t i = from; i <= to && i <= track.upper(); ++i) {
    const TrackBlock& b = track[i];
    std::ostringstream item;
    if (b.code != 0) item << " code" << int(b.code);
    if (b.value1 != 0) item << " v1=" << b.value1;
    if (b.value2 != 0) item << " v2=" << b.value2;
    if (b.value3 != 0) item << " v3=" << b.value3;
    if (b.value4 != 0) item << " v4=" << b.value4;
    if (b.mark10 != 0) item << " m10=" << int(b.mark10);
    if (with_marks) {
      if (b.mark11 != 0) item << " m11=" << int(b.mark11);
      if (b.mark12 != 0) item << " m12=" << int(b.mark12);
    }
    const std::string s = item.str();
    if (s.empty()) continue;
    if (!first) out << ' ';
    first = false;
    out << 'b' << i << ':' << s.substr(1);
  }
  return out.str();
}

}  // namespace scenario::testing
