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
  int32_t below(int32_t n) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int32_t>((state_ >> 33) % static_cast<uint64_t>(n));
  }

 private:
  uint64_t state_ = 0x5CE7A210u;
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
};

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
  explicit Generator(int32_t km) : length_(km * 1000), taken_(length_) {}

  GeneratedSources run() {
    // Items that need the most room go first; the others move past them.
    place_stations();
    place_slowdowns();
    place_signals();
    place_speed_boards();
    place_boards();
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
      } else {
        const int32_t kind = kMiddleKinds[static_cast<size_t>(i - 1) % std::size(kMiddleKinds)];
        s = {first + i * spacing, kind, length_of_kind(kind)};
      }
      // Only kinds below 25 put a stop marker on the track, one block before the area's end.
      if (s.kind < 25) {
        const int32_t area_end = s.kind == 6 ? s.position + 150 : s.position + s.length / 2;
        const int64_t stop = area_end / kBlockLength - 1;
        taken_.take(stop - 1, stop + 1);
      }
      stations_.push_back(s);
    }
  }

  void place_slowdowns() {
    const int32_t count = std::max(1, length_ / 50000);
    for (int32_t i = 0; i < count; ++i) {
      const int32_t nominal = (2 * i + 1) * (length_ / (2 * count)) / kBlockLength * kBlockLength;
      // The warning 1200 m before, the end 1200 m after; the compiler looks 20 blocks back
      // from the warning for signals and 12 blocks on from the end: all of it stays clear.
      const int64_t before = block_of(nominal) - block_of(nominal - 1200) + 22;
      const int64_t after = block_of(nominal + 1200) - block_of(nominal) + 14;
      const int32_t p =
          taken_.place(nominal, nominal + 5000, static_cast<int>(before), static_cast<int>(after));
      if (p < 0 || p + 2000 > length_) throw std::logic_error("no room for a slowdown");
      slowdowns_.push_back(p);
    }
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
    s += row("progressiva chilometrica uno", {0, length_ + 100000, 1});
    s += row("progressiva chilometrica due", {0, 0, 0});
    s += row("progressiva chilometrica tre", {0, 0, 0});
    s += row("sfondo uno", {1});
    s += row("sfondo due", {0});
    s += row("sfondo tre", {0});
    s += row("ripetizione segnali 4 codici", {length_ / 10 * 8 / kBlockLength * kBlockLength,
                                              length_ / 10 * 9 / kBlockLength * kBlockLength});
    s += "[curve]\r\n";
    static constexpr int32_t kCurveLengths[] = {150, 300, 450, 200, 600, 100};
    for (int32_t start = 200; start + 700 <= length_; start += 700) {
      std::string keyword = "curva";
      keyword += random_.below(2) == 0 ? 's' : 'd';
      keyword += static_cast<char>('1' + random_.below(4));
      const int32_t length =
          kCurveLengths[random_.below(static_cast<int32_t>(std::size(kCurveLengths)))];
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
      s += row("montagna", {start, end, random_.below(3) == 0 ? 12 : 2});
    }
    s += "[cartelli]\r\n";
    for (const auto& [p, v] : speed_boards_) {
      s += row("indicatori_vmax", {p, v - 10, v, v, 0, v - 10, v, v, 0});
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
      std::string r = row("cartello_indicatore", {p});
      r.insert(r.size() - 2, ",   " + text);
      s += r;
    }
    s += "[fine]\r\n";
    return s;
  }

  std::string train_source() const {
    std::string s = "[generale]\r\n";
    s += row("numero vetture", {7});
    s += row("percentuale massa frenata", {120});
    s += row("sabbia", {300});
    s += "orologio,    5               59            30 \r\n";
    s += "[aderenze]\r\n";
    s += row("aderenza", {0, 100});
    s += "[vel_limite]\r\n";
    s += row("velocita", {0, 100});
    for (const auto& [p, v] : speed_boards_) s += row("velocita", {p, v});
    s += "[stazioni]\r\n";
    for (size_t i = 0; i < stations_.size(); ++i) s += station_row(i);
    s += "[rallentamenti]\r\n";
    for (const int32_t p : slowdowns_) s += row("rallentamento", {p, 100, 1200, 0, 1, 100});
    s += "[segnali]\r\n";
    for (size_t i = 0; i < signals_.size(); ++i) {
      if (i % 2 == 0) {
        s += row("segnale", {signals_[i], 1, 3, 1, 0, 0, 1, 5, 6, 0, 0});
      } else {
        s += row("segnale", {signals_[i], 2, 4, 1, 0, 0, 2, 2, 4, 0, 190});
      }
    }
    s += "[codici]\r\n[fine]\r\n";
    return s;
  }

  std::string station_row(size_t i) const {
    const Station& st = stations_[i];
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
  Occupancy taken_;
  Lcg random_;
  std::vector<Station> stations_;
  std::vector<int32_t> slowdowns_;
  std::vector<int32_t> signals_;
  std::vector<std::pair<int32_t, int32_t>> speed_boards_;  // position, speed
  std::vector<int32_t> boards_;
};

}  // namespace

GeneratedSources generate_scenario(int32_t route_km) {
  if (route_km < kMinGeneratedKm || route_km > kMaxGeneratedKm) {
    throw std::invalid_argument("a generated route is " + std::to_string(kMinGeneratedKm) + " to " +
                                std::to_string(kMaxGeneratedKm) + " km long");
  }
  return Generator(route_km).run();
}

}  // namespace scenario::testing
