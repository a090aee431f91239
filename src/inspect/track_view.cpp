#include "inspect/track_view.h"

#include "format/marks.h"
#include "format/track_image.h"
#include "inspect/json_text.h"
#include "inspect/text_columns.h"

namespace scenario {
namespace {

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

struct RunKind {
  const char* title;
  const char* json_name;
  uint8_t TrackBlock::*mark;
  int scale;
  int offset;
  const char* unit;
};

const RunKind kRunKinds[] = {
    {"speed limit (mark13 x 5 km/h)", "speed_limit_kmh", &TrackBlock::mark13, kSpeedStepKmh, 0,
     " km/h"},
    {"gradient (mark14 - 100 per mille)", "gradient_per_mille", &TrackBlock::mark14, 1,
     -kGradientOffset, " per mille"},
    {"adhesion (mark15)", "adhesion", &TrackBlock::mark15, 1, 0, ""},
    {"mountain (mark12)", "mountain", &TrackBlock::mark12, 1, 0, ""},
};

}  // namespace

TrackView track_view(std::string file, size_t bytes, std::vector<TrackBlock> blocks) {
  TrackView v;
  v.file = std::move(file);
  v.bytes = bytes;
  v.blocks = std::move(blocks);
  if (v.blocks.size() > kMarkBlock) {
    v.format_mark = v.blocks[kMarkBlock].value1;
    v.scenario_code = v.blocks[kMarkBlock].value2;
  }
  for (size_t i = 0; i < v.blocks.size(); ++i) {
    const TrackBlock& b = v.blocks[i];
    if (b.code != 0) {
      v.items.push_back(
          {static_cast<int64_t>(i), b.code, block_code_meaning(b.code), block_arguments(b)});
    }
    if (b.mark11 != 0) v.approach_marks.push_back({static_cast<int64_t>(i), b.mark11});
  }
  for (const RunKind& k : kRunKinds) {
    v.runs.push_back(
        {k.title, k.json_name, k.scale, k.offset, k.unit, mark_runs(v.blocks, k.mark)});
  }
  return v;
}

void print_text(const TrackView& v, std::ostream& out) {
  const auto last = static_cast<int64_t>(v.blocks.size()) - 1;
  out << v.file << ": track array, " << v.blocks.size() << " blocks (0 to " << last << ", 0 m to "
      << last * kBlockMetres << " m), " << v.bytes << " bytes\n";
  if (v.format_mark) {
    out << "  format mark (block 1 value1)    " << *v.format_mark
        << (*v.format_mark == kTrackFormatMark
                ? ""
                : "  (a compiled file carries " + std::to_string(kTrackFormatMark) + ")")
        << "\n";
    out << "  scenario code (block 1 value2)  " << *v.scenario_code << "\n";
  } else {
    out << "  no block 1: no format mark, no scenario code\n";
  }
  out << "blocks with a code: " << v.items.size() << "\n";
  if (!v.items.empty()) {
    out << "  position m   block  code  meaning                    arguments\n";
    for (const TrackItem& item : v.items) {
      out << "  " << pad_left(std::to_string(item.block * kBlockMetres), 10) << "  "
          << pad_left(std::to_string(item.block), 6) << "  "
          << pad_left(std::to_string(item.code), 4) << "  "
          << pad_right(item.meaning != nullptr ? item.meaning : "unknown code", 25) << "  "
          << item.arguments << "\n";
    }
  }
  for (const MarkRuns& m : v.runs) {
    out << m.title << ":\n";
    for (const Run& r : m.runs) {
      out << "  from " << r.first_block * kBlockMetres << " m to " << r.last_block * kBlockMetres
          << " m: " << r.value * m.scale + m.offset << m.unit;
      if (m.offset != 0 && r.value == 0) out << " (mark 0: not set)";
      out << "\n";
    }
  }
  // Approach marks stand on blocks without a code, so they get their own list.
  std::string marks;
  int on_line = 0;
  for (const auto& [block, mark] : v.approach_marks) {
    if (on_line == 8) {
      marks += "\n";
      on_line = 0;
    }
    marks += (on_line == 0 ? "  " : ", ") + std::to_string(block * kBlockMetres) +
             " m: " + std::to_string(mark);
    ++on_line;
  }
  out << "approach marks (mark11):" << (marks.empty() ? " none" : "\n" + marks) << "\n";
}

void print_json(const TrackView& v, std::ostream& out) {
  JsonObject j;
  j["file"] = json_text(v.file);
  j["kind"] = "track";
  j["bytes"] = v.bytes;
  j["block_metres"] = kBlockMetres;
  j["format_mark"] = v.format_mark ? JsonObject(*v.format_mark) : JsonObject(nullptr);
  j["scenario_code"] = v.scenario_code ? JsonObject(*v.scenario_code) : JsonObject(nullptr);
  j["items"] = JsonObject::array();
  for (const TrackItem& item : v.items) {
    j["items"].push_back(
        {{"block", item.block},
         {"position", item.block * kBlockMetres},
         {"code", item.code},
         {"meaning", item.meaning != nullptr ? json_text(item.meaning) : JsonObject(nullptr)}});
  }
  JsonObject& runs = j["runs"] = JsonObject::object();
  for (const MarkRuns& m : v.runs) {
    JsonObject& list = runs[m.json_name] = JsonObject::array();
    for (const Run& r : m.runs) {
      list.push_back({{"from", r.first_block * kBlockMetres},
                      {"to", r.last_block * kBlockMetres},
                      {"value", r.value * m.scale + m.offset}});
    }
  }
  write_open_object(j, out);
  // A block per line, streamed: a long route holds tens of thousands.
  out << ",\"blocks\":[";
  for (size_t i = 0; i < v.blocks.size(); ++i) {
    const TrackBlock& b = v.blocks[i];
    if (i) out << ",\n  ";
    const JsonObject block = {{"block", i},         {"code", b.code},     {"value1", b.value1},
                              {"value2", b.value2}, {"value3", b.value3}, {"value4", b.value4},
                              {"mark10", b.mark10}, {"mark11", b.mark11}, {"mark12", b.mark12},
                              {"mark13", b.mark13}, {"mark14", b.mark14}, {"mark15", b.mark15}};
    out << block.dump();
  }
  out << "]}\n";
}

}  // namespace scenario
