// The slowdown order of a scenario, computed: one entry row per slowdown of the train source,
// with the stations it lies between, the kilometre post it starts after, its speed and length.
#pragma once

#include "documents/document.h"
#include "documents/route_facts.h"
#include "model/identity.h"
#include "timing/run_input.h"

namespace scenario::documents {

// Table rows are 82 characters long; the stations' cell holds 26 characters between a blank
// on either side.
inline constexpr size_t kOrderRowWidth = 82;
inline constexpr size_t kOrderStationsWidth = 26;

// The kilometre post a slowdown starts after, for a train that meets the posts in the order
// of its run: the last whole kilometre it passes at or before the slowdown's start.
int64_t post_before(const std::optional<timing::Progressive>& p, int64_t position);

Document slowdown_order(const Identity& id, const timing::RunInput& in, const RouteFacts& facts);

}  // namespace scenario::documents
