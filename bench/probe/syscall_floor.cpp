// scenario-bench-floor: the file work of scenario-build without its computation, as the lowest
// time a build can take. In its own directory, like the build, it runs its arguments in order:
//   w:NAME:SIZE  writes NAME whole, SIZE zero bytes, through the build's own file writer
//   r:NAME       reads NAME back whole and deletes it, as the source reader does
// and prints the waiting label first, as the build does. Linked as the executables are, so it
// starts as they do.
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "driver/driver.h"
#include "format/console_output.h"
#include "format/program_directory.h"
#include "format/replace_file.h"
#include "source/source_store.h"

namespace {

// The image writers hand the file writer a few kilobytes at a time; so does the floor.
constexpr size_t kPiece = 4000;

void write_zeros(const std::string& path, size_t size) {
  static const char zeros[kPiece] = {};
  scenario::FileReplacer out(path);
  for (size_t done = 0; done < size; done += kPiece) {
    out.write(zeros, size - done < kPiece ? size - done : kPiece);
  }
  out.commit();
}

void read_and_delete(const std::string& path) {
  if (!scenario::load_source_file(path)) throw std::runtime_error("no " + path);
  if (unlink(path.c_str()) != 0) throw std::runtime_error("cannot delete " + path);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string dir = scenario::program_directory();
    scenario::write_console(STDOUT_FILENO, "Attendere\n");
    for (int i = 1; i < argc; ++i) {
      const std::string_view step = argv[i];
      if (step.starts_with("r:")) {
        read_and_delete(dir + "/" + std::string(step.substr(2)));
        continue;
      }
      const size_t colon = step.rfind(':');
      if (!step.starts_with("w:") || colon < 2) {
        scenario::write_console(STDERR_FILENO,
                                "scenario-bench-floor: bad step " + std::string(step) + "\n");
        return 2;
      }
      const std::string name(step.substr(2, colon - 2));
      write_zeros(dir + "/" + name, std::strtoull(argv[i] + colon + 1, nullptr, 10));
    }
  } catch (const std::exception& e) {
    scenario::write_console(STDERR_FILENO, std::string("scenario-bench-floor: ") + e.what() + "\n");
    return 1;
  }
  return 0;
}
