// Hands the process over to another program of the installation, as `scenario-tool import` does
// with the importer, which lives in an executable of its own.
#pragma once

#include <string>
#include <vector>

namespace scenario {

// Replaces the running program with `program`, given `args` after its own name; returns only
// when that cannot be done, with the reason.
std::string replace_process(const std::string& program, const std::vector<std::string>& args);

}  // namespace scenario
