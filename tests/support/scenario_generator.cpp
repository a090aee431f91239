#include "support/scenario_generator.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "model/track_array.h"

namespace scenario::testing {
namespace {

constexpr int32_t kBlockLength = 50;
constexpr int32_t kMaxBoards = 50;
constexpr int32_t kMaxStations = 25;
// Items keep this far from the route's end, so that every block they touch lies on the route.
constexpr int32_t kEndMargin = 600;

// The same numbers on every platform: std distributions are not specified bit for bit.
class Lcg {
 public:
  // Seed 0 is the sequence of the benchmarked scenarios.
  explicit Lcg(uint64_t seed = 0) : state_(0x5CE7A210u ^ (seed * 0x9E3779B97F4A7C15ULL)) {}
  int32_t below(int32_t n) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int32_t>((state_ >> 33) % static_cast<uint64_t>(n));
  }

 private:
  uint64_t state_;
};

// The block that a placer puts an item at position p (a multiple of 50) into.
int64_t block_of(int32_t p) { return p / kBlockLength + 1; }

// Blocks held by the items placed so far, with the room each item needs around it.
class Occupancy {
 public:
  explicit Occupancy(int32_t route_length)
      : taken_(static_cast<size_t>(TrackArray::upper_index_for(route_length)) + 1, false) {}

  bool free(int64_t from, int64_t to) const {
    if (from < 1 || to >= static_cast<int64_t>(taken_.size())) return false;
    for (int64_t b = from; b <= to; ++b) {
      if (taken_[static_cast<size_t>(b)]) return false;
    }
    return true;
  }
  void take(int64_t from, int64_t to) {
    for (int64_t b = from; b <= to; ++b) taken_[static_cast<size_t>(b)] = true;
  }
  // The first position from p to limit, in 50 m steps, whose block has `before` free blocks
  // before it and `after` after it; those blocks are taken. -1 when there is none.
  int32_t place(int32_t p, int32_t limit, int before, int after) {
    for (; p <= limit; p += kBlockLength) {
      const int64_t b = block_of(p);
      if (free(b - before, b + after)) {
        take(b - before, b + after);
        return p;
      }
    }
    return -1;
  }

 private:
  std::vector<bool> taken_;
};

std::string row(std::string_view keyword, std::span<const int32_t> values) {
  std::string r(keyword);
  for (const int32_t v : values) {
    r += ",  ";
    r += std::to_string(v);
  }
  r += "\r\n";
  return r;
}
std::string row(std::string_view keyword, std::initializer_list<int32_t> values) {
  return row(keyword, std::span<const int32_t>(values.begin(), values.size()));
}

std::string two_digits(int32_t v) {
  std::string s = std::to_string(100 + v % 100);
  return s.substr(1);
}

struct Station {
  int32_t position;
  int32_t kind;
  int32_t length;
  // Fields 4 to 16 of a varied row; empty for the plain rows.
  std::vector<int32_t> fields = {};
  std::string name = {};
};

// The end of a station's area, as the train reader derives it.
int32_t area_end(const Station& s, int32_t extension) {
  if (s.kind == 5 || s.kind == 6) return s.position + 150;
  if (s.kind == 7 || s.kind == 8) return s.position + s.length;
  return s.position + s.length / 2 + (extension != 0 ? 50 : 0);
}

struct Slowdown {
  int32_t position;
  std::vector<int32_t> fields;  // fields 2 to 6
};

// Station kinds of the varied scenarios, with a length each kind takes.
constexpr int32_t kVariedKinds[] = {25, 5, 22, 7, 27, 8, 28, 12, 6, 22};
constexpr int32_t kVariedLengths[] = {300, 200, 600, 300, 300, 500, 200, 700, 400, 800};

// The station kinds between the first and the last, as on a real line: mostly passed stations
// (25 and above), a stop now and then (12, 22).
constexpr int32_t kMiddleKinds[] = {25, 27, 22, 28, 25, 27, 12};
int32_t length_of_kind(int32_t kind) {
  switch (kind) {
    case 12:
      return 700;
    case 22:
      return 600;
    case 28:
      return 200;
    default:
      return 300;
  }
}

class Generator {
 public:
  Generator(int32_t km, const GeneratorOptions& o)
      : length_(km * 1000),
        varied_(o.every_row_kind),
        narrowed_(o.every_row_kind && o.narrowed_values),
        shuffled_(o.shuffled_rows),
        taken_(length_),
        random_(o.seed),
        vary_(o.seed + 1),
        shuffle_(o.seed + 2) {}

