#include "model/track_array.h"

#include "model/rounding.h"

namespace scenario {

int32_t TrackArray::upper_index_for(int64_t route_length) {
  return static_cast<int32_t>(
      round_to_int(static_cast<double>(route_length + kRunOutMetres) / kBlockMetres));
}

void TrackArray::create(int64_t route_length) {
  blocks_.assign(static_cast<size_t>(upper_index_for(route_length)) + 1, TrackBlock{});
}

}  // namespace scenario
