// scenario-tool explain: what a row kind of the sources means, field by field.
#pragma once

#include <string>
#include <vector>

#include "source/field_reference.h"

#include "tool/command_line.h"

namespace scenario::tool {

// One row kind's entry as the terminal shows it.
std::string explain_text(const RowKindEntry& kind);

// The whole reference as Markdown: the generated part of docs/sources.md.
std::string reference_markdown();

// The command's options and operand.
CommandLine explain_command_line();
int explain_command(const std::vector<std::string>& args);

}  // namespace scenario::tool
