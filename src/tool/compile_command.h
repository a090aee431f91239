// scenario-tool compile: compiles an author's sources into compiled files.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compile.h"
#include "model/build_state.h"
#include "model/identity.h"

#include "tool/command_line.h"

namespace scenario::tool {

// The outcome of compiling an author's sources.
struct ToolCompile {
  std::unique_ptr<BuildState> state;
  CompileOutcome outcome;
  std::vector<std::string> written;  // the compiled files written into the output directory
  // A compiled file that could not be written, and why; the writing stopped there.
  std::optional<std::string> write_error;
};

// Compiles the two sources of id in srcdir and writes the compiled files into outdir (created
// when missing), holding outdir's lock from the reading to the last file so that compiles into
// one directory leave the whole set of one of them. The author's sources are read only, never
// changed or deleted. while_locked, when given, runs once the compiled files are all written,
// with the lock still held. Throws FileError when outdir cannot be made or locked.
ToolCompile compile_sources(const std::string& srcdir, const std::string& outdir,
                            const Identity& id,
                            const std::function<void(ToolCompile&)>& while_locked = nullptr);

// The command's options and operand.
CommandLine compile_command_line();
int compile_command(const std::vector<std::string>& args);

}  // namespace scenario::tool
