// Fuzz target: the whole compile of a line source and a train source cut from one input.
//
// The input is the line source, the separator "\n%%TRAIN%%\n", then the train source; without
// a separator there is no train source at all. The sources are written into a private source
// directory (created once per process) and compiled as the authors' tool does: the sources
// are kept, the compiled files go to a separate output directory. Besides the sanitizers it
// checks that the sources come out unchanged, that nothing but the compiled files appears,
// that no temporary file is left, and that the compiled images have the sizes of the state.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "compiler/compile.h"
#include "format/file_names.h"
#include "fuzz_files.h"
#include "model/build_state.h"
#include "source/diagnostic.h"
#include "source/diagnostic_json.h"
#include "source/source_store.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSeparator = "\n%%TRAIN%%\n";
constexpr const char* kName = "F";
constexpr const char* kTrain = "1";

[[noreturn]] void broken(const std::string& what) {
  std::fprintf(stderr, "compile broke its contract: %s\n", what.c_str());
  std::abort();
}

struct Dirs {
  fs::path root, src, out;
};

void remove_dirs();

// One private directory for the whole process: runs rewrite its files instead of making more.
const Dirs& dirs() {
  static const Dirs d = [] {
    std::string pattern = (fs::temp_directory_path() / "fuzz-compile-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) broken("cannot create the private directory");
    Dirs made{pattern, fs::path(pattern) / "src", fs::path(pattern) / "out"};
    fs::create_directory(made.src);
    fs::create_directory(made.out);
    std::atexit(remove_dirs);
    return made;
  }();
  return d;
}

void remove_dirs() {
  std::error_code ec;
  fs::remove_all(dirs().root, ec);
}

void write_file(const fs::path& p, std::string_view bytes) {
  if (!fuzz_files::write_file(p, bytes)) broken("cannot write " + p.string());
}

using fuzz_files::read_file;

std::set<std::string> names_in(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

void clear_dir(const fs::path& dir) {
  for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Dirs& d = dirs();
  clear_dir(d.src);
  clear_dir(d.out);

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find(kSeparator);
  const std::string_view line = input.substr(0, cut);
  const bool has_train = cut != std::string_view::npos;
  const std::string_view train = has_train ? input.substr(cut + kSeparator.size()) : "";

  auto state = std::make_unique<scenario::BuildState>();
  scenario::BuildState& s = *state;
  s.scenario_name = kName;
  s.train_number = kTrain;
  const fs::path line_path = d.src / scenario::line_source_name(s.identity());
  const fs::path train_path = d.src / scenario::train_source_name(s.identity());
  write_file(line_path, line);
  if (has_train) write_file(train_path, train);

  scenario::DirectorySources store(d.src.string(), scenario::DirectorySources::Policy::kKeep);
  // Any exception escapes and is reported as a crash: the compile must not throw.
  const scenario::CompileOutcome outcome = scenario::compile(s, store, 1);
  std::vector<std::string> written;
  if (!outcome.errore) written = scenario::write_outputs(s, outcome, d.out.string());
  // Every report renders, as text and as JSON (which refuses a string that is no UTF-8).
  std::vector<scenario::Diagnostic> reports = outcome.compiler_faults;
  reports.push_back(outcome.status);
  reports.push_back(outcome.read_status);
  if (outcome.errore) reports.push_back(*outcome.errore);
  for (const scenario::Diagnostic& r : reports) {
    if (scenario::diagnostic_text(r).back() != '\n') broken("a report without its line end");
    (void)scenario::diagnostic_json(r).dump();
  }
  const bool aborted = outcome.errore.has_value();

  if (read_file(line_path) != line) broken("the line source changed");
  if (has_train && read_file(train_path) != train) broken("the train source changed");
  const std::set<std::string> sources =
      has_train ? std::set<std::string>{scenario::line_source_name(s.identity()),
                                        scenario::train_source_name(s.identity())}
                : std::set<std::string>{scenario::line_source_name(s.identity())};
  if (names_in(d.src) != sources) broken("the source directory gained or lost a file");

  std::set<std::string> expected;
  for (const std::string& n : written) expected.insert(n);
  if (names_in(d.out) != expected) broken("the output directory holds other files");
  if (!aborted && s.track.exists() && written.size() != 3) {
    broken("a sized track wrote no compiled files");
  }
  if (!written.empty()) {
    const auto dat = fs::file_size(d.out / scenario::track_file_name({kName, kTrain}));
    if (dat != 15 * s.track.blocks().size()) broken("the track image has the wrong size");
    size_t texts = 0;
    for (int slot = 0; slot < scenario::GeneralTable::kSlots; ++slot) {
      texts += s.general[slot].text.size();
    }
    const auto sim = fs::file_size(d.out / scenario::general_file_name({kName, kTrain}));
    if (sim != 87 * 34 + texts) broken("the general image has the wrong size");
  }
  return 0;
}
