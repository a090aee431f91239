// The view of a "_linea.dat" file: the cells per kind, the plan's extent and turn, and its
// curves; printed as text, or as JSON with every cell.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "inspect/plan_summary.h"
#include "model/curve_table.h"

namespace scenario {

struct CurveView {
  std::string file;
  size_t bytes = 0;
  CurveTable table;
  PlanSummary plan;
};

CurveView curve_view(std::string file, size_t bytes, CurveTable table);

void print_text(const CurveView& v, std::ostream& out);
void print_json(const CurveView& v, std::ostream& out);

}  // namespace scenario
