#include "driver/driver.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "compiler/compile.h"
#include "compiler/errore.h"
#include "emitter/emitters.h"
#include "format/console_output.h"
#include "format/directory_lock.h"
#include "format/file_error.h"
#include "format/program_directory.h"
#include "model/build_state.h"
#include "source/diagnostic.h"
#include "source/source_store.h"

namespace scenario {

int build_scenario_in(const std::string& directory) {
  // The build state lives on the heap: the track and curve tables are large.
  auto state = std::make_unique<BuildState>();
  state->scenario_name = "Lindeva_Querno";
  state->train_number = "40716";
  state->directory = directory;
  // The console form of the waiting window: shown before the work begins.
  write_console(kStandardOutput, "Attendere\n");
  // The whole sequence holds the directory: a second build there waits, rather than deleting
  // sources this one has not read yet.
  const DirectoryLock lock(directory);
  // The sources are this run's own until it has read and deleted them: an interrupted run
  // removes them with its temporary file.
  emit_all(*state, OnInterrupt::kRemove);
  // The build reads its own sources and deletes them.
  DirectorySources sources(directory, DirectorySources::Policy::kDelete);
  const CompileOutcome outcome = compile(*state, sources, 1);
  if (outcome.errore) {
    write_console(kStandardError, errore_message(outcome.errore->code) + "\n");
    return 1;
  }
  write_outputs(*state, outcome, directory);
  if (!outcome.status.clean()) {
    write_console(kStandardError, "scenario-build: " + diagnostic_text(outcome.status));
    return 3;
  }
  return 0;
}

int run_scenario_build() {
  try {
    return build_scenario_in(program_directory());
  } catch (const std::exception& e) {
    write_console(kStandardError, std::string("scenario-build: ") + e.what() + "\n");
    return 1;
  }
}

}  // namespace scenario