  GeneratedSources run() {
    // Items that need the most room go first; the others move past them.
    place_stations();
    place_slowdowns();
    place_signals();
    place_speed_boards();
    place_boards();
    if (varied_) place_code_cuts();
    std::sort(signals_.begin(), signals_.end());
    GeneratedSources out;
    out.line = line_source();
    out.train = train_source();
    return out;
  }

 private:
  void place_stations() {
    const int32_t count = std::clamp(length_ / 5000, 2, kMaxStations);
    const int32_t first = 50;
    const int32_t last = length_ - 4500;
    const int32_t spacing = (last - first) / (count - 1) / kBlockLength * kBlockLength;
    for (int32_t i = 0; i < count; ++i) {
      Station s;
      if (i == 0) {
        s = {first, 12, 700};
      } else if (i == count - 1) {
        s = {last, 6, 800};
      } else if (varied_) {
        const size_t at = static_cast<size_t>(i - 1) % std::size(kVariedKinds);
        s = {first + i * spacing, kVariedKinds[at], kVariedLengths[at]};
      } else {
        const int32_t kind = kMiddleKinds[static_cast<size_t>(i - 1) % std::size(kMiddleKinds)];
        s = {first + i * spacing, kind, length_of_kind(kind)};
      }
      if (varied_) vary_station(s, i, i == count - 1);
      const int32_t extension = s.fields.empty() ? 0 : s.fields[2];
      // Only kinds below 25 put a stop marker on the track, one block before the area's end.
      if (s.kind < 25) {
        const int64_t stop = area_end(s, extension) / kBlockLength - 1;
        taken_.take(stop - 1, stop + 1);
      }
      stations_.push_back(s);
    }
  }

  void place_slowdowns() {
    const int32_t count = std::max(1, length_ / 50000);
    for (int32_t i = 0; i < count; ++i) {
      const int32_t nominal = (2 * i + 1) * (length_ / (2 * count)) / kBlockLength * kBlockLength;
      Slowdown sd{0, {100, 1200, 0, 1, 100}};
      if (varied_) {
        static constexpr int32_t kSpeeds[] = {100, 60, 120, 30, 110};
        static constexpr int32_t kLengths[] = {1200, 800, 1600, 450};
        // The first one always with its pre-warning run.
        sd.fields = {pick(kSpeeds), pick(kLengths), vary_.below(4), i == 0 ? 1 : vary_.below(2),
                     vary_.below(3) == 0 ? 0 : 7 + vary_.below(200)};
      }
      const int32_t length = sd.fields[1];
      // The warning 1200 m before, the end after the slowdown; the compiler looks 20 blocks back
      // from the warning for signals and 12 blocks on from the end: all of it stays clear.
      const int64_t before = block_of(nominal) - block_of(nominal - 1200) + 22;
      const int64_t after = block_of(nominal + length) - block_of(nominal) + 14;
      // The varied stations stand closer to each other's stop markers: they look further on.
      const int32_t p = taken_.place(nominal, nominal + (varied_ ? 20000 : 5000),
                                     static_cast<int>(before), static_cast<int>(after));
      if (p < 0 || p + 2000 > length_) throw std::logic_error("no room for a slowdown");
      sd.position = p;
      slowdowns_.push_back(sd);
      if (varied_) {
        // Signals within the compiler's reach: one before the warning, whose two blocks before
        // it the compiler may use, and one just after the end.
        const int64_t warning = block_of(p - 1200);
        signals_.push_back(static_cast<int32_t>((warning - 11) * kBlockLength));
        if (vary_.below(2) == 0) {
          // A row's point on the block before that signal: the compiler takes the one before.
          code_cuts_.push_back({static_cast<int32_t>((warning - 11) * kBlockLength),
                                vary_.below(2) == 0 ? 250 : 120});
        }
        signals_.push_back(static_cast<int32_t>((block_of(p + length) + 4) * kBlockLength));
      }
    }
  }

