// Fuzz target: formatting changes nothing that the readers read.
//
// The input is cut as fuzz_compile cuts it: the line source, "\n%%TRAIN%%\n", the train source.
// Both are compiled as they are and again after formatting; the status, its position and line,
// the failure reason and the compiled files must be the same. Formatting a formatted source
// must change nothing more.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "compiler/compile.h"
#include "format/file_names.h"
#include "formatter/source_formatter.h"
#include "fuzz_files.h"
#include "model/build_state.h"
#include "source/source_store.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSeparator = "\n%%TRAIN%%\n";

[[noreturn]] void broken(const std::string& what) {
  std::fprintf(stderr, "fmt broke its contract: %s\n", what.c_str());
  std::abort();
}

void remove_root();

const fs::path& root() {
  static const fs::path r = [] {
    std::string pattern = (fs::temp_directory_path() / "fuzz-fmt-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) broken("cannot create the private directory");
    std::atexit(remove_root);
    return fs::path(pattern);
  }();
  return r;
}

void remove_root() {
  std::error_code ec;
  fs::remove_all(root(), ec);
}

void write_file(const fs::path& p, std::string_view bytes) {
  if (!fuzz_files::write_file(p, bytes)) broken("cannot write " + p.string());
}

using fuzz_files::read_file;

// Everything a compile of the sources gives, as one text.
std::string compile(const std::string& sub, std::string_view line, const std::string* train) {
  const fs::path dir = root() / sub;
  fs::remove_all(dir);
  fs::create_directories(dir);
  auto state = std::make_unique<scenario::BuildState>();
  scenario::BuildState& s = *state;
  s.scenario_name = "F";
  s.train_number = "1";
  scenario::MemorySources store;
  store.set(scenario::line_source_name(s.identity()), std::string(line));
  if (train) store.set(scenario::train_source_name(s.identity()), *train);
  const scenario::CompileOutcome result = scenario::compile(s, store, 1);
  std::string outcome;
  if (result.errore) outcome = "errore " + std::to_string(result.errore->code) + "\n";
  outcome += "status " + std::to_string(result.status.code) + " at " +
             std::to_string(result.status.position) + " line " +
             std::to_string(result.status.line) + ": " + result.status.message + "\n";
  if (!result.errore) {
    for (const std::string& name : scenario::write_outputs(s, result, dir.string())) {
      outcome += name + "\n" + read_file(dir / name) + "\n";
    }
  }
  return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find(kSeparator);
  const std::string line(input.substr(0, cut));
  const bool has_train = cut != std::string_view::npos;
  const std::string train = has_train ? std::string(input.substr(cut + kSeparator.size())) : "";

  const std::string line_f = scenario::format_source(line, scenario::SourceKind::kLine).text;
  const std::string train_f = scenario::format_source(train, scenario::SourceKind::kTrain).text;
  if (scenario::format_source(line_f, scenario::SourceKind::kLine).text != line_f ||
      scenario::format_source(train_f, scenario::SourceKind::kTrain).text != train_f) {
    broken("formatting twice changed more");
  }
  if (compile("as_typed", line, has_train ? &train : nullptr) !=
      compile("formatted", line_f, has_train ? &train_f : nullptr)) {
    broken("the formatted sources compile to something else");
  }
  return 0;
}
