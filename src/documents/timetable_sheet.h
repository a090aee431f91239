// The timetable sheet of a scenario, computed: stations with their kilometres and times, the
// places where the speed limit changes, and each timed stop's recovery margin.
#pragma once

#include "documents/document.h"
#include "documents/route_facts.h"
#include "format/document_widths.h"
#include "model/identity.h"
#include "timing/running_time.h"

namespace scenario::documents {

struct SheetInput {
  const Identity& id;
  const timing::RunInput& in;
  const timing::RunResult& run;
  const RouteFacts& facts;
  const timing::TrainModel& model;
};

// Every table row is 83 characters long. Table cells: speed limit, marked speed,
// progressive, "No Rs" speed, location, time, recovery margin. A station's name starts at the
// location cell's second character and keeps a blank before the bar.
inline constexpr size_t kSheetRowWidth = 83;
inline constexpr size_t kSheetNameWidth = kSheetStationNameWidth;

Document timetable_sheet(const SheetInput& input);

}  // namespace scenario::documents
