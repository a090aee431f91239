#include "decompile/source_text.h"

#include <stdexcept>

#include "formatter/source_formatter.h"
#include "source/field_reference.h"

namespace scenario::decompile {
namespace {

// Rows are put down with bare commas; the formatter then gives every row kind the column form
// that the emitter writes, so that the forms are written down in one place.
std::string value(int64_t v) { return "," + std::to_string(v); }

// The keyword of a row kind as the field reference names it.
std::string keyword(RowKindId id) { return std::string(row_kind(id).keyword); }

// The header a row kind is written under, and the last header of a source (its "[fine]").
std::string header(RowKindId id) { return std::string(row_kind(id).section); }
std::string closing_header(SourceKind source) {
  std::string_view last;
  for (const SectionEntry& s : section_entries()) {
    if (s.source == source) last = s.header;
  }
  return std::string(last);
}

std::string text_or_throw(std::string_view text) {
  const std::optional<std::string> f = text_field(text);
  if (!f) throw std::logic_error("a text that no field can hold");
  return *f;
}

void line(std::string& out, const std::string& row) {
  out += row;
  out += "\r\n";
}

}  // namespace

std::optional<std::string> text_field(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  bool quote = text.find_first_of(",\r\n") != std::string_view::npos;
  if (!text.empty() && (blank(text.front()) || blank(text.back()) || text.front() == '"')) {
    quote = true;
  }
  if (!quote) return std::string(text);
  if (text.find('"') != std::string_view::npos) return std::nullopt;
  return "\"" + std::string(text) + "\"";
}

std::string line_source_text(const LineRows& r) {
  std::string out;
  line(out, header(RowKindId::kRouteLength));
  line(out, keyword(RowKindId::kRouteLength) + value(r.route_length));
  const auto progressive = [&](RowKindId id, const Progressive& p) {
    line(out, keyword(id) + value(p.start) + value(p.value) + value(p.direction));
  };
  progressive(RowKindId::kProgressiveUno, r.uno);
  progressive(RowKindId::kProgressiveDue, r.due);
  progressive(RowKindId::kProgressiveTre, r.tre);
  line(out, keyword(RowKindId::kBackgroundUno) + value(r.background_uno));
  line(out, keyword(RowKindId::kBackgroundDue) + value(r.background_due));
  line(out, keyword(RowKindId::kBackgroundTre) + value(r.background_tre));
  // The code count is read from the keyword field itself.
  line(out, keyword(RowKindId::kRepetition) + " " + std::to_string(r.repetition_codes) + " codici" +
                value(r.repetition_start) + value(r.repetition_end));
  line(out, header(RowKindId::kCurve));
  for (const CurveRow& c : r.curves) {
    // The hand and the sharpness are read from the keyword field itself.
    std::string k = keyword(RowKindId::kCurve) + (c.left ? "s" : "d");
    k += static_cast<char>('0' + c.digit);
    line(out, k + value(c.start) + value(c.length));
  }
  line(out, header(RowKindId::kGradient));
  for (const Step& g : r.gradients)
    line(out, keyword(RowKindId::kGradient) + value(g.position) + value(g.value));
  line(out, header(RowKindId::kMountain));
  for (const MountainRow& m : r.mountains) {
    line(out, keyword(RowKindId::kMountain) + value(m.start) + value(m.end) + value(m.kind));
  }
  line(out, header(RowKindId::kSpeedBoard));
  for (const SpeedBoardRow& b : r.speed_boards) {
    std::string row = keyword(RowKindId::kSpeedBoard) + value(b.position);
    for (const int32_t v : b.first) row += value(v);
    row += value(b.first_code);
    for (const int32_t v : b.second) row += b.second_empty ? "," : value(v);
    row += value(b.second_code);
    line(out, row);
  }
  line(out, header(RowKindId::kIndicationBoard));
  for (const BoardRow& b : r.boards) {
    line(out,
         keyword(RowKindId::kIndicationBoard) + value(b.position) + "," + text_or_throw(b.text));
  }
  line(out, closing_header(SourceKind::kLine));
  return format_source(out, SourceKind::kLine).text;
}

std::string train_source_text(const TrainRows& r) {
  std::string out;
  line(out, header(RowKindId::kCoaches));
  line(out, keyword(RowKindId::kCoaches) + value(r.coaches));
  line(out, keyword(RowKindId::kBrakeMass) + value(r.brake_mass));
  line(out, keyword(RowKindId::kSand) + value(r.sand));
  // The clock's three numbers stand apart by blanks alone.
  line(out, keyword(RowKindId::kClock) + "," + std::to_string(r.hours) + " " +
                std::to_string(r.minutes) + " " + std::to_string(r.seconds));
  line(out, header(RowKindId::kAdhesion));
  for (const Step& a : r.adhesion)
    line(out, keyword(RowKindId::kAdhesion) + value(a.position) + value(a.value));
  line(out, header(RowKindId::kSpeed));
  for (const Step& v : r.speeds)
    line(out, keyword(RowKindId::kSpeed) + value(v.position) + value(v.value));
  const auto signal = [&](const SignalRow& s) {
    std::string row = keyword(RowKindId::kSignal);
    for (const int32_t f : s.fields) row += value(f);
    line(out, row);
  };
  line(out, header(RowKindId::kStation));
  size_t signals = 0;
  for (size_t k = 0; k < r.stations.size(); ++k) {
    // Signals that must be read before this station stand before it.
    if (k < r.signals_before_station.size()) {
      for (; signals < r.signals_before_station[k]; ++signals) signal(r.signals[signals]);
    }
    const StationRow& s = r.stations[k];
    std::string row = keyword(RowKindId::kStation);
    for (const int32_t f : s.fields) row += value(f);
    line(out, row + "," + text_or_throw(s.name));
  }
  line(out, header(RowKindId::kSlowdown));
  for (const SlowdownRow& s : r.slowdowns) {
    std::string row = keyword(RowKindId::kSlowdown);
    for (const int32_t f : s.fields) row += value(f);
    line(out, row);
  }
  line(out, header(RowKindId::kSignal));
  for (; signals < r.signals.size(); ++signals) signal(r.signals[signals]);
  line(out, header(RowKindId::kCodeCut));
  for (const Step& c : r.code_cuts)
    line(out, keyword(RowKindId::kCodeCut) + value(c.position) + value(c.value));
  line(out, closing_header(SourceKind::kTrain));
  return format_source(out, SourceKind::kTrain).text;
}

}  // namespace scenario::decompile
