// scenario-tool timing: the fastest run of the train on its line, and whether its timetable can
// be kept.
#pragma once

#include <iostream>
#include <string>
#include <vector>

namespace scenario::tool {

// Exit status: 0 every section can be kept, 3 one cannot (each named on err), 1 an error,
// 2 a usage error.
int timing_command(const std::vector<std::string>& args, std::ostream& out = std::cout,
                   std::ostream& err = std::cerr);

}  // namespace scenario::tool
