// The fixed numbers of the compiled files: format marks, block length, limits. Each is written
// here once; the compiler stamps the marks, the decoders and views check them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/general_table.h"
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

// The longest files compile writes, for the longest route (E = 1,007,000 m): blocks 0 to E / 50
// of the track; per axis two integer cells of 4 bytes, E - 3 doubles of 10 and two empty cells
// of 2, that is 20 x E - 36 bytes; and 87 general entries with texts of at most 65535 bytes.
// The readers of compiled files refuse anything longer before reading it.
inline constexpr uintmax_t kMaxTrackFileBytes =
    kTrackBlockImageSize * ((kMaxCellsPerAxis - 1) / static_cast<size_t>(kBlockMetres) + 1);
inline constexpr uintmax_t kMaxCurveFileBytes =
    20 * static_cast<uintmax_t>(kMaxCellsPerAxis - 1) - 36;
inline constexpr uintmax_t kMaxGeneralFileBytes =
    static_cast<uintmax_t>(GeneralTable::kSlots) * (kGeneralEntryFixedSize + 0xFFFF);

}  // namespace scenario
