#include "decompile/source_text.h"

#include <stdexcept>

#include "formatter/source_formatter.h"

namespace scenario::decompile {
namespace {

// Rows are put down with bare commas; the formatter then gives every row kind the column form
// that the emitter writes, so that the forms are written down in one place.
std::string value(int64_t v) { return "," + std::to_string(v); }

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
  line(out, "[generale]");
  line(out, "lunghezza percorso" + value(r.route_length));
  const auto progressive = [&](const char* which, const Progressive& p) {
    line(out, std::string("progressiva chilometrica ") + which + value(p.start) + value(p.value) +
                  value(p.direction));
  };
  progressive("uno", r.uno);
  progressive("due", r.due);
  progressive("tre", r.tre);
  line(out, "sfondo uno" + value(r.background_uno));
  line(out, "sfondo due" + value(r.background_due));
  line(out, "sfondo tre" + value(r.background_tre));
  line(out, "ripetizione segnali " + std::to_string(r.repetition_codes) + " codici" +
                value(r.repetition_start) + value(r.repetition_end));
  line(out, "[curve]");
  for (const CurveRow& c : r.curves) {
    std::string k = c.left ? "curvas" : "curvad";
    k += static_cast<char>('0' + c.digit);
    line(out, k + value(c.start) + value(c.length));
  }
  line(out, "[pendenze]");
  for (const Step& g : r.gradients) line(out, "pendenza" + value(g.position) + value(g.value));
  line(out, "[montagne]");
  for (const MountainRow& m : r.mountains) {
    line(out, "montagna" + value(m.start) + value(m.end) + value(m.kind));
  }
  line(out, "[cartelli]");
  for (const SpeedBoardRow& b : r.speed_boards) {
    std::string row = "indicatori_vmax" + value(b.position);
    for (const int32_t v : b.first) row += value(v);
    row += value(b.first_code);
    for (const int32_t v : b.second) row += b.second_empty ? "," : value(v);
    row += value(b.second_code);
    line(out, row);
  }
  line(out, "[indicazioni]");
  for (const BoardRow& b : r.boards) {
    line(out, "cartello_indicatore" + value(b.position) + "," + text_or_throw(b.text));
  }
  line(out, "[fine]");
  return format_source(out, SourceKind::kLine).text;
}

std::string train_source_text(const TrainRows& r) {
  std::string out;
  line(out, "[generale]");
  line(out, "numero vetture" + value(r.coaches));
  line(out, "percentuale massa frenata" + value(r.brake_mass));
  line(out, "sabbia" + value(r.sand));
  // The clock's three numbers stand apart by blanks alone.
  line(out, "orologio," + std::to_string(r.hours) + " " + std::to_string(r.minutes) + " " +
                std::to_string(r.seconds));
  line(out, "[aderenze]");
  for (const Step& a : r.adhesion) line(out, "aderenza" + value(a.position) + value(a.value));
  line(out, "[vel_limite]");
  for (const Step& v : r.speeds) line(out, "velocita" + value(v.position) + value(v.value));
  const auto signal = [&](const SignalRow& s) {
    std::string row = "segnale";
    for (const int32_t f : s.fields) row += value(f);
    line(out, row);
  };
  line(out, "[stazioni]");
  size_t signals = 0;
  for (size_t k = 0; k < r.stations.size(); ++k) {
    // Signals that must be read before this station stand before it.
    if (k < r.signals_before_station.size()) {
      for (; signals < r.signals_before_station[k]; ++signals) signal(r.signals[signals]);
    }
    const StationRow& s = r.stations[k];
    std::string row = "stazione";
    for (const int32_t f : s.fields) row += value(f);
    line(out, row + "," + text_or_throw(s.name));
  }
  line(out, "[rallentamenti]");
  for (const SlowdownRow& s : r.slowdowns) {
    std::string row = "rallentamento";
    for (const int32_t f : s.fields) row += value(f);
    line(out, row);
  }
  line(out, "[segnali]");
  for (; signals < r.signals.size(); ++signals) signal(r.signals[signals]);
  line(out, "[codici]");
  for (const Step& c : r.code_cuts) line(out, "abbattimento" + value(c.position) + value(c.value));
  line(out, "[fine]");
  return format_source(out, SourceKind::kTrain).text;
}

}  // namespace scenario::decompile
