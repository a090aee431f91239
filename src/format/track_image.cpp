#include "format/track_image.h"

#include <string>

namespace scenario {

Decoded<std::vector<TrackBlock>> decode_track(std::string_view bytes) {
  if (bytes.empty()) return DecodeError{0, "empty file: a track file holds at least one block"};
  const size_t partial = bytes.size() % kTrackBlockImageSize;
  if (partial != 0) {
    return DecodeError{bytes.size() - partial,
                       "size " + std::to_string(bytes.size()) + " is not a multiple of " +
                           std::to_string(kTrackBlockImageSize) + ": the last block has only " +
                           byte_count(partial)};
  }
  std::vector<TrackBlock> blocks(bytes.size() / kTrackBlockImageSize);
  ByteReader in(bytes);
  for (TrackBlock& b : blocks) {
    b.code = in.u8();
    b.value1 = in.i16();
    b.value2 = in.i16();
    b.value3 = in.i16();
    b.value4 = in.i16();
    b.mark10 = in.u8();
    b.mark11 = in.u8();
    b.mark12 = in.u8();
    b.mark13 = in.u8();
    b.mark14 = in.u8();
    b.mark15 = in.u8();
  }
  return blocks;
}

const char* block_code_meaning(uint8_t code) {
  switch (code) {
    case kPlainTrack:
      return "plain track";
    case kSignal:
      return "signal";
    case kSlowdownEnd:
      return "slowdown end";
    case kSlowdownStart:
      return "slowdown start";
    case kSlowdownWarning:
      return "slowdown warning";
    case kPreWarning:
      return "pre-warning";
    case kSpeedBoard:
      return "speed indicator board";
    case kStopMarker:
      return "station stop marker";
    case kMountainFiller:
      return "mountain filler";
    case kCodeCutValue:
      return "code-cut point with value";
    case kCodeCut:
      return "code-cut point";
    case kIndicationBoard:
      return "line-side board";
    default:
      return nullptr;
  }
}

}  // namespace scenario
