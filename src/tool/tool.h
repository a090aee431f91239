// The authors' tool: compile any scenario's sources, emit, inspect, plot, check.
#pragma once

namespace scenario::tool {

// Runs the tool with the process arguments; returns the exit status.
int run(int argc, char** argv);

}  // namespace scenario::tool
