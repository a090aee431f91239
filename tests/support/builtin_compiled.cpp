#include "support/builtin_compiled.h"

#include <gtest/gtest.h>

#include <memory>

#include "emitter/emitters.h"
#include "format/file_names.h"
#include "support/emitted.h"
#include "support/temp_dir.h"
#include "tool/compile_command.h"

namespace scenario::testing {

const BuiltinCompiled& builtin_compiled() {
  static std::unique_ptr<TempDir> dir;
  static tool::ToolCompile compile;
  static BuiltinCompiled result;
  if (!dir) {
    dir = std::make_unique<TempDir>();
    BuildState emit = builtin_state(dir->path());
    emit_all(emit);
    compile =
        tool::compile_sources(dir->path(), dir->path(), {emit.scenario_name, emit.train_number});
    const BuildState& s = *compile.state;
    result = {dir->path(), dir->file(general_file_name(s.identity())),
              dir->file(track_file_name(s.identity())),
              dir->file(curve_file_name({s.scenario_name, ""})), &s};
  }
  EXPECT_FALSE(compile.outcome.errore.has_value());
  EXPECT_FALSE(compile.write_error.has_value()) << *compile.write_error;
  EXPECT_EQ(compile.state->read_status, 0);
  return result;
}

}  // namespace scenario::testing
