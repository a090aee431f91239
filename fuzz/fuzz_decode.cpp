// Fuzz target: the decoders of the compiled files, as scenario-tool inspect runs them.
//
// Input: one byte that picks the decoder (curve, general, track; modulo 3), then the file's
// bytes. Besides the sanitizers it checks that an error points inside the file, and that a
// file the decoder accepts is written back byte for byte by the image writers: the decoders
// and the writers agree on the layout.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "format/coding.h"
#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/track_image.h"
#include "inspect/clock_text.h"
#include "inspect/display_text.h"
#include "inspect/mark_runs.h"
#include "inspect/plan_summary.h"

namespace {

using scenario::StringSink;

[[noreturn]] void broken(const char* what) {
  std::fprintf(stderr, "decoder broke its contract: %s\n", what);
  std::abort();
}

template <typename T>
bool accepted(const scenario::Decoded<T>& d, std::string_view bytes) {
  if (d.ok()) return true;
  if (d.error().offset > bytes.size()) broken("an error offset past the end of the file");
  if (d.error().message.empty()) broken("an error without a message");
  return false;
}

void curve(std::string_view bytes) {
  const auto d = scenario::decode_curve(bytes);
  if (!accepted(d, bytes)) return;
  StringSink out;
  scenario::write_curve_image(out, d.value());
  if (out.bytes != bytes) broken("a curve file does not write back the same");
  const scenario::PlanSummary plan = scenario::summarize_plan(d.value());
  for (const scenario::PlanCurve& c : plan.curves) {
    if (c.start < 0 || c.length < 0 || c.start > plan.last_metre) broken("a curve off the plan");
  }
  (void)scenario::has_point(d.value(), plan.last_metre);
}

void general(std::string_view bytes) {
  const auto d = scenario::decode_general(bytes);
  if (!accepted(d, bytes)) return;
  const scenario::GeneralTable& table = d.value();
  StringSink out;
  scenario::write_general_image(out, table);
  if (out.bytes != bytes) broken("a general file does not write back the same");
  for (int slot : scenario::station_slots(table)) {
    (void)scenario::clock_text(table[slot].long4);
    (void)scenario::display_text(table[slot].text);
  }
  for (int slot : scenario::board_slots(table)) (void)scenario::display_text(table[slot].text);
  for (const scenario::EntryField& f : scenario::entry_fields()) {
    if (f.number != nullptr) (void)f.number(table[0]);
  }
}

void track(std::string_view bytes) {
  const auto d = scenario::decode_track(bytes);
  if (!accepted(d, bytes)) return;
  StringSink out;
  for (const scenario::TrackBlock& b : d.value()) scenario::write_track_block(out, b);
  if (out.bytes != bytes) broken("a track file does not write back the same");
  for (const scenario::TrackBlock& b : d.value()) (void)scenario::block_code_meaning(b.code);
  const auto runs = scenario::mark_runs(d.value(), &scenario::TrackBlock::mark13);
  int64_t next = 0;
  for (const scenario::Run& r : runs) {
    if (r.first_block != next || r.last_block < r.first_block) broken("runs do not tile");
    next = r.last_block + 1;
  }
  if (next != static_cast<int64_t>(d.value().size())) broken("runs do not cover the track");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      curve(bytes);
      break;
    case 1:
      general(bytes);
      break;
    default:
      track(bytes);
      break;
  }
  return 0;
}
