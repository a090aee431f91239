#include "import/geodata/osm_reader.h"

#include <algorithm>
#include <osmium/io/any_input.hpp>
#include <osmium/osm/node.hpp>
#include <osmium/osm/relation.hpp>
#include <osmium/osm/way.hpp>
#include <osmium/visitor.hpp>

namespace scenario::import {
namespace {

Tags kept_tags(const osmium::TagList& list) {
  Tags tags;
  for (const osmium::Tag& t : list) {
    if (reads_key(t.key())) tags.emplace(t.key(), t.value());
  }
  return tags;
}

bool has_railway_key(const osmium::TagList& list) {
  for (const osmium::Tag& t : list) {
    if (std::string_view(t.key()).starts_with("railway")) return true;
  }
  return false;
}

struct Pass1 {
  OsmExtract& out;
  int64_t relation;
  std::vector<int64_t> needed;  // node ids of the kept ways

  void way(const osmium::Way& w) {
    if (!has_railway_key(w.tags())) return;
    Tags tags = kept_tags(w.tags());
    if (!keeps_way(tags)) return;
    RailWay r;
    r.id = w.id();
    r.tags = std::move(tags);
    r.nodes.reserve(w.nodes().size());
    for (const osmium::NodeRef& n : w.nodes()) {
      r.nodes.push_back(n.ref());
      needed.push_back(n.ref());
    }
    out.ways.push_back(std::move(r));
  }
  void relation_(const osmium::Relation& rel) {
    if (relation == 0 || rel.id() != relation) return;
    out.relation_found = true;
    for (const osmium::RelationMember& m : rel.members()) {
      if (m.type() == osmium::item_type::way) out.relation_ways.push_back(m.ref());
    }
  }
};

}  // namespace

OsmExtract read_osm(const std::string& path, int64_t relation) {
  OsmExtract out;
  try {
    const osmium::io::File file(path);
    Pass1 p1{out, relation, {}};
    {
      osmium::io::Reader reader(file,
                                osmium::osm_entity_bits::way | osmium::osm_entity_bits::relation);
      while (osmium::memory::Buffer buffer = reader.read()) {
        for (const osmium::OSMObject& o : buffer.select<osmium::OSMObject>()) {
          if (o.type() == osmium::item_type::way) {
            p1.way(static_cast<const osmium::Way&>(o));
          } else if (o.type() == osmium::item_type::relation) {
            p1.relation_(static_cast<const osmium::Relation&>(o));
          }
        }
      }
      reader.close();
    }
    std::vector<int64_t>& needed = p1.needed;
    std::sort(needed.begin(), needed.end());
    needed.erase(std::unique(needed.begin(), needed.end()), needed.end());
    // The locations of the needed nodes, by their index in needed; x = 0x7fffffff (osmium's
    // undefined) until read.
    std::vector<osmium::Location> located(needed.size());
    {
      osmium::io::Reader reader(file, osmium::osm_entity_bits::node);
      while (osmium::memory::Buffer buffer = reader.read()) {
        for (const osmium::Node& n : buffer.select<osmium::Node>()) {
          const auto it = std::lower_bound(needed.begin(), needed.end(), n.id());
          if (it != needed.end() && *it == n.id()) located[it - needed.begin()] = n.location();
          if (n.tags().empty() || !has_railway_key(n.tags())) continue;
          Tags tags = kept_tags(n.tags());
          if (!keeps_node(tags) || !n.location().valid()) continue;
          out.nodes.push_back(
              {n.id(), false, {n.location().lat(), n.location().lon()}, std::move(tags)});
        }
      }
      reader.close();
    }
    std::vector<RailWay> ways;
    ways.reserve(out.ways.size());
    for (RailWay& w : out.ways) {
      bool whole = true;
      w.points.reserve(w.nodes.size());
      for (int64_t id : w.nodes) {
        const auto it = std::lower_bound(needed.begin(), needed.end(), id);
        const osmium::Location loc = located[it - needed.begin()];
        if (!loc.valid()) {
          whole = false;
          break;
        }
        w.points.push_back({loc.lat(), loc.lon()});
      }
      // A way cut off by the extract's edge keeps no partial geometry.
      if (!whole || w.points.size() < 2) continue;
      const auto railway = tag(w.tags, "railway");
      if (railway == "station" || railway == "halt") {
        GeoPoint mean;
        const size_t n = w.points.size() - (w.nodes.front() == w.nodes.back() ? 1 : 0);
        for (size_t i = 0; i < n; ++i) {
          mean.lat += w.points[i].lat / n;
          mean.lon += w.points[i].lon / n;
        }
        out.nodes.push_back({w.id, true, mean, std::move(w.tags)});
        continue;
      }
      ways.push_back(std::move(w));
    }
    out.ways = std::move(ways);
  } catch (const std::exception& e) {
    throw NotOsmData(path + ": not OSM data that can be read (" + e.what() + ")");
  }
  return out;
}

}  // namespace scenario::import
