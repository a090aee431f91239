// scenario-tool compile: compiles an author's sources into compiled files.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compiler/route_compiler.h"
#include "model/build_state.h"
#include "tool/scenario_identity.h"

namespace scenario::tool {

// The outcome of compiling an author's sources on private copies.
struct ToolCompile {
  std::unique_ptr<BuildState> state;
  CompileResult result;
  std::optional<std::string> errore;  // the errore number, when the build was aborted
};

// Compiles the two sources of id in srcdir and writes the compiled files into outdir (created
// when missing). The author's sources are read only, never changed or deleted. Throws
// FileError.
ToolCompile compile_sources(const std::string& srcdir, const std::string& outdir,
                            const Identity& id);

int compile_command(const std::vector<std::string>& args);

}  // namespace scenario::tool
