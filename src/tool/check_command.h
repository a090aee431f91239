// scenario-tool check: lists every faulty row of a scenario's sources in one run.
#pragma once

#include <string>
#include <vector>

#include "tool/scenario_identity.h"

namespace scenario::tool {

// One fault, against the author's text.
struct Fault {
  std::string file;  // empty when no row can be named
  int32_t line = 0;
  int32_t column = 0;
  int32_t status = 0;
  int32_t position = 0;
  bool has_position = false;
  std::string message;
  std::string text;  // the line of the source that holds the field concerned
};

// Compiles the sources of id in srcdir on in-memory copies, again and again, each time
// setting aside the row that caused the status, until they compile clean or max_faults are
// listed. Nothing is written and the sources are not touched. Faults come in file order.
std::vector<Fault> check_sources(const std::string& srcdir, const Identity& id,
                                 size_t max_faults = 100);

// "FILE:LINE:COLUMN: status N at P m: message", the row's text and a caret under the field.
std::string format_fault(const Fault& f);

int check_command(const std::vector<std::string>& args);

}  // namespace scenario::tool
