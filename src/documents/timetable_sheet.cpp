#include "documents/timetable_sheet.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "documents/document_cells.h"
#include "emitter/content/form_rows.h"
#include "inspect/display_text.h"

namespace scenario::documents {
namespace {

constexpr std::string_view kEmptyRow = content::kSheetEmptyRow;
constexpr std::string_view kUnderline = content::kSheetUnderline;

// How far a speed change may lie from a station and still be shown on the station's row, and a
// board from a speed change to name its place; a change of kilometrage within kChangeReach of
// a station is shown at the station.
constexpr int64_t kSpeedAtStation = 50;
constexpr int64_t kBoardReach = 200;
constexpr int64_t kChangeReach = 500;

struct Entry {
  int64_t position = 0;
  bool station = false;
  std::optional<int> kmh;
  std::optional<int> running_kmh;  // the run's highest speed up to the next row with a limit
  std::string location;            // the cell's 28 characters
  std::string time = std::string(16, ' ');
  std::string rec = std::string(5, ' ');
  int64_t km = 0;
  // A change of kilometrage: the old and the new kilometre, shown in three rows.
  std::optional<std::pair<int64_t, int64_t>> change;
};

// The words of text that fit in width characters (the first word cut when even it is longer).
std::string whole_words(const std::string& text, size_t width) {
  if (text.size() <= width) return text;
  const size_t blank = text.rfind(' ', width);
  return blank == std::string::npos || blank == 0 ? text.substr(0, width) : text.substr(0, blank);
}

std::string speed_cell(const std::optional<int>& kmh) {
  return kmh ? cell_ending(std::to_string(*kmh), 3, 5) : std::string(5, ' ');
}

std::string table_row(const std::optional<int>& kmh, const std::optional<int>& running_kmh,
                      const std::string& progressive, const std::string& location,
                      const std::string& time, const std::string& rec) {
  return " |" + speed_cell(kmh) + "|" + speed_cell(running_kmh) + "|" +
         cell_ending(progressive, 7, 10) + "|" + speed_cell(kmh) + "|" + location + "|" + time +
         "|" + rec + "|";
}

// A time ending at the cell's fifteenth character, its "+" after it.
std::string right_time(int64_t seconds, std::string into = std::string(16, ' ')) {
  std::string t = clock_time(seconds);
  const bool half = t.back() == '+';
  if (half) t.pop_back();
  put(into, 15 - t.size(), t + (half ? "+" : " "));
  return into;
}

// A computed time in whole seconds; clock_time then rounds it down to the half minute, as it
// does the scheduled ones.
int64_t whole_seconds(double seconds) { return static_cast<int64_t>(std::floor(seconds)); }

// The computed times of the stations. Of a timetable run, each station's arrival or passing
// time in a section it keeps; of the fastest run, and in a section that cannot be kept, the
// section's margin shared over its running time in proportion, so that the times meet the
// scheduled one at the section's end. Stations outside every section keep the fastest run's
// times.
std::vector<std::optional<double>> computed_arrivals(const timing::RunResult& r) {
  std::vector<std::optional<double>> at(r.stations.size());
  for (size_t k = 0; k < r.stations.size(); ++k) at[k] = r.stations[k].fastest_arrival;
  for (const timing::Section& sec : r.sections) {
    const timing::StationTimes& a = r.stations[sec.from];
    const timing::StationTimes& b = r.stations[sec.to];
    const double reach =
        b.scheduled_arrival ? *b.scheduled_arrival : b.scheduled_departure.value_or(0) - b.dwell;
    if (r.kind != timing::RunKind::kFastest && sec.feasible) {
      for (size_t k = sec.from + 1; k < sec.to; ++k) at[k] = r.stations[k].arrival;
      // The run arrives within a second of the scheduled arrival, a few tenths early at most,
      // which rounding down to the half minute would turn into half a minute.
      at[sec.to] = reach;
      continue;
    }
    if (!a.scheduled_departure || !a.fastest_departure || !b.fastest_arrival) continue;
    const double leave = *a.scheduled_departure;
    const double running = *b.fastest_arrival - *a.fastest_departure;
    for (size_t k = sec.from + 1; k <= sec.to; ++k) {
      const auto& f = r.stations[k].fastest_arrival;
      if (!f) continue;
      const double share = running > 0 ? (*f - *a.fastest_departure) / running : 1;
      at[k] = leave + share * (reach - leave);
    }
  }
  return at;
}

std::vector<std::string> header(const SheetInput& s, std::vector<std::string>& warnings) {
  const auto& names = s.facts.station_names;
  const std::string origin = names.empty() ? "" : names.front();
  const std::string destination = names.empty() ? "" : names.back();
  double top = 0;
  const double from = s.run.stations.front().stop, to = s.run.stations.back().stop;
  for (const auto& l : s.run.limits) {
    if (l.to > from && l.from <= to) top = std::max(top, l.kmh);
  }
  std::vector<std::string> rows = {
      "",
      "",
      "  ___________________                                               ______________",
      " |                   |                    SCHEDA                   |              |",
      " |                   |                                             |              |",
      " |___________________|                                             |              |",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |",
      " |                   |              |                   |",
      " |___________________|              |___________________|",
      "",
      "  " + std::string(80, '_'),
      std::string(content::kSheetHeadings[0]),
      std::string(content::kSheetHeadings[1]),
      std::string(kUnderline),
  };
  put(rows[4], 5, "TRENO n." + fitted(s.id.train, 16 - 8, "the train number", warnings));
  put(rows[4], 41,
      "da: " + fitted(origin, kSheetHeaderNameWidth, "the origin's name in the header", warnings));
  put(rows[5], 42,
      "a: " + fitted(destination, kSheetHeaderNameWidth, "the destination's name in the header",
                     warnings));
  put(rows[4], 72, "V" + std::to_string(static_cast<int>(std::lround(top))));
  put(rows[5], 73, std::to_string(static_cast<int>(std::lround(s.in.brake_percent))) + "%");
  // The blocked mass: the train model's mass braked at the scenario's percentage, to 10 t.
  const double blocked = s.run.mass_t * s.in.brake_percent / 100;
  put(rows[9], 43, std::to_string(static_cast<long long>(std::lround(blocked / 10)) * 10) + "T");
  return rows;
}

}  // namespace

Document timetable_sheet(const SheetInput& s) {
  Document d;
  const timing::RunResult& r = s.run;
  const auto& kms = s.facts.kilometrage;
  const auto km_at = [&](int64_t x) { return kilometre_by(progressive_at(kms, x), x); };
  d.rows = header(s, d.warnings);

  std::vector<Entry> entries;
  const std::vector<std::optional<double>> arrival = computed_arrivals(r);
  const size_t last = r.stations.size() - 1;
  for (size_t k = 0; k <= last; ++k) {
    const timing::StationTimes& st = r.stations[k];
    Entry e;
    e.station = true;
    e.position = static_cast<int64_t>(std::llround(st.position));
    e.km = km_at(e.position);
    const std::string name = k < s.facts.station_names.size() ? s.facts.station_names[k] : "";
    e.location = cell(fitted(name, kSheetNameWidth, "the station name", d.warnings), 1, 28);
    if (k == 0) {
      e.time = right_time(static_cast<int64_t>(st.scheduled_departure.value_or(r.start)));
    } else if (k == last) {
      if (st.scheduled_arrival) {
        e.time = right_time(static_cast<int64_t>(*st.scheduled_arrival));
      } else if (arrival[k]) {
        e.time = right_time(whole_seconds(*arrival[k]));
      }
    } else if (st.scheduled_departure) {
      if (arrival[k]) e.time = cell(clock_time(whole_seconds(*arrival[k])), 1, 16);
      e.time = right_time(static_cast<int64_t>(*st.scheduled_departure), e.time);
    } else if (arrival[k]) {
      e.time = cell(clock_time(whole_seconds(*arrival[k])), 7, 16);
    }
    entries.push_back(e);
  }
  for (const timing::Section& sec : r.sections) {
    entries[sec.to].rec = cell(margin_cell_text(sec.margin), 1, 5);
    if (!sec.feasible) {
      d.warnings.push_back("the section " + display_text(s.facts.station_names[sec.from]) + " - " +
                           display_text(s.facts.station_names[sec.to]) +
                           " cannot be kept: its margin is " + margin_text(sec.margin) +
                           " min; the computed times within it are squeezed to meet the "
                           "scheduled one");
    }
  }

  // The speed limit along the run, per block and no higher than the train's own maximum; the
  // origin's row carries the limit it starts under.
  const auto limit = [&](int64_t b) {
    const auto i = static_cast<size_t>(
        std::clamp<int64_t>(b, 0, static_cast<int64_t>(s.in.limit_kmh.size()) - 1));
    const double v = s.in.limit_kmh.empty() ? 0 : s.in.limit_kmh[i];
    return static_cast<int>(std::lround(std::min(v, s.model.max_speed_kmh)));
  };
  const int64_t first_block = entries.front().position / kBlockMetres;
  const int64_t last_block = entries.back().position / kBlockMetres;
  entries.front().kmh = limit(first_block);
  std::vector<Entry> speeds;
  for (int64_t b = first_block + 1; b <= last_block; ++b) {
    if (limit(b) == limit(b - 1)) continue;
    const int64_t x = b * kBlockMetres;
    Entry* at_station = nullptr;
    for (Entry& e : entries) {
      if (std::llabs(e.position - x) <= kSpeedAtStation && !e.kmh) at_station = &e;
    }
    if (at_station) {
      at_station->kmh = limit(b);
      continue;
    }
    Entry e;
    e.position = x;
    e.kmh = limit(b);
    e.km = km_at(x);
    const Board* near = nullptr;
    for (const Board& board : s.facts.boards) {
      const int64_t off = std::llabs(board.position - x);
      if (off <= kBoardReach && (!near || off < std::llabs(near->position - x))) near = &board;
    }
    // A place's description is for orientation: a long board text keeps the words that fit,
    // without a warning.
    e.location = cell(near ? whole_words(near->text, 21) : board_kilometre_text(e.km), 6, 28);
    speeds.push_back(e);
  }

  // Where the kilometrage changes: the station nearest the change shows the old and the new
  // kilometre of its own position; with no station near, the change stands on its own.
  std::vector<Entry> changes;
  for (const timing::Progressive& p : kms) {
    const int64_t c = p.start;
    if (c <= entries.front().position || c > entries.back().position) continue;
    const auto before = progressive_at(kms, c - 1);
    const auto after = progressive_at(kms, c);
    if (before && after && before->start == after->start) continue;
    Entry* station = nullptr;
    for (Entry& e : entries) {
      const int64_t off = std::llabs(e.position - c);
      if (off <= kChangeReach && !e.change && (!station || off < std::llabs(station->position - c)))
        station = &e;
    }
    if (station) {
      station->change = {kilometre_by(before, station->position),
                         kilometre_by(after, station->position)};
      continue;
    }
    Entry e;
    e.position = c;
    e.location = cell("Cambio progressiva", 6, 28);
    e.change = {kilometre_by(before, c), kilometre_by(after, c)};
    changes.push_back(e);
  }
  entries.insert(entries.end(), speeds.begin(), speeds.end());
  entries.insert(entries.end(), changes.begin(), changes.end());
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.position < b.position; });

  // The running speed beside each limit: the highest speed of the chosen run from that row to
  // the next row with a limit, in the 5 km/h steps of the limits and never above the limit.
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].kmh) continue;
    size_t next = i + 1;
    while (next < entries.size() && !entries[next].kmh) ++next;
    const double from = static_cast<double>(entries[i].position);
    const double to = static_cast<double>(next < entries.size() ? entries[next].position
                                                                : entries.back().position);
    double top = 0;
    for (const timing::ProfilePoint& p : s.run.profile) {
      if (p.position >= from && p.position <= to) top = std::max(top, p.kmh);
    }
    // A hair's tolerance, so that a run held at its limit shows the limit.
    const int stepped = static_cast<int>(std::floor(top / 5 + 1e-3)) * 5;
    if (stepped > 0) entries[i].running_kmh = std::min(stepped, *entries[i].kmh);
  }

  const std::string blank_location(28, ' ');
  for (const Entry& e : entries) {
    d.rows.emplace_back(kEmptyRow);
    if (e.change) {
      d.rows.push_back(table_row(std::nullopt, std::nullopt, kilometre_text(e.change->first),
                                 blank_location, std::string(16, ' '), std::string(5, ' ')));
      d.rows.push_back(table_row(e.kmh, e.running_kmh, "------", e.location, e.time, e.rec));
      d.rows.push_back(table_row(std::nullopt, std::nullopt, kilometre_text(e.change->second),
                                 blank_location, std::string(16, ' '), std::string(5, ' ')));
    } else {
      d.rows.push_back(
          table_row(e.kmh, e.running_kmh, kilometre_text(e.km), e.location, e.time, e.rec));
    }
  }
  d.rows.emplace_back(kEmptyRow);
  d.rows.emplace_back(kUnderline);
  d.rows.emplace_back("");
  return d;
}

}  // namespace scenario::documents
