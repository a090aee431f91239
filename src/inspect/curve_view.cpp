#include "inspect/curve_view.h"

#include "inspect/json_text.h"
#include "inspect/text_columns.h"

namespace scenario {

CurveView curve_view(std::string file, size_t bytes, CurveTable table) {
  CurveView v{std::move(file), bytes, std::move(table), {}};
  v.plan = summarize_plan(v.table);
  return v;
}

void print_text(const CurveView& v, std::ostream& out) {
  const PlanSummary& s = v.plan;
  out << v.file << ": curve table, E = " << s.last_metre << " (metres 0 to " << s.last_metre
      << " on axes 0 and 1), " << v.bytes << " bytes\n";
  out << "  cells per axis: " << s.int16_cells << " integer, " << s.double_cells << " double, "
      << s.empty_cells << " empty\n";
  if (s.has_points) {
    out << "  extent: X (axis 0, east) " << fixed(s.min_x, 2) << " m to " << fixed(s.max_x, 2)
        << " m; Y (axis 1, north) " << fixed(s.min_y, 2) << " m to " << fixed(s.max_y, 2) << " m\n";
  } else {
    out << "  extent: none (no metre holds a point)\n";
  }
  out << "  total turn of the heading: " << fixed(s.total_turn_degrees, 3)
      << " degrees (positive to the right)\n";
  out << "curves: " << s.curves.size() << "\n";
  if (!s.curves.empty()) {
    out << "     start m    length m    radius m   turn deg  hand\n";
    for (const PlanCurve& c : s.curves) {
      out << "  " << pad_left(std::to_string(c.start), 10) << "  "
          << pad_left(std::to_string(c.length), 10) << "  " << pad_left(fixed(c.radius, 1), 10)
          << "  " << pad_left(fixed(c.turn_degrees, 3), 9) << "  "
          << (c.turn_degrees > 0 ? "right" : "left") << "\n";
    }
  }
}

void print_json(const CurveView& v, std::ostream& out) {
  const PlanSummary& s = v.plan;
  const CurveTable& t = v.table;
  JsonObject j;
  j["file"] = json_text(v.file);
  j["kind"] = "curve";
  j["bytes"] = v.bytes;
  j["E"] = s.last_metre;
  j["cells_per_axis"] = {
      {"integer", s.int16_cells}, {"double", s.double_cells}, {"empty", s.empty_cells}};
  if (s.has_points) {
    // Values of the file's cells, which go out exactly; the curves' estimates below are rounded
    // to what a plan sampled every metre can tell.
    j["extent"] = {{"x", {json_number(s.min_x), json_number(s.max_x)}},
                   {"y", {json_number(s.min_y), json_number(s.max_y)}}};
  } else {
    j["extent"] = nullptr;
  }
  j["total_turn_degrees"] = json_number(s.total_turn_degrees, 6);
  j["curves"] = JsonObject::array();
  for (const PlanCurve& c : s.curves) {
    j["curves"].push_back({{"start", c.start},
                           {"length", c.length},
                           {"radius", json_number(c.radius, 3)},
                           {"turn_degrees", json_number(c.turn_degrees, 6)}});
  }
  write_open_object(j, out);
  // Each cell as [tag] when empty or [tag, value]: axis 0 first, then axis 1, metre by metre.
  out << ",\"axes\":[";
  for (int axis = 0; axis < 2; ++axis) {
    if (axis) out << ",\n ";
    out << "[";
    const auto& kinds = t.kinds(axis);
    const auto& values = t.values(axis);
    for (size_t m = 0; m < kinds.size(); ++m) {
      if (m) out << (m % 8 == 0 ? ",\n  " : ",");
      JsonObject cell = {kinds[m]};
      if (kinds[m] == static_cast<uint8_t>(CellKind::kInt16)) {
        cell.push_back(static_cast<int16_t>(values[m]));
      } else if (kinds[m] == static_cast<uint8_t>(CellKind::kDouble)) {
        cell.push_back(json_number(values[m]));
      }
      out << cell.dump();
    }
    out << "]";
  }
  out << "]}\n";
}

}  // namespace scenario
