// scenario-tool compile: compiles an author's sources into compiled files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "model/build_state.h"
#include "model/identity.h"

namespace scenario::tool {

// The outcome of compiling an author's sources.
struct ToolCompile {
  std::unique_ptr<BuildState> state;
  CompileOutcome outcome;
  std::vector<std::string> written;  // the compiled files written into the output directory
};

// Compiles the two sources of id in srcdir and writes the compiled files into outdir (created
// when missing). The author's sources are read only, never changed or deleted. Throws
// FileError.
ToolCompile compile_sources(const std::string& srcdir, const std::string& outdir,
                            const Identity& id);

int compile_command(const std::vector<std::string>& args);

}  // namespace scenario::tool
