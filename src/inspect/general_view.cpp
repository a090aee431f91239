#include "inspect/general_view.h"

#include <algorithm>
#include <cstring>

#include "format/general_image.h"
#include "format/marks.h"
#include "inspect/clock_text.h"
#include "inspect/display_text.h"
#include "inspect/json_text.h"
#include "inspect/text_columns.h"

namespace scenario {
namespace {

struct Meaning {
  int slot;
  std::vector<const char*> fields;
};

// The fields of slots 81 to 86 that carry a general value; anything else set there is shown
// as an extra.
const std::vector<Meaning>& general_meanings() {
  static const std::vector<Meaning> m = {
      {81, {"long1", "long2", "long3"}},
      {82, {"long1", "long2", "long3"}},
      {83, {"long1", "long2", "long3"}},
      {84, {"long1", "long2", "long3"}},
      {85, {"long1", "long2", "long3", "text", "int1", "long4"}},
      {86, {"long1", "long2", "long3", "text", "int1", "int3", "int4", "int5"}},
  };
  return m;
}

// Non-zero fields of an entry, as "name=value" items, leaving out the named ones.
std::string other_fields(const GeneralEntry& e, const std::vector<const char*>& known) {
  std::string out;
  for (const EntryField& f : entry_fields()) {
    bool is_known = false;
    for (const char* k : known) is_known = is_known || std::strcmp(k, f.name) == 0;
    if (is_known) continue;
    if (f.number == nullptr) {
      if (!e.text.empty()) out += std::string(" text=\"") + display_text(e.text) + "\"";
    } else if (f.number(e) != 0) {
      out += std::string(" ") + f.name + "=" + std::to_string(f.number(e));
    }
  }
  return out;
}

}  // namespace

GeneralView general_view(std::string file, size_t bytes, GeneralTable table) {
  GeneralView v{std::move(file), bytes, std::move(table), {}, {}, {}};
  const GeneralTable& t = v.table;
  v.stations = station_slots(t);
  v.boards = board_slots(t);
  const std::vector<int>& stations = v.stations;
  const std::vector<int>& boards = v.boards;
  // Whatever the meanings above leave out, so that nothing set in the file goes unseen.
  for (int s = 0; s <= GeneralTable::kFirstBoardSlot; ++s) {
    const bool listed = (s >= 1 && s <= static_cast<int>(stations.size())) ||
                        (!boards.empty() && s <= boards.front() && s >= boards.back());
    if (!listed && !entry_is_empty(t[s])) {
      v.extras.push_back("slot " + std::to_string(s) + ":" + other_fields(t[s], {}));
    }
  }
  for (const Meaning& m : general_meanings()) {
    const std::string o = other_fields(t[m.slot], m.fields);
    if (!o.empty()) v.extras.push_back("slot " + std::to_string(m.slot) + ":" + o);
  }
  return v;
}

void print_text(const GeneralView& v, std::ostream& out) {
  const GeneralTable& t = v.table;
  const GeneralEntry& s84 = t[GeneralTable::kTrainAndRoute];
  const GeneralEntry& s85 = t[GeneralTable::kScenarioSlot];
  const GeneralEntry& s86 = t[GeneralTable::kTrainSlot];
  out << v.file << ": general table, " << GeneralTable::kSlots << " slots, " << v.bytes
      << " bytes\n";
  const auto row = [&out](const std::string& label, const std::string& value) {
    out << "  " << pad_right(label, 42) << value << "\n";
  };
  row("scenario name (slot 85 text)", display_text(s85.text));
  row("train number (slot 86 text)", display_text(s86.text));
  row("route length (slot 84 long2)", std::to_string(s84.long2) + " m");
  for (int slot = GeneralTable::kProgressiveFirst; slot >= GeneralTable::kProgressiveLast; --slot) {
    const GeneralEntry& p = t[slot];
    row("progressive (slot " + std::to_string(slot) + " long1..long3)",
        "start " + std::to_string(p.long1) + " m, kilometre value " + std::to_string(p.long2) +
            " m (" + km_text(p.long2) + "), direction " + std::to_string(p.long3));
  }
  row("background (slot 85 long1, long2, long3)", std::to_string(s85.long1) + ", " +
                                                      std::to_string(s85.long2) + ", " +
                                                      std::to_string(s85.long3));
  row("signal repetition (slot 86 long1..long3)", "from " + std::to_string(s86.long1) + " m to " +
                                                      std::to_string(s86.long2) + " m, " +
                                                      std::to_string(s86.long3) + " codes");
  row("brake-mass percentage (slot 84 long1)", std::to_string(s84.long1) + " %");
  row("coaches (slot 84 long3)", std::to_string(s84.long3));
  row("sand (slot 86 int1)", std::to_string(s86.int1));
  row("start clock (slot 86 int3:int4:int5)",
      clock_text(int64_t{s86.int3} * 3600 + int64_t{s86.int4} * 60 + s86.int5) + "  (" +
          std::to_string(s86.int3) + ", " + std::to_string(s86.int4) + ", " +
          std::to_string(s86.int5) + ")");
  row("format mark (slot 85 int1)",
      std::to_string(s85.int1) +
          (s85.int1 == kGeneralFormatMark ? "" : "  (a compiled file carries 610)"));
  row("scenario code (slot 85 long4)", std::to_string(s85.long4));

  const std::vector<int>& stations = v.stations;
  out << "stations: " << stations.size();
  if (!stations.empty()) out << " (slots 1 to " << stations.back() << ")";
  out << "\n";
  if (!stations.empty()) {
    size_t name_width = 4;
    for (int s : stations) name_width = std::max(name_width, display_text(t[s].text).size());
    out << "  slot  " << pad_right("name", name_width)
        << "  kind  position m  area m             time      flag  int1..int5           "
           "byte1..byte4\n";
    for (int s : stations) {
      const GeneralEntry& e = t[s];
      std::string ints;
      for (int16_t v : {e.int1, e.int2, e.int3, e.int4, e.int5})
        ints += pad_left(std::to_string(v), 4);
      std::string bytes;
      for (uint8_t v : {e.byte1, e.byte2, e.byte3, e.byte4})
        bytes += pad_left(std::to_string(v), 4);
      out << "  " << pad_left(std::to_string(s), 4) << "  "
          << pad_right(display_text(e.text), name_width) << "  "
          << pad_left(std::to_string(e.code), 4) << "  " << pad_left(std::to_string(e.long3), 10)
          << "  " << pad_right(std::to_string(e.long1) + " to " + std::to_string(e.long2), 17)
          << "  " << pad_left(clock_text(e.long4), 8) << "  " << pad_left(std::to_string(e.flag), 4)
          << "  " << pad_right(ints, 20) << " " << bytes << "\n";
    }
  }

  const std::vector<int>& boards = v.boards;
  out << "line-side boards: " << boards.size();
  if (!boards.empty()) out << " (slots " << boards.front() << " down to " << boards.back() << ")";
  out << "\n";
  for (int s : boards) {
    out << "  slot " << pad_left(std::to_string(s), 2) << "  " << display_text(t[s].text)
        << other_fields(t[s], {"text"}) << "\n";
  }

  if (!v.extras.empty()) {
    out << "other fields set:\n";
    for (const std::string& e : v.extras) out << "  " << e << "\n";
  }
}

JsonObject json_entry(int slot, const GeneralEntry& e) {
  JsonObject o;
  o["slot"] = slot;
  for (const EntryField& f : entry_fields()) {
    o[f.name] = f.number == nullptr ? json_text(e.text) : JsonObject(f.number(e));
  }
  if (text_needs_hex(e.text)) o["text_hex"] = hex_bytes(e.text);
  return o;
}

void print_json(const GeneralView& v, std::ostream& out) {
  const GeneralTable& t = v.table;
  const GeneralEntry& s84 = t[GeneralTable::kTrainAndRoute];
  const GeneralEntry& s85 = t[GeneralTable::kScenarioSlot];
  const GeneralEntry& s86 = t[GeneralTable::kTrainSlot];
  JsonObject j;
  j["file"] = json_text(v.file);
  j["kind"] = "general";
  j["bytes"] = v.bytes;
  JsonObject& g = j["general"];
  g["scenario_name"] = json_text(s85.text);
  g["train_number"] = json_text(s86.text);
  g["route_length"] = s84.long2;
  g["progressives"] = JsonObject::array();
  for (int slot = GeneralTable::kProgressiveFirst; slot >= GeneralTable::kProgressiveLast; --slot) {
    const GeneralEntry& p = t[slot];
    g["progressives"].push_back(
        {{"slot", slot}, {"start", p.long1}, {"kilometre_value", p.long2}, {"direction", p.long3}});
  }
  g["background"] = {s85.long1, s85.long2, s85.long3};
  g["signal_repetition"] = {{"start", s86.long1}, {"end", s86.long2}, {"codes", s86.long3}};
  g["brake_mass_percentage"] = s84.long1;
  g["coaches"] = s84.long3;
  g["sand"] = s86.int1;
  g["start_clock"] =
      json_text(clock_text(int64_t{s86.int3} * 3600 + int64_t{s86.int4} * 60 + s86.int5));
  g["format_mark"] = s85.int1;
  g["scenario_code"] = s85.long4;
  j["stations"] = JsonObject::array();
  for (int s : v.stations) {
    const GeneralEntry& e = t[s];
    j["stations"].push_back({{"slot", s},
                             {"name", json_text(e.text)},
                             {"kind", e.code},
                             {"position", e.long3},
                             {"area", {e.long1, e.long2}},
                             {"time", json_text(clock_text(e.long4))},
                             {"seconds", e.long4}});
  }
  j["boards"] = JsonObject::array();
  for (int s : v.boards) j["boards"].push_back({{"slot", s}, {"text", json_text(t[s].text)}});
  j["slots"] = JsonObject::array();
  for (int s = 0; s < GeneralTable::kSlots; ++s) j["slots"].push_back(json_entry(s, t[s]));
  out << j.dump() << "\n";
}

}  // namespace scenario
