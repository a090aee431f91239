// The values of the OSM tags the import reads.
#pragma once

#include <optional>
#include <string_view>

namespace scenario::import {

// A kilometre tag (railway:position, in kilometres: "75.7", "75,700", "75+700") in metres.
std::optional<double> parse_kilometre(std::string_view text);
// A maxspeed value in km/h ("100", "100 km/h", "60 mph"); nothing for "none", "signals" and
// the like.
std::optional<double> parse_speed(std::string_view text);

}  // namespace scenario::import