  // Fields 4 to 16 and the name of a station of a varied scenario.
  void vary_station(Station& s, int32_t i, bool last) {
    const bool fixed_area = s.kind >= 5 && s.kind <= 8;
    const int32_t extension = !fixed_area && i > 0 && vary_.below(2) == 0 ? 1 : 0;
    // The reader keeps field 5 only from 600 m on, and never for the first station.
    int32_t f5 = s.length >= 600 ? vary_.below(4) : 0;
    if (i == 0 && !narrowed_) f5 = 0;
    s.fields = {last ? 1 : 0,    f5,
                extension,       vary_.below(2),
                vary_.below(2),  vary_.below(3),
                vary_.below(5),  vary_.below(5),
                vary_.below(2),  vary_.below(256),
                vary_.below(24), vary_.below(60),
                vary_.below(60)};
    static constexpr std::string_view kNames[] = {
        "SANT'ANGELO", "PIAN DEL LAGO", "\"BORGO, SCALO\"", "VILLA di SOTTO", "PONTE VECCHIO"};
    if (!narrowed_) {
      // The time of a train at 90 km/h from 6:00, to the second: never going backwards. A
      // station passed (kind 25 and above) has none.
      const int32_t seconds = s.kind >= 25 ? 0 : 6 * 3600 + (s.position - 50) / 25;
      s.fields[10] = seconds / 3600;
      s.fields[11] = seconds / 60 % 60;
      s.fields[12] = seconds % 60;
    }
    s.name = std::string(kNames[static_cast<size_t>(i) % std::size(kNames)]);
    s.name.insert(s.name.size() - (s.name.back() == '"' ? 1 : 0), " " + two_digits(i + 1));
  }

  // Code-cut rows on free blocks: without a value, with one below, at and above the compiler's
  // 180, and one whose value keeps only its low 16 bits.
  void place_code_cuts() {
    static constexpr int32_t kValues[] = {0, 90, 180, 400, 65536, -3, 70000};
    int32_t i = 0;
    for (int32_t nominal = 3300; nominal <= length_ - kEndMargin; nominal += 9000, ++i) {
      const int32_t limit = std::min(nominal + 2000, length_ - kEndMargin);
      for (int32_t p = nominal; p <= limit; p += kBlockLength) {
        // A code-cut row marks the block p / 50 itself.
        const int64_t b = p / kBlockLength;
        if (!taken_.free(b - 1, b + 1)) continue;
        taken_.take(b - 1, b + 1);
        const int32_t v = kValues[static_cast<size_t>(i) % std::size(kValues)];
        code_cuts_.push_back({p, narrowed_ || v <= 32767 ? v : v % 30000});
        break;
      }
    }
  }

  // Signal field 11 from 1 to 100 is stored as 101.
  int32_t field11(int32_t v) const { return !narrowed_ && v >= 1 && v <= 100 ? v + 100 : v; }

  template <size_t n>
  int32_t pick(const int32_t (&values)[n]) {
    return values[vary_.below(static_cast<int32_t>(n))];
  }

  void place_signals() {
    for (int32_t nominal = 1850; nominal <= length_ - kEndMargin; nominal += 2500) {
      // The compiler may put points on the two blocks before a signal.
      const int32_t p = taken_.place(nominal, std::min(nominal + 2000, length_ - kEndMargin), 2, 1);
      if (p >= 0) signals_.push_back(p);
    }
  }

  void place_speed_boards() {
    static constexpr int32_t kSpeeds[] = {90, 100, 110, 120, 130, 140, 150, 160};
    for (int32_t nominal = 2400; nominal <= length_ - kEndMargin; nominal += 5000) {
      const int32_t p = taken_.place(nominal, std::min(nominal + 2000, length_ - kEndMargin), 1, 1);
      if (p < 0) continue;
      const int32_t speed = kSpeeds[random_.below(static_cast<int32_t>(std::size(kSpeeds)))];
      speed_boards_.push_back({p, speed});
    }
  }

  void place_boards() {
    const int32_t count = std::min(kMaxBoards, length_ / 2000);
    const int32_t spacing = length_ / count / kBlockLength * kBlockLength;
    for (int32_t i = 0; i < count; ++i) {
      const int32_t nominal = 1000 + i * spacing;
      const int32_t limit = std::min(nominal + spacing / 2, length_ - kEndMargin);
      const int32_t p = taken_.place(nominal, limit, 1, 1);
      if (p >= 0) boards_.push_back(p);
    }
  }

