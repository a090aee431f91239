// The driver's two documents of any compiled scenario: the timetable sheet and the slowdown
// order, computed from the compiled tables and the train's fastest run.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "documents/document.h"
#include "model/curve_table.h"
#include "model/general_table.h"
#include "model/identity.h"
#include "model/track_array.h"
#include "timing/running_time.h"

namespace scenario::documents {

// A scenario whose documents cannot be made: no station, or a run that cannot be computed.
class DocumentsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Documents {
  Document sheet;  // NAME_TRAIN_scheda_treno.txt
  Document order;  // NAME_TRAIN_rallentamenti.txt
};

// The sheet's computed times are of the run asked for: by default the eco run, the times a
// driver who spends the margins sparingly keeps. Throws DocumentsError.
Documents scenario_documents(const Identity& id, const GeneralTable& general,
                             const std::vector<TrackBlock>& track, const CurveTable& curves,
                             const timing::TrainModel& model, double step,
                             timing::RunKind run = timing::RunKind::kEco);

// Writes both into dir (Windows-1252, CR LF), each replacing an earlier file whole, and adds
// the path of each to written once it is in place. Throws FileError; a path that is not a
// regular file is refused before either is written.
void write_documents(const Documents& docs, const Identity& id, const std::string& dir,
                     std::vector<std::string>& written);

}  // namespace scenario::documents
