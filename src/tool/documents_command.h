// scenario-tool documents: the driver's timetable sheet and slowdown order of a scenario.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "documents/documents.h"
#include "tool/command_line.h"

namespace scenario::tool {

// The command's options and operand.
CommandLine documents_command_line();

// Exit status: 0 written, 1 an error, 2 a usage error, 3 the sources have a fault (nothing
// written).
int documents_command(const std::vector<std::string>& args, std::ostream& out = std::cout,
                      std::ostream& err = std::cerr);

// Writes the documents of the tables into dir and each warning to err, prefixed by prefix;
// adds the path of each document to written once it is in place; the documents' passing times
// are those of the run of kind run. Throws documents::DocumentsError and FileError.
void make_documents(const Identity& id, const GeneralTable& general,
                    const std::vector<TrackBlock>& track, const CurveTable& curves,
                    const timing::TrainModel& model, double step, const std::string& dir,
                    const std::string& prefix, std::ostream& err, std::vector<std::string>& written,
                    timing::RunKind run = timing::RunKind::kEco);

}  // namespace scenario::tool
