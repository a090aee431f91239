#include "tool/inspect_command.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "format/curve_image.h"
#include "format/file_names.h"
#include "format/general_image.h"
#include "format/marks.h"
#include "format/track_image.h"
#include "inspect/clock_text.h"
#include "inspect/display_text.h"
#include "inspect/mark_runs.h"
#include "inspect/plan_summary.h"
#include "tool/json_writer.h"
#include "tool/read_bytes.h"

namespace scenario::tool {
namespace {

constexpr const char* kInspectUsage = "usage: scenario-tool inspect [--json] FILE...";

std::string fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

std::string pad_left(const std::string& s, size_t width) {
  return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string pad_right(const std::string& s, size_t width) {
  return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

// Shortest text that reads back to the same double; non-finite values, which JSON cannot
// hold, go out as their bit pattern in a string.
std::string json_double(double v) {
  if (!std::isfinite(v)) {
    uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    char buf[32];
    std::snprintf(buf, sizeof buf, "\"0x%016llx\"", static_cast<unsigned long long>(u));
    return buf;
  }
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

// json_string maps the five bytes that Windows-1252 leaves undefined to U+FFFD; a text that
// holds one also goes out as hex so that the JSON still carries every byte.
bool text_needs_hex(std::string_view text) {
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) return true;
  }
  return false;
}

std::string hex_bytes(std::string_view text) {
  static const char* kDigits = "0123456789abcdef";
  std::string out;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

// A kilometre value in metres as the line's "km 75+700".
std::string km_text(int64_t metres) {
  const std::string sign = metres < 0 ? "-" : "";
  const int64_t a = metres < 0 ? -metres : metres;
  const std::string rest = std::to_string(a % 1000);
  return "km " + sign + std::to_string(a / 1000) + "+" + std::string(3 - rest.size(), '0') + rest;
}

// ---------------------------------------------------------------- general table (.sim)

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

void print_general(const std::string& file, size_t size, const GeneralTable& t, std::ostream& out) {
  const GeneralEntry& s84 = t[GeneralTable::kTrainAndRoute];
  const GeneralEntry& s85 = t[GeneralTable::kScenarioSlot];
  const GeneralEntry& s86 = t[GeneralTable::kTrainSlot];
  out << file << ": general table, " << GeneralTable::kSlots << " slots, " << size << " bytes\n";
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

  const std::vector<int> stations = station_slots(t);
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

  const std::vector<int> boards = board_slots(t);
  out << "line-side boards: " << boards.size();
  if (!boards.empty()) out << " (slots " << boards.front() << " down to " << boards.back() << ")";
  out << "\n";
  for (int s : boards) {
    out << "  slot " << pad_left(std::to_string(s), 2) << "  " << display_text(t[s].text)
        << other_fields(t[s], {"text"}) << "\n";
  }

  // Whatever the meanings above leave out, so that nothing set in the file goes unseen.
  std::vector<std::string> extras;
  for (int s = 0; s <= GeneralTable::kFirstBoardSlot; ++s) {
    const bool listed = (s >= 1 && s <= static_cast<int>(stations.size())) ||
                        (!boards.empty() && s <= boards.front() && s >= boards.back());
    if (!listed && !entry_is_empty(t[s])) {
      extras.push_back("slot " + std::to_string(s) + ":" + other_fields(t[s], {}));
    }
  }
  for (const Meaning& m : general_meanings()) {
    const std::string o = other_fields(t[m.slot], m.fields);
    if (!o.empty()) extras.push_back("slot " + std::to_string(m.slot) + ":" + o);
  }
  if (!extras.empty()) {
    out << "other fields set:\n";
    for (const std::string& e : extras) out << "  " << e << "\n";
  }
}

std::string json_entry(int slot, const GeneralEntry& e) {
  std::string o = "{\"slot\": " + std::to_string(slot);
  for (const EntryField& f : entry_fields()) {
    o += ", \"";
    o += f.name;
    o += "\": ";
    o += f.number == nullptr ? json_string(e.text) : std::to_string(f.number(e));
  }
  if (text_needs_hex(e.text)) o += ", \"text_hex\": \"" + hex_bytes(e.text) + "\"";
  return o + "}";
}

void print_general_json(const std::string& file, size_t size, const GeneralTable& t,
                        std::ostream& out) {
  const GeneralEntry& s84 = t[GeneralTable::kTrainAndRoute];
  const GeneralEntry& s85 = t[GeneralTable::kScenarioSlot];
  const GeneralEntry& s86 = t[GeneralTable::kTrainSlot];
  std::string o = "{\"file\": " + json_string(file) +
                  ", \"kind\": \"general\", \"bytes\": " + std::to_string(size);
  o += ", \"general\": {\"scenario_name\": " + json_string(s85.text);
  o += ", \"train_number\": " + json_string(s86.text);
  o += ", \"route_length\": " + std::to_string(s84.long2);
  o += ", \"progressives\": [";
  for (int slot = GeneralTable::kProgressiveFirst; slot >= GeneralTable::kProgressiveLast; --slot) {
    const GeneralEntry& p = t[slot];
    if (slot != GeneralTable::kProgressiveFirst) o += ", ";
    o += "{\"slot\": " + std::to_string(slot) + ", \"start\": " + std::to_string(p.long1) +
         ", \"kilometre_value\": " + std::to_string(p.long2) +
         ", \"direction\": " + std::to_string(p.long3) + "}";
  }
  o += "], \"background\": [" + std::to_string(s85.long1) + ", " + std::to_string(s85.long2) +
       ", " + std::to_string(s85.long3) + "]";
  o += ", \"signal_repetition\": {\"start\": " + std::to_string(s86.long1) +
       ", \"end\": " + std::to_string(s86.long2) + ", \"codes\": " + std::to_string(s86.long3) +
       "}";
  o += ", \"brake_mass_percentage\": " + std::to_string(s84.long1);
  o += ", \"coaches\": " + std::to_string(s84.long3);
  o += ", \"sand\": " + std::to_string(s86.int1);
  o += ", \"start_clock\": " +
       json_string(clock_text(int64_t{s86.int3} * 3600 + int64_t{s86.int4} * 60 + s86.int5));
  o += ", \"format_mark\": " + std::to_string(s85.int1);
  o += ", \"scenario_code\": " + std::to_string(s85.long4) + "}";
  o += ", \"stations\": [";
  bool first = true;
  for (int s : station_slots(t)) {
    const GeneralEntry& e = t[s];
    if (!first) o += ", ";
    first = false;
    o += "{\"slot\": " + std::to_string(s) + ", \"name\": " + json_string(e.text) +
         ", \"kind\": " + std::to_string(e.code) + ", \"position\": " + std::to_string(e.long3) +
         ", \"area\": [" + std::to_string(e.long1) + ", " + std::to_string(e.long2) +
         "], \"time\": " + json_string(clock_text(e.long4)) +
         ", \"seconds\": " + std::to_string(e.long4) + "}";
  }
  o += "], \"boards\": [";
  first = true;
  for (int s : board_slots(t)) {
    if (!first) o += ", ";
    first = false;
    o += "{\"slot\": " + std::to_string(s) + ", \"text\": " + json_string(t[s].text) + "}";
  }
  o += "], \"slots\": [";
  for (int s = 0; s < GeneralTable::kSlots; ++s) {
    if (s) o += ",\n  ";
    o += json_entry(s, t[s]);
  }
  o += "]}";
  out << o << "\n";
}

// ---------------------------------------------------------------- track array (.dat)

std::string block_arguments(const TrackBlock& b) {
  std::string args;
  bool shown[5] = {};  // value1..value4, mark10
  const auto named = [&](int field, const std::string& text) {
    shown[field] = true;
    args += (args.empty() ? "" : ", ") + text;
  };
  switch (b.code) {
    case kSignal:
      named(0, "value1 " + std::to_string(b.value1));
      named(1, "value2 " + std::to_string(b.value2));
      named(2, "value3 " + std::to_string(b.value3));
      named(3, "value4 " + std::to_string(b.value4));
      named(4, "mark10 " + std::to_string(b.mark10));
      break;
    case kSlowdownEnd:
    case kSlowdownStart:
    case kSlowdownWarning:
      named(0, "speed " + std::to_string(b.value1) + " km/h");
      break;
    case kPreWarning:
      named(0, "step " + std::to_string(b.value1) + " of 4");
      break;
    case kSpeedBoard:
      named(0, "value1 " + std::to_string(b.value1));
      named(1, "value2 " + std::to_string(b.value2));
      named(2, "value3 " + std::to_string(b.value3));
      named(3, "value4 " + std::to_string(b.value4));
      break;
    case kStopMarker:
      named(0, "station slot " + std::to_string(b.value1));
      break;
    case kCodeCutValue:
      named(0, "value " + std::to_string(b.value1));
      break;
    case kIndicationBoard:
      named(0, "text slot " + std::to_string(b.value1));
      break;
    default:
      break;
  }
  const int values[5] = {b.value1, b.value2, b.value3, b.value4, b.mark10};
  const char* names[5] = {"value1", "value2", "value3", "value4", "mark10"};
  for (int i = 0; i < 5; ++i) {
    if (!shown[i] && values[i] != 0) {
      args += (args.empty() ? "" : ", ") + std::string(names[i]) + " " + std::to_string(values[i]);
    }
  }
  return args;
}

std::string code_meaning(uint8_t code) {
  const char* m = block_code_meaning(code);
  return m != nullptr ? m : "unknown code";
}

struct RunView {
  const char* title;
  const char* json_name;
  uint8_t TrackBlock::*mark;
  int scale;
  int offset;
  const char* unit;
};

const RunView kRunViews[] = {
    {"speed limit (mark13 x 5 km/h)", "speed_limit_kmh", &TrackBlock::mark13, 5, 0, " km/h"},
    {"gradient (mark14 - 100 per mille)", "gradient_per_mille", &TrackBlock::mark14, 1, -100,
     " per mille"},
    {"adhesion (mark15)", "adhesion", &TrackBlock::mark15, 1, 0, ""},
    {"mountain (mark12)", "mountain", &TrackBlock::mark12, 1, 0, ""},
};

void print_track(const std::string& file, size_t size, const std::vector<TrackBlock>& blocks,
                 std::ostream& out) {
  const auto last = static_cast<int64_t>(blocks.size()) - 1;
  out << file << ": track array, " << blocks.size() << " blocks (0 to " << last << ", 0 m to "
      << last * kBlockMetres << " m), " << size << " bytes\n";
  if (blocks.size() > 1) {
    out << "  format mark (block 1 value1)    " << blocks[1].value1
        << (blocks[1].value1 == kTrackFormatMark
                ? ""
                : "  (a compiled file carries " + std::to_string(kTrackFormatMark) + ")")
        << "\n";
    out << "  scenario code (block 1 value2)  " << blocks[1].value2 << "\n";
  } else {
    out << "  no block 1: no format mark, no scenario code\n";
  }
  int64_t coded = 0;
  for (const TrackBlock& b : blocks) coded += b.code != 0;
  out << "blocks with a code: " << coded << "\n";
  if (coded > 0) {
    out << "  position m   block  code  meaning                    arguments\n";
    for (size_t i = 0; i < blocks.size(); ++i) {
      const TrackBlock& b = blocks[i];
      if (b.code == 0) continue;
      const auto bi = static_cast<int64_t>(i);
      out << "  " << pad_left(std::to_string(bi * kBlockMetres), 10) << "  "
          << pad_left(std::to_string(bi), 6) << "  " << pad_left(std::to_string(b.code), 4) << "  "
          << pad_right(code_meaning(b.code), 25) << "  " << block_arguments(b) << "\n";
    }
  }
  for (const RunView& v : kRunViews) {
    out << v.title << ":\n";
    for (const Run& r : mark_runs(blocks, v.mark)) {
      out << "  from " << r.first_block * kBlockMetres << " m to " << r.last_block * kBlockMetres
          << " m: " << r.value * v.scale + v.offset << v.unit;
      if (v.offset != 0 && r.value == 0) out << " (mark 0: not set)";
      out << "\n";
    }
  }
  // Approach marks stand on blocks without a code, so they get their own list.
  std::string marks;
  int on_line = 0;
  for (size_t i = 0; i < blocks.size(); ++i) {
    if (blocks[i].mark11 == 0) continue;
    if (on_line == 8) {
      marks += "\n";
      on_line = 0;
    }
    marks += (on_line == 0 ? "  " : ", ") + std::to_string(static_cast<int64_t>(i) * kBlockMetres) +
             " m: " + std::to_string(blocks[i].mark11);
    ++on_line;
  }
  out << "approach marks (mark11):" << (marks.empty() ? " none" : "\n" + marks) << "\n";
}

void print_track_json(const std::string& file, size_t size, const std::vector<TrackBlock>& blocks,
                      std::ostream& out) {
  std::string o = "{\"file\": " + json_string(file) +
                  ", \"kind\": \"track\", \"bytes\": " + std::to_string(size) +
                  ", \"block_metres\": " + std::to_string(kBlockMetres);
  if (blocks.size() > 1) {
    o += ", \"format_mark\": " + std::to_string(blocks[1].value1) +
         ", \"scenario_code\": " + std::to_string(blocks[1].value2);
  } else {
    o += ", \"format_mark\": null, \"scenario_code\": null";
  }
  o += ", \"items\": [";
  bool first = true;
  for (size_t i = 0; i < blocks.size(); ++i) {
    const TrackBlock& b = blocks[i];
    if (b.code == 0) continue;
    if (!first) o += ", ";
    first = false;
    const char* m = block_code_meaning(b.code);
    o += "{\"block\": " + std::to_string(i) +
         ", \"position\": " + std::to_string(static_cast<int64_t>(i) * kBlockMetres) +
         ", \"code\": " + std::to_string(b.code) +
         ", \"meaning\": " + (m != nullptr ? json_string(m) : std::string("null")) + "}";
  }
  o += "], \"runs\": {";
  first = true;
  for (const RunView& v : kRunViews) {
    if (!first) o += ", ";
    first = false;
    o += "\"" + std::string(v.json_name) + "\": [";
    bool first_run = true;
    for (const Run& r : mark_runs(blocks, v.mark)) {
      if (!first_run) o += ", ";
      first_run = false;
      o += "{\"from\": " + std::to_string(r.first_block * kBlockMetres) +
           ", \"to\": " + std::to_string(r.last_block * kBlockMetres) +
           ", \"value\": " + std::to_string(r.value * v.scale + v.offset) + "}";
    }
    o += "]";
  }
  o += "}, \"blocks\": [";
  for (size_t i = 0; i < blocks.size(); ++i) {
    const TrackBlock& b = blocks[i];
    if (i) o += ",\n  ";
    o += "{\"block\": " + std::to_string(i) + ", \"code\": " + std::to_string(b.code) +
         ", \"value1\": " + std::to_string(b.value1) + ", \"value2\": " + std::to_string(b.value2) +
         ", \"value3\": " + std::to_string(b.value3) + ", \"value4\": " + std::to_string(b.value4) +
         ", \"mark10\": " + std::to_string(b.mark10) + ", \"mark11\": " + std::to_string(b.mark11) +
         ", \"mark12\": " + std::to_string(b.mark12) + ", \"mark13\": " + std::to_string(b.mark13) +
         ", \"mark14\": " + std::to_string(b.mark14) + ", \"mark15\": " + std::to_string(b.mark15) +
         "}";
  }
  o += "]}";
  out << o << "\n";
}

// ---------------------------------------------------------------- curve table (_linea.dat)

void print_curve(const std::string& file, size_t size, const CurveTable& t, std::ostream& out) {
  const PlanSummary s = summarize_plan(t);
  out << file << ": curve table, E = " << s.last_metre << " (metres 0 to " << s.last_metre
      << " on axes 0 and 1), " << size << " bytes\n";
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

void print_curve_json(const std::string& file, size_t size, const CurveTable& t,
                      std::ostream& out) {
  const PlanSummary s = summarize_plan(t);
  std::string o = "{\"file\": " + json_string(file) +
                  ", \"kind\": \"curve\", \"bytes\": " + std::to_string(size) +
                  ", \"E\": " + std::to_string(s.last_metre);
  o += ", \"cells_per_axis\": {\"integer\": " + std::to_string(s.int16_cells) +
       ", \"double\": " + std::to_string(s.double_cells) +
       ", \"empty\": " + std::to_string(s.empty_cells) + "}";
  if (s.has_points) {
    o += ", \"extent\": {\"x\": [" + json_double(s.min_x) + ", " + json_double(s.max_x) +
         "], \"y\": [" + json_double(s.min_y) + ", " + json_double(s.max_y) + "]}";
  } else {
    o += ", \"extent\": null";
  }
  o += ", \"total_turn_degrees\": " + json_double(s.total_turn_degrees);
  o += ", \"curves\": [";
  for (size_t i = 0; i < s.curves.size(); ++i) {
    const PlanCurve& c = s.curves[i];
    if (i) o += ", ";
    o += "{\"start\": " + std::to_string(c.start) + ", \"length\": " + std::to_string(c.length) +
         ", \"radius\": " + json_double(c.radius) +
         ", \"turn_degrees\": " + json_double(c.turn_degrees) + "}";
  }
  // Each cell as [tag] when empty or [tag, value]: axis 0 first, then axis 1, metre by metre.
  o += "], \"axes\": [";
  for (int axis = 0; axis < 2; ++axis) {
    if (axis) o += ",\n ";
    o += "[";
    const auto& kinds = t.kinds(axis);
    const auto& values = t.values(axis);
    for (size_t m = 0; m < kinds.size(); ++m) {
      if (m) o += m % 8 == 0 ? ",\n  " : ",";
      o += "[" + std::to_string(kinds[m]);
      if (kinds[m] == static_cast<uint8_t>(CellKind::kInt16)) {
        o += "," + std::to_string(static_cast<int16_t>(values[m]));
      } else if (kinds[m] == static_cast<uint8_t>(CellKind::kDouble)) {
        o += "," + json_double(values[m]);
      }
      o += "]";
    }
    o += "]";
  }
  o += "]}";
  out << o << "\n";
}

// ---------------------------------------------------------------- the command

// Decodes and prints one file; false when it could not be read or decoded.
bool inspect_one(const std::string& path, bool json, std::ostream& out, std::ostream& err) {
  std::string bytes;
  std::string problem;
  if (!read_bytes(path, bytes, problem)) {
    err << path << ": " << problem << std::endl;
    return false;
  }
  const auto fail = [&](const DecodeError& e) {
    err << path << ": offset " << e.offset << ": " << e.message << std::endl;
    return false;
  };
  switch (file_kind(path)) {
    case FileKind::kGeneral: {
      const auto d = decode_general(bytes);
      if (!d.ok()) return fail(d.error());
      if (json) {
        print_general_json(path, bytes.size(), d.value(), out);
      } else {
        print_general(path, bytes.size(), d.value(), out);
      }
      return true;
    }
    case FileKind::kTrack: {
      const auto d = decode_track(bytes);
      if (!d.ok()) return fail(d.error());
      if (json) {
        print_track_json(path, bytes.size(), d.value(), out);
      } else {
        print_track(path, bytes.size(), d.value(), out);
      }
      return true;
    }
    case FileKind::kCurve: {
      const auto d = decode_curve(bytes);
      if (!d.ok()) return fail(d.error());
      if (json) {
        print_curve_json(path, bytes.size(), d.value(), out);
      } else {
        print_curve(path, bytes.size(), d.value(), out);
      }
      return true;
    }
    default:
      break;
  }
  return false;
}

}  // namespace

int inspect_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  bool json = false;
  std::vector<std::string> files;
  for (const std::string& a : args) {
    if (a == "--json") {
      json = true;
    } else if (!a.empty() && a[0] == '-') {
      err << "scenario-tool inspect: unknown option '" << a << "'\n" << kInspectUsage << std::endl;
      return 2;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    err << "scenario-tool inspect: FILE is missing\n" << kInspectUsage << std::endl;
    return 2;
  }
  for (const std::string& f : files) {
    if (const FileKind k = file_kind(f);
        k != FileKind::kGeneral && k != FileKind::kTrack && k != FileKind::kCurve) {
      err << "scenario-tool inspect: cannot tell the kind of '" << f
          << "' from its name: a compiled file ends in .sim, .dat or _linea.dat\n"
          << kInspectUsage << std::endl;
      return 2;
    }
  }
  bool all_ok = true;
  for (size_t i = 0; i < files.size(); ++i) {
    if (i > 0 && !json) out << "\n";
    all_ok = inspect_one(files[i], json, out, err) && all_ok;
  }
  out.flush();
  return all_ok ? 0 : 1;
}

}  // namespace scenario::tool
