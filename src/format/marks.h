// The fixed numbers of the compiled files: format marks, block length, limits. Each is written
// here once; the compiler stamps the marks, the decoders and views check them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/track_array.h"

namespace scenario {

// Written into every compiled file; the simulator checks them. Never change.
inline constexpr int16_t kGeneralFormatMark = 610;  // general table, slot 85 int1
inline constexpr int16_t kTrackFormatMark = 5121;   // track array, block 1 value1

// The block that carries the track's format mark and plain scenario code.
inline constexpr int kMarkBlock = 1;

// The longest route the line reader accepts, in metres.
inline constexpr int32_t kMaxRouteLength = 1'000'000;

// A slowdown starting past the threshold gets its warning block this far before its start.
inline constexpr int32_t kSlowdownWarningThreshold = 1500;
inline constexpr int32_t kSlowdownWarningDistance = 1200;

// Size in bytes of one track block's image.
inline constexpr size_t kTrackBlockImageSize = 15;
// An untouched general entry's image: every field but the text, whose length prefix is 2 bytes.
inline constexpr size_t kGeneralEntryFixedSize = 34;
// Metres 0 to E of the longest route the compiler accepts: the most cells one curve axis holds.
inline constexpr size_t kMaxCellsPerAxis = kMaxRouteLength + kRunOutMetres + 1;

}  // namespace scenario
