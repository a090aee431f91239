// Block access for the readers: a row that would reach a block outside the track is a reading
// failure, told in words, never an access outside the array.
#pragma once

#include <cstdint>
#include <string>

#include "model/track_array.h"
#include "source/read_failure.h"

namespace scenario {

inline TrackBlock& block_in_track(TrackArray& track, int64_t block, const char* what) {
  if (!track.contains(block)) {
    throw ReadFailure(std::string(what) + " reaches block " + std::to_string(block) +
                      ", outside the track (blocks 0 to " + std::to_string(track.upper()) + ")");
  }
  return track[block];
}

}  // namespace scenario