  std::string line_source() {
    std::string s = "[generale]\r\n";
    s += row("lunghezza percorso", {length_});
    if (varied_) {
      // Three progressives given in a shuffled order of rows; the reader orders them.
      const int32_t half = length_ / 2 / kBlockLength * kBlockLength;
      const int32_t quarter = length_ / 4 * 3 / kBlockLength * kBlockLength;
      std::vector<std::vector<int32_t>> p = {{0, length_ + 100000, 1},
                                             {half, 200000 + half, vary_.below(2)},
                                             {quarter, 50000, narrowed_ ? 2 : 0}};
      if (vary_.below(3) == 0) p[2] = {0, 0, 0};
      const int rot = vary_.below(3);
      std::rotate(p.begin(), p.begin() + rot, p.end());
      const char* const kRows[] = {"uno", "due", "tre"};
      for (int k = 0; k < 3; ++k) {
        s += row(std::string("progressiva chilometrica ") + kRows[k],
                 std::span<const int32_t>(p[static_cast<size_t>(k)]));
      }
      s += row("sfondo uno", {vary_.below(6)});
      s += row("sfondo due", {vary_.below(6)});
      s += row("sfondo tre", {vary_.below(6)});
      const bool nine = vary_.below(2) == 0;
      const int32_t end = vary_.below(4) == 0 ? 0 : length_ / 10 * 9 / kBlockLength * kBlockLength;
      s += row(nine ? "ripetizione segnali 9 codici" : "ripetizione segnali 4 codici",
               {length_ / 10 * 8 / kBlockLength * kBlockLength, end});
    } else {
      s += row("progressiva chilometrica uno", {0, length_ + 100000, 1});
      s += row("progressiva chilometrica due", {0, 0, 0});
      s += row("progressiva chilometrica tre", {0, 0, 0});
      s += row("sfondo uno", {1});
      s += row("sfondo due", {0});
      s += row("sfondo tre", {0});
      s += row("ripetizione segnali 4 codici", {length_ / 10 * 8 / kBlockLength * kBlockLength,
                                                length_ / 10 * 9 / kBlockLength * kBlockLength});
    }
    s += "[curve]\r\n";
    static constexpr int32_t kCurveLengths[] = {150, 300, 450, 200, 600, 100};
    for (int32_t start = 200; start + 700 <= length_; start += 700) {
      std::string keyword = "curva";
      keyword += random_.below(2) == 0 ? 's' : 'd';
      keyword += static_cast<char>('1' + random_.below(4));
      int32_t length = kCurveLengths[random_.below(static_cast<int32_t>(std::size(kCurveLengths)))];
      if (varied_) {
        // All six sharpnesses, and now and then a curve that runs on into the next one.
        keyword.back() = static_cast<char>('1' + vary_.below(6));
        if (vary_.below(4) == 0 && start + 1400 <= length_) length = 700;
      }
      s += row(keyword, {start, length});
    }
    s += "[pendenze]\r\n";
    s += row("pendenza", {0, 0});
    int32_t gradient = 0;
    for (int32_t p = 2000; p < length_; p += 2000) {
      gradient = std::clamp(gradient + random_.below(5) - 2, -10, 10);
      s += row("pendenza", {p, gradient});
    }
    s += "[montagne]\r\n";
    for (int32_t start = 750; start + 1000 <= length_; start += 4000) {
      const int32_t end = start + 300 + 50 * random_.below(6);
      int32_t kind = random_.below(3) == 0 ? 12 : 2;
      if (varied_) {
        static constexpr int32_t kKinds[] = {1, 2, 4, 5, 7, 10, 12, 13, 15, 20};
        kind = pick(kKinds);
      }
      s += row("montagna", {start, end, kind});
      // A range 100 m after the previous one becomes kind 3, whatever its row says.
      if (varied_ && vary_.below(3) == 0) s += row("montagna", {end + 100, end + 600, 6});
    }
    s += "[cartelli]\r\n";
    for (const auto& [p, v] : speed_boards_) {
      if (!varied_) {
        s += row("indicatori_vmax", {p, v - 10, v, v, 0, v - 10, v, v, 0});
        continue;
      }
      const int32_t code = vary_.below(3);
      switch (vary_.below(3)) {
        case 0:
          s += row("indicatori_vmax", {p, v - 10, v, v, code, v - 10, v, v, code});
          break;
        case 1: {
          std::string r = row("indicatori_vmax", {p, v - 20, v - 10, v, code});
          r.insert(r.size() - 2, ",  ,  ,  ,  0");
          s += r;
          break;
        }
        default:
          s += row("indicatori_vmax", {p, v, v, v, code, 40, 55, 60, 2});
          break;
      }
    }
    s += "[indicazioni]\r\n";
    for (size_t i = 0; i < boards_.size(); ++i) {
      const int32_t p = boards_[i];
      std::string text;
      switch (i % 3) {
        case 0: {
          text = "(PASSAGGIO)(A LIVELLO)(Km ";
          text += std::to_string(p / 1000);
          text += '+';
          text += std::to_string(1000 + p % 1000).substr(1);
          text += ')';
          break;
        }
        case 1:
          text = "(CAVALCAVIA)";
          break;
        default:
          text = "(SEGNALE DI)(PROTEZIONE)(PER  P.L. )";
          break;
      }
      if (varied_ && i % 4 == 1) text = "\"(S.S. N\xB0 12, KM 5)\"";
      if (varied_ && i % 4 == 3) text = "\"  (CAVALCAVIA)  \"";
      std::string r = row("cartello_indicatore", {p});
      r.insert(r.size() - 2, ",   " + text);
      s += r;
    }
    s += "[fine]\r\n";
    return s;
  }

