#include "tool/check_command.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "compiler/route_compiler.h"
#include "compiler/status_report.h"
#include "format/file_names.h"
#include "line_reader/field_stream.h"
#include "line_reader/memorizza_dati.h"
#include "line_reader/read_failure.h"
#include "line_reader/reader_context.h"
#include "tool/json_writer.h"
#include "tool/scenario_options.h"

namespace scenario::tool {
namespace {

constexpr const char* kCheckUsage =
    "usage: scenario-tool check [--name NAME] [--train NUMBER] [--json] SRCDIR";

// The text of a line, from 1; empty beyond the end.
std::string line_of(const std::string& text, int32_t line) {
  if (line <= 0) return "";
  return std::string(FieldStream(text).line_text(line));
}

// Blanks lines first..last of text (from 1), keeping the line ends, so that the other rows
// keep their line numbers and the reader skips the blanked ones.
void set_aside(std::string& text, int32_t first, int32_t last) {
  int32_t line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++line;
      continue;
    }
    if (line >= first && line <= last) text[i] = ' ';
  }
}

Fault make_fault(const std::map<std::string, std::string>& texts, int32_t code, int32_t position,
                 const RowOrigin& o, const std::string& reason) {
  Fault f;
  f.status = code;
  f.position = position;
  f.has_position = status_has_position(code);
  f.message = status_message(code);
  if (code == 25 && !reason.empty()) f.message += ": " + reason;
  if (o.known()) {
    f.file = o.file;
    f.line = o.field_line > 0 ? o.field_line : o.line;
    f.column = o.column;
    const auto it = texts.find(o.file);
    if (it != texts.end() && f.line > 0) f.text = line_of(it->second, f.line);
  }
  return f;
}

}  // namespace

std::vector<Fault> check_sources(const std::string& srcdir, const Identity& id, size_t max_faults) {
  BuildState names;
  names.scenario_name = id.name;
  names.train_number = id.train;
  names.directory = srcdir;
  std::map<std::string, std::string> texts;
  std::vector<Fault> faults;
  const auto load = [&](const std::string& name) {
    try {
      if (auto t = load_source(names.path(name))) texts[name] = std::move(*t);
    } catch (const ReadFailure& e) {
      Fault f;
      f.file = name;
      f.status = 25;
      f.message = status_message(25) + ": " + e.what();
      faults.push_back(f);
    }
  };
  load(line_source_name(names.identity()));
  load(train_source_name(names.identity()));
  if (!faults.empty()) return faults;

  std::set<std::pair<std::string, int32_t>> set_aside_rows;
  while (faults.size() < max_faults) {
    auto state = std::make_unique<BuildState>();
    state->scenario_name = id.name;
    state->train_number = id.train;
    state->directory = srcdir;
    state->source_texts = &texts;
    state->build_flag = 1;
    std::vector<StatusEvent> compiler_codes;
    state->compiler_log = &compiler_codes;
    state->general.reset();
    std::string reason;
    memorizza_dati(*state, &reason);
    const int32_t code = state->read_status;
    const RowOrigin origin = state->status_origin;
    if (code != 0) {
      faults.push_back(make_fault(texts, code, state->read_status_position, origin, reason));
      const bool has_row = origin.known() && origin.line > 0 && texts.count(origin.file) > 0;
      if (!has_row || !set_aside_rows.insert({origin.file, origin.line}).second) break;
      // The row goes, and the sources are compiled again without it.
      const int32_t last = std::max(origin.line, std::max(origin.last_line, origin.field_line));
      set_aside(texts[origin.file], origin.line, last);
      continue;
    }
    // The readers are content: what the compiler finds is listed in one pass.
    if (state->track.exists()) {
      post_process_track(*state);
      for (const StatusEvent& e : compiler_codes) {
        if (faults.size() >= max_faults) break;
        faults.push_back(make_fault(texts, e.code, e.position, e.origin, ""));
      }
    }
    break;
  }
  // File order: the line source, then the train source, each by line; rowless faults last.
  const std::string line_name = line_source_name(names.identity());
  std::stable_sort(faults.begin(), faults.end(), [&](const Fault& a, const Fault& b) {
    const auto rank = [&](const Fault& f) {
      return f.file.empty() || f.line == 0 ? 2 : (f.file == line_name ? 0 : 1);
    };
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    return a.line < b.line;
  });
  return faults;
}

std::string format_fault(const Fault& f) {
  std::string out;
  if (!f.file.empty()) {
    out += f.file;
    if (f.line > 0) out += ":" + std::to_string(f.line);
    if (f.line > 0 && f.column > 0) out += ":" + std::to_string(f.column);
    out += ": ";
  }
  out += "status " + std::to_string(f.status);
  if (f.has_position) out += " at " + std::to_string(f.position) + " m";
  out += ": " + f.message + "\n";
  if (f.line > 0) {
    out += "    " + f.text + "\n";
    if (f.column > 0) {
      // Tabs stay tabs so that the caret lines up under the field in a terminal.
      std::string pad;
      for (int32_t i = 0; i + 1 < f.column && static_cast<size_t>(i) < f.text.size(); ++i) {
        pad += f.text[static_cast<size_t>(i)] == '\t' ? '\t' : ' ';
      }
      out += "    " + pad + "^\n";
    }
  }
  return out;
}

int check_command(const std::vector<std::string>& args) {
  try {
    const ScenarioOptions o = parse_scenario_options(args, {.json = true});
    const Identity id = resolve_identity(o.directory, o.name, o.train);
    const std::vector<Fault> faults = check_sources(o.directory, id);
    if (o.json) {
      std::string out = "[";
      for (size_t i = 0; i < faults.size(); ++i) {
        const Fault& f = faults[i];
        if (i) out += ", ";
        out += "{\"file\": " + (f.file.empty() ? std::string("null") : json_string(f.file));
        out += ", \"line\": " + (f.line > 0 ? std::to_string(f.line) : std::string("null"));
        out += ", \"column\": " + (f.column > 0 ? std::to_string(f.column) : std::string("null"));
        out += ", \"status\": " + std::to_string(f.status);
        out += ", \"position\": " +
               (f.has_position ? std::to_string(f.position) : std::string("null"));
        out += ", \"message\": " + json_string(f.message);
        out += ", \"text\": " + json_string(f.text) + "}";
      }
      out += "]";
      std::cout << out << std::endl;
    } else {
      for (const Fault& f : faults) std::cout << format_fault(f);
      if (!faults.empty()) {
        std::cout << faults.size() << (faults.size() == 1 ? " fault" : " faults") << " found\n";
      }
    }
    return faults.empty() ? 0 : 3;
  } catch (const UsageError& e) {
    std::cerr << "scenario-tool check: " << e.what() << "\n" << kCheckUsage << std::endl;
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "scenario-tool check: " << e.what() << std::endl;
    return 1;
  }
}

}  // namespace scenario::tool
