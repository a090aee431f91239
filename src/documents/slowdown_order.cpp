#include "documents/slowdown_order.h"

#include "documents/document_cells.h"
#include "emitter/content/form_rows.h"

namespace scenario::documents {
namespace {

constexpr std::string_view kEmptyRow = content::kOrderEmptyRow;
constexpr std::string_view kUnderline = content::kOrderUnderline;

std::string number_cell(size_t n) {
  return n < 10 ? " " + std::to_string(n) + " " : cell(std::to_string(n), 0, 3);
}

std::string order_row(size_t n, const std::string& stations, const std::string& post,
                      const std::string& kmh, const std::string& length,
                      const std::string& prescription) {
  return " |" + number_cell(n) + "|" + cell(stations, 1, 28) + "|" + cell(post, 5, 12) + "|" +
         cell(kmh, 3, 10) + "|" + cell(length, 3, 9) + "|" + cell(prescription, 5, 12) + "|";
}

int64_t floor_div(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

int64_t post_before(const std::optional<timing::Progressive>& p, int64_t position) {
  const int64_t km = kilometre_by(p, position);
  const bool falling = p && p->direction == 1;
  // A falling kilometrage meets the post above the start first.
  return falling ? -floor_div(-km, 1000) : floor_div(km, 1000);
}

Document slowdown_order(const Identity& id, const timing::RunInput& in, const RouteFacts& f) {
  Document d;
  const std::string origin = f.station_names.empty() ? "" : f.station_names.front();
  const std::string destination = f.station_names.empty() ? "" : f.station_names.back();
  d.rows = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " " + std::string(80, '_'),
      "  Linea  " + origin + " - " + destination,
      "",
      "  Si ordina al macchinista del treno " + id.train +
          " di effettuare i seguenti rallentamenti",
      "  " + std::string(79, '_'),
      std::string(content::kOrderHeadings[0]),
      std::string(content::kOrderHeadings[1]),
      std::string(content::kOrderHeadings[2]),
      std::string(kUnderline),
  };
  std::string concerned;  // the first station that a slowdown reaches, for prescription B
  size_t n = 0;
  for (const OrderSlowdown& s : f.slowdowns) {
    ++n;
    const int64_t end = s.position + s.length;
    std::string before, after, inside;
    for (size_t k = 0; k < in.stations.size() && k < f.station_names.size(); ++k) {
      const int64_t x = in.stations[k].position;
      if (x <= s.position) before = f.station_names[k];
      if (x > s.position && x < end && inside.empty()) inside = f.station_names[k];
      if (x >= end && after.empty()) after = f.station_names[k];
    }
    std::string between = before.empty() ? after : after.empty() ? before : before + " e " + after;
    between = fitted(between, kOrderStationsWidth, "the stations of slowdown " + std::to_string(n),
                     d.warnings);
    if (!inside.empty() && concerned.empty()) concerned = inside;
    const auto p = progressive_at(f.kilometrage, s.position);
    d.rows.emplace_back(kEmptyRow);
    d.rows.push_back(order_row(n, between, std::to_string(post_before(p, s.position)),
                               std::to_string(s.kmh), std::to_string(s.length),
                               inside.empty() ? "" : "B"));
  }
  // The form keeps a numbered row for one more slowdown, and room below it.
  d.rows.emplace_back(kEmptyRow);
  d.rows.push_back(order_row(n + 1, "", "", "", "", ""));
  for (int i = 0; i < 4; ++i) d.rows.emplace_back(kEmptyRow);
  d.rows.emplace_back(kUnderline);
  const std::vector<std::string> below = {
      "",
      "              Prescrizioni specifiche",
      "",
      " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
      "",
      " B - Interessa anche la stazione di  " + concerned,
      "",
      " D - Rallentamneto N. ... e N. ...  sono contigui",
      "",
      " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
      "     i giorni esclusi i seguenti:.........",
  };
  d.rows.insert(d.rows.end(), below.begin(), below.end());
  return d;
}

}  // namespace scenario::documents