  std::string train_source() {
    std::string s = "[generale]\r\n";
    if (varied_) {
      s += row("numero vetture", {3 + vary_.below(10)});
      s += row("percentuale massa frenata", {80 + vary_.below(80)});
      s += row("sabbia", {vary_.below(500)});
      s += "orologio,    " + std::to_string(vary_.below(24)) + "  " +
           std::to_string(vary_.below(60)) + "  " + std::to_string(vary_.below(60)) + "\r\n";
    } else {
      s += row("numero vetture", {7});
      s += row("percentuale massa frenata", {120});
      s += row("sabbia", {300});
      s += "orologio,    5               59            30 \r\n";
    }
    s += "[aderenze]\r\n";
    s += row("aderenza", {0, 100});
    if (varied_) {
      for (int32_t p = 7000; p + 1000 < length_; p += 15000) {
        s += row("aderenza", {p, 60 + vary_.below(100)});
      }
    }
    s += "[vel_limite]\r\n";
    s += row("velocita", {0, 100});
    for (const auto& [p, v] : speed_boards_) s += row("velocita", {p, narrowed_ ? v + 2 : v});
    std::vector<std::string> stations, slowdowns, signals;
    for (size_t i = 0; i < stations_.size(); ++i) stations.push_back(station_row(i));
    for (const Slowdown& sd : slowdowns_) {
      std::vector<int32_t> v = sd.fields;
      // A slowdown lowers the limit in force where it starts, as an author means it.
      if (!narrowed_) v[0] = std::min(v[0], limit_at(sd.position) - 10);
      v.insert(v.begin(), sd.position);
      slowdowns.push_back(row("rallentamento", v));
    }
    for (size_t i = 0; i < signals_.size(); ++i) signals.push_back(signal_row(i));
    if (shuffled_) {
      s += "[stazioni]\r\n";
      s += shuffled(stations, slowdowns, signals);
      s += "[rallentamenti]\r\n[segnali]\r\n";
    } else {
      s += "[stazioni]\r\n";
      for (const std::string& r : stations) s += r;
      s += "[rallentamenti]\r\n";
      for (const std::string& r : slowdowns) s += r;
      s += "[segnali]\r\n";
      for (const std::string& r : signals) s += r;
    }
    s += "[codici]\r\n";
    for (const auto& [p, v] : code_cuts_) s += row("abbattimento", {p, v});
    s += "[fine]\r\n";
    return s;
  }

