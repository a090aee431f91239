// Telling an author who points a reader of compiled files at sources what to do instead.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "model/identity.h"
#include "tool/command_line.h"
#include "tool/scenario_options.h"

namespace scenario::tool {

// When dir holds a line or train source but no compiled file, the line that says to compile
// it first; otherwise none.
std::optional<std::string> sources_not_compiled(const std::string& dir);

// For a command that reads compiled files: sets id to the compiled scenario that o names in its
// directory and returns 0; otherwise says why on err ("scenario-tool COMMAND: ...") and returns
// the exit status: 1 when the folder holds sources but no compiled file (not a fault of the
// command line), 2 when no identity resolves, the reason followed by c's usage.
int find_compiled_identity(const CommandLine& c, const ScenarioOptions& o, Identity& id,
                           std::ostream& err);

}  // namespace scenario::tool
