#include "tool/import_command.h"

#include <iostream>

#include "format/program_directory.h"
#include "format/run_program.h"
#include "tool/scenario_options.h"

namespace scenario::tool {

CommandLine import_command_line() {
  CommandLine c("import",
                "write the two sources of a railway line from an OpenStreetMap file (XML, PBF or "
                "o5m) and elevation models (any raster GDAL reads)");
  c.option("--from", "STATION", "the origin: a station, halt or stop by its name");
  c.option("--to", "STATION", "the destination, by its name");
  c.option("--relation", "ID",
           "instead of --from and --to: the ways of this route relation, in order");
  c.repeatable("--dem", "FILE", "an elevation raster (.hgt, GeoTIFF, ...); again for more tiles");
  c.repeatable("--stop", "STATION", "a station the train stops at (default: every station)");
  c.option("--start", "HH:MM", "the origin's departure (default 06:55)");
  c.option("--allowance", "PERCENT", "added to the fastest running time (default 7)");
  declare_identity_options(c);
  c.option("-o,--output", "SRCDIR", "where the sources go (default: the current folder)");
  c.flag("--force", "replace sources that exist");
  c.flag("--json", "the report as one JSON object on standard output");
  c.operand("OSMFILE", "the OpenStreetMap file");
  return c;
}

int import_command(const std::vector<std::string>& args) {
  std::string program;
  try {
    program = program_directory() + "/scenario-import";
  } catch (const std::exception& e) {
    std::cerr << "scenario-tool import: " << e.what() << std::endl;
    return 2;
  }
  std::cout.flush();
  const std::string reason = replace_process(program, args);
  std::cerr << "scenario-tool import: cannot run " << program << " (" << reason
            << "): it is built and installed beside scenario-tool" << std::endl;
  return 2;
}

}  // namespace scenario::tool
