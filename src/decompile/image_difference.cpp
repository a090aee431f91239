#include "decompile/image_difference.h"

#include <algorithm>

#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/marks.h"
#include "format/track_image.h"

namespace scenario::decompile {
namespace {

// A sink for the image writers that compares what they write with the expected bytes.
class ComparingSink {
 public:
  explicit ComparingSink(std::string_view expected) : expected_(expected) {}
  void write(const void* data, size_t n) {
    if (!differs_) {
      const char* p = static_cast<const char*>(data);
      const size_t left = expected_.size() - std::min(at_, expected_.size());
      const size_t m = std::min(n, left);
      const auto hit = std::mismatch(p, p + m, expected_.data() + at_);
      if (hit.first != p + m) {
        differs_ = true;
        first_ = at_ + static_cast<size_t>(hit.first - p);
      } else if (m < n) {
        differs_ = true;
        first_ = at_ + m;
      }
    }
    at_ += n;
  }
  // The first offset that differs, the expected length when the written image is a prefix of it.
  std::optional<size_t> first() const {
    if (differs_) return first_;
    if (at_ != expected_.size()) return at_;
    return std::nullopt;
  }
  size_t written() const { return at_; }

 private:
  std::string_view expected_;
  size_t at_ = 0;
  bool differs_ = false;
  size_t first_ = 0;
};

// The field of a track block at an offset within its 15 bytes.
const char* block_field(size_t at) {
  static const char* const kFields[15] = {"code",   "value1", "value1", "value2", "value2",
                                          "value3", "value3", "value4", "value4", "mark10",
                                          "mark11", "mark12", "mark13", "mark14", "mark15"};
  return kFields[at];
}

// The slot and field of a general image at an offset, walking the entries of the file.
std::string general_place(const std::string& bytes, size_t offset) {
  size_t at = 0;
  for (int slot = 0; slot < 87 && at + 34 <= bytes.size(); ++slot) {
    const size_t n = static_cast<uint8_t>(bytes[at + 14]) |
                     (static_cast<size_t>(static_cast<uint8_t>(bytes[at + 15])) << 8);
    const size_t size = 34 + n;
    if (offset < at + size) {
      const size_t rel = offset - at;
      const char* field = "long4";
      if (rel < 1)
        field = "code";
      else if (rel < 5)
        field = "long1";
      else if (rel < 9)
        field = "long2";
      else if (rel < 13)
        field = "long3";
      else if (rel < 14)
        field = "flag";
      else if (rel < 16 + n)
        field = "text";
      else if (rel < 26 + n)
        field = "an int field";
      else if (rel < 30 + n)
        field = "a byte field";
      return "slot " + std::to_string(slot) + " (" + field + ")";
    }
    at += size;
  }
  return "the end of the table";
}

// The axis and metre of a curve image at an offset, walking the cells of the file.
std::string curve_place(const std::string& bytes, size_t offset) {
  size_t at = 0, cells = 0, cell = 0;
  while (at + 2 <= bytes.size()) {
    const uint8_t tag = static_cast<uint8_t>(bytes[at]);
    const size_t size = 2 + (tag == 2 ? 2 : tag == 5 ? 8 : 0);
    if (offset >= at) cell = cells;
    at += size;
    ++cells;
  }
  const size_t per_axis = std::max<size_t>(1, cells / 2);
  const size_t axis = cell >= per_axis ? 1 : 0;
  return "axis " + std::to_string(axis) + ", metre " + std::to_string(cell - axis * per_axis);
}

std::string mismatch_line(const std::string& file, const std::string& place, size_t offset) {
  return file + ": byte " + std::to_string(offset) + " (" + place +
         ") differs from what any source that fits the other bytes compiles to";
}

}  // namespace

std::optional<std::string> image_difference(const FileNames& names, const CompiledBytes& given,
                                            const BuildState& state) {
  for (int kind = 0; kind < 3; ++kind) {
    const std::string& file = kind == 0 ? names.curve : kind == 1 ? names.general : names.track;
    const std::string& bytes = kind == 0 ? given.curve : kind == 1 ? given.general : given.track;
    ComparingSink sink(bytes);
    if (kind == 0) write_curve_image(sink, state.curves);
    if (kind == 1) write_general_image(sink, state.general);
    if (kind == 2) write_track_image(sink, state.track);
    const std::optional<size_t> at = sink.first();
    if (!at) continue;
    if (*at >= bytes.size() || *at >= sink.written()) {
      return file + " is " + std::to_string(bytes.size()) +
             " bytes long; the sources that fit its other bytes compile to " +
             std::to_string(sink.written());
    }
    std::string place;
    if (kind == 0) place = curve_place(bytes, *at);
    if (kind == 1) place = general_place(bytes, *at);
    if (kind == 2) {
      place = "block " + std::to_string(*at / kTrackBlockImageSize) + ", " +
              block_field(*at % kTrackBlockImageSize);
    }
    return mismatch_line(file, place, *at);
  }
  return std::nullopt;
}

}  // namespace scenario::decompile
