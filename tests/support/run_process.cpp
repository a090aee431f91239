#include "support/run_process.h"

#include <filesystem>

#include "support/child_process.h"

namespace scenario::testing {

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::string& cwd) {
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  ChildOptions options;
  options.cwd = cwd;
  ChildResult r = run_child(argv, options);
  return {r.exit_code, std::move(r.out), std::move(r.err)};
}

void copy_executable(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace scenario::testing
