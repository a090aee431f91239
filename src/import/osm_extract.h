// What the importer keeps of an OSM file: the railway ways with their node locations, the
// railway places (stations, halts, level crossings, signals, kilometre marks, speed signs) and
// one route relation's ways. Plain data, so that everything after the reading is tested
// without an OSM file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace scenario::import {

struct GeoPoint {
  double lat = 0, lon = 0;  // degrees, WGS84
};

// The tags of an object that the import reads, and no others.
using Tags = std::map<std::string, std::string, std::less<>>;

struct RailWay {
  int64_t id = 0;
  std::vector<int64_t> nodes;
  std::vector<GeoPoint> points;  // one per node; a node missing from the file drops the way
  Tags tags;
};

// A tagged node of interest, or a station mapped as an area (at its outline's mean point).
struct RailNode {
  int64_t id = 0;
  bool area = false;  // a closed way: the id is the way's
  GeoPoint at;
  Tags tags;
};

struct OsmExtract {
  std::vector<RailWay> ways;    // railway=rail (and the other railway tracks the path may use)
  std::vector<RailNode> nodes;  // stations, halts, stops, crossings, signals, milestones, signs
  // The member ways of the relation asked for, in the relation's order; empty when none.
  std::vector<int64_t> relation_ways;
  bool relation_found = false;
};

// The value of a tag, or nothing.
inline std::optional<std::string> tag(const Tags& tags, std::string_view key) {
  const auto it = tags.find(key);
  if (it == tags.end()) return std::nullopt;
  return it->second;
}

// Whether the import keeps a way with these tags: railway tracks (rail, and the light rail and
// narrow gauge a mainline path never takes but a relation may name), and station areas.
bool keeps_way(const Tags& tags);
// Whether it keeps a node with these tags.
bool keeps_node(const Tags& tags);
// Whether a tag key is one the import reads at all (the rest are dropped while reading).
bool reads_key(std::string_view key);

}  // namespace scenario::import
