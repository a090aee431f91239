// scenario-tool: the authors' command-line tool.
#include "tool/tool.h"

int main(int argc, char** argv) { return scenario::tool::run(argc, argv); }
