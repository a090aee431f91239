#include "import/osm_extract.h"

#include <array>

namespace scenario::import {
namespace {

// The railway values of a way the path may run on.
constexpr std::array<std::string_view, 3> kTrackValues = {"rail", "narrow_gauge", "light_rail"};
constexpr std::array<std::string_view, 5> kPlaceValues = {"station", "halt", "stop",
                                                          "level_crossing", "crossing"};
constexpr std::array<std::string_view, 4> kLineValues = {"signal", "milestone", "switch",
                                                         "buffer_stop"};

template <size_t N>
bool one_of(const std::optional<std::string>& v, const std::array<std::string_view, N>& set) {
  if (!v) return false;
  for (std::string_view s : set) {
    if (*v == s) return true;
  }
  return false;
}

}  // namespace

bool keeps_way(const Tags& tags) {
  const auto railway = tag(tags, "railway");
  if (one_of(railway, kTrackValues)) return true;
  // A station mapped as an area (its name is found there when no node carries it).
  if (railway == "station" || railway == "halt") return tags.count("name") > 0;
  return false;
}

bool keeps_node(const Tags& tags) {
  const auto railway = tag(tags, "railway");
  if (one_of(railway, kPlaceValues) || one_of(railway, kLineValues)) return true;
  // Kilometre marks and speed signs tagged on any railway node.
  return tags.count("railway:position") > 0 || tags.count("railway:position:exact") > 0 ||
         tags.count("railway:signal:speed_limit") > 0;
}

bool reads_key(std::string_view key) {
  constexpr std::array<std::string_view, 20> kKeys = {"railway",
                                                      "usage",
                                                      "service",
                                                      "name",
                                                      "maxspeed",
                                                      "maxspeed:forward",
                                                      "maxspeed:backward",
                                                      "tunnel",
                                                      "bridge",
                                                      "tunnel:name",
                                                      "bridge:name",
                                                      "railway:position",
                                                      "railway:position:exact",
                                                      "railway:signal:main",
                                                      "railway:signal:distant",
                                                      "railway:signal:speed_limit",
                                                      "railway:signal:speed_limit:speed",
                                                      "railway:signal:speed_limit_distant:speed",
                                                      "type",
                                                      "route"};
  for (std::string_view k : kKeys) {
    if (k == key) return true;
  }
  return false;
}

}  // namespace scenario::import