  // The rows of all three kinds in one random order, the stations' own order kept.
  std::string shuffled(const std::vector<std::string>& stations,
                       const std::vector<std::string>& slowdowns,
                       const std::vector<std::string>& signals) {
    std::vector<const std::string*> others;
    for (const std::string& r : slowdowns) others.push_back(&r);
    for (const std::string& r : signals) others.push_back(&r);
    // Fisher-Yates with the generator's own numbers, the same on every platform.
    for (size_t i = others.size(); i > 1; --i) {
      std::swap(others[i - 1],
                others[static_cast<size_t>(shuffle_.below(static_cast<int32_t>(i)))]);
    }
    // A uniform merge of the stations into them: the next row is a station with the share of
    // stations among the rows left.
    std::string s;
    size_t station = 0, other = 0;
    while (station < stations.size() || other < others.size()) {
      const size_t left = stations.size() - station + others.size() - other;
      const bool take_station = other == others.size() ||
                                static_cast<size_t>(shuffle_.below(static_cast<int32_t>(left))) <
                                    stations.size() - station;
      s += take_station ? stations[station++] : *others[other++];
    }
    return s;
  }

  // The train's speed limit at position p: that of the last speed row at or before it.
  int32_t limit_at(int32_t p) const {
    int32_t limit = 100;
    for (const auto& [at, v] : speed_boards_) {
      if (at <= p) limit = v;
    }
    return limit;
  }

  std::string signal_row(size_t i) {
    if (varied_) {
      static constexpr int32_t kField11[] = {0, 50, 190, 240, 0};
      const int32_t kind = 1 + vary_.below(2);
      // A braced list draws its values left to right.
      return row("segnale", {signals_[i], kind, vary_.below(7), vary_.below(7), vary_.below(2),
                             vary_.below(4) == 0 ? 1 : 0, vary_.below(3), vary_.below(7),
                             vary_.below(7), vary_.below(7), field11(pick(kField11))});
    }
    if (i % 2 == 0) return row("segnale", {signals_[i], 1, 3, 1, 0, 0, 1, 5, 6, 0, 0});
    return row("segnale", {signals_[i], 2, 4, 1, 0, 0, 2, 2, 4, 0, 190});
  }

  std::string station_row(size_t i) const {
    const Station& st = stations_[i];
    if (!st.fields.empty()) {
      std::vector<int32_t> v = st.fields;
      v.insert(v.begin(), {st.position, st.kind, st.length});
      std::string r = row("stazione", v);
      r.insert(r.size() - 2, ",  " + st.name);
      return r;
    }
    const bool last = i + 1 == stations_.size();
    // Stops get a time: 6:00 at the first, then 90 km/h, to the minute.
    int32_t h = 0, m = 0;
    if (st.kind < 25) {
      const int32_t minutes = 6 * 60 + (st.position - 50) / 1500;
      h = minutes / 60;
      m = minutes % 60;
    }
    std::vector<int32_t> v;
    switch (st.kind) {
      case 25:
        v = {0, 0, 0, 0, 1, 0, 2, 0, 0, 0};
        break;
      case 27:
        v = {0, 0, 1, 1, 0, 0, 2, 4, 0, 0};
        break;
      case 28:
        v = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        break;
      default:
        v = {last ? 1 : 0, 0, 0, 1, 1, 0, 4, 1, 1, i == 0 ? 1 : last ? 0 : 30};
        break;
    }
    v.insert(v.begin(), {st.position, st.kind, st.length});
    v.insert(v.end(), {h, m, 0});
    std::string r = row("stazione", v);
    // The name is the row's last field, up to the line end.
    r.insert(r.size() - 2, ",  STAZIONE " + two_digits(static_cast<int32_t>(i + 1)));
    return r;
  }

  const int32_t length_;
  const bool varied_;
  const bool narrowed_;
  const bool shuffled_;
  Occupancy taken_;
  Lcg random_;
  Lcg vary_;     // the varied scenarios' own draws, so that the plain ones stay as they were
  Lcg shuffle_;  // the row order's own draws, so that the rows stay the same
  std::vector<Station> stations_;
  std::vector<Slowdown> slowdowns_;
  std::vector<std::pair<int32_t, int32_t>> code_cuts_;  // position, value
  std::vector<int32_t> signals_;
  std::vector<std::pair<int32_t, int32_t>> speed_boards_;  // position, speed
  std::vector<int32_t> boards_;
};

}  // namespace

GeneratedSources generate_scenario(int32_t route_km, const GeneratorOptions& options) {
  if (route_km < kMinGeneratedKm || route_km > kMaxGeneratedKm) {
    throw std::invalid_argument("a generated route is " + std::to_string(kMinGeneratedKm) + " to " +
                                std::to_string(kMaxGeneratedKm) + " km long");
  }
  return Generator(route_km, options).run();
}

}  // namespace scenario::testing
