// The byte images of the three structures, compared byte for byte.
#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/track_image.h"

#include <gtest/gtest.h>

#include <cstring>

namespace scenario {
namespace {

template <typename F>
std::string image(F write) {
  StringSink sink;
  write(sink);
  return sink.bytes;
}

TEST(Images, FieldsAreLittleEndianAndBackToBack) {
  GeneralEntry e;
  e.code = 0x12;
  e.long1 = 0x01020304;
  e.long2 = -2;
  e.long3 = 7;
  e.flag = 1;
  e.text = "ab";
  e.int1 = 0x0506;
  e.int5 = -1;
  e.byte1 = 9;
  e.byte4 = 0xFE;
  e.long4 = 25200;
  const std::string bytes = image([&](StringSink& s) { write_general_entry(s, e); });
  const std::string expected(
      "\x12"
      "\x04\x03\x02\x01"
      "\xFE\xFF\xFF\xFF"
      "\x07\x00\x00\x00"
      "\x01"
      "\x02\x00"
      "ab"
      "\x06\x05\x00\x00\x00\x00\x00\x00\xFF\xFF"
      "\x09\x00\x00\xFE"
      "\x70\x62\x00\x00",
      36);
  EXPECT_EQ(bytes, expected);

  TrackBlock b;
  b.code = 14;
  b.value1 = 5121;
  b.value2 = -3;
  b.value4 = 0x0102;
  b.mark10 = 190;
  b.mark15 = 100;
  const std::string block = image([&](StringSink& s) { write_track_block(s, b); });
  EXPECT_EQ(block, std::string("\x0E\x01\x14\xFD\xFF\x00\x00\x02\x01\xBE\x00\x00\x00\x00\x64", 15));
}

TEST(Images, GeneralTableSizes) {
  GeneralTable t;
  t.reset();
  t[85].text = "Lindeva_Querno";
  t[86].text = "40716";
  const std::string bytes = image([&](StringSink& s) { write_general_image(s, t); });
  ASSERT_EQ(bytes.size(), 2977u);
  // Slots 0 to 84 are untouched: 34 zero bytes each.
  EXPECT_EQ(bytes.substr(0, 85 * 34), std::string(85 * 34, '\0'));
  // A text of n characters makes its entry 34 + n bytes and shifts what follows.
  t[1].text = "VALDORNO";
  const std::string longer = image([&](StringSink& s) { write_general_image(s, t); });
  ASSERT_EQ(longer.size(), 2977u + 8);
  EXPECT_EQ(longer.substr(34 + 14, 10), std::string("\x08\x00VALDORNO", 10));
  EXPECT_EQ(longer.substr(34 + 42), bytes.substr(34 + 34));
}

TEST(Images, TrackAndCurveSizes) {
  struct Case {
    int64_t length;
    size_t track_bytes;
    size_t curve_bytes;
  } cases[] = {{0, 2115, 20 * 7000 - 36}, {93000, 30015, 1999964}, {25, 2115, 20 * 7025 - 36}};
  for (const Case& c : cases) {
    TrackArray track;
    track.create(c.length);
    EXPECT_EQ(image([&](StringSink& s) { write_track_image(s, track); }).size(), c.track_bytes);
    CurveTable curves;
    const int64_t e = c.length + 7000;
    curves.create(e);
    curves.set_int16(0, 0, 0);
    curves.set_int16(0, 1, 0);
    curves.set_int16(1, 0, 0);
    curves.set_int16(1, 1, 1);
    for (int64_t m = 2; m <= e - 2; ++m) {
      curves.set_double(m, 0, 0.5);
      curves.set_double(m, 1, static_cast<double>(m));
    }
    EXPECT_EQ(image([&](StringSink& s) { write_curve_image(s, curves); }).size(), c.curve_bytes);
  }
}

TEST(Images, CurveCellsCarryTheirTags) {
  CurveTable curves;
  curves.create(7000);
  curves.set_int16(0, 0, 0);
  curves.set_int16(0, 1, 0);
  curves.set_int16(1, 0, 0);
  curves.set_int16(1, 1, 1);
  for (int64_t m = 2; m <= 6998; ++m) {
    curves.set_double(m, 0, 0.0);
    curves.set_double(m, 1, static_cast<double>(m));
  }
  const std::string bytes = image([&](StringSink& s) { write_curve_image(s, curves); });
  const size_t axis = 2 * 4 + 6997 * 10 + 2 * 2;
  ASSERT_EQ(bytes.size(), 2 * axis);
  // Axis 0: two integer cells, the doubles, two empty cells; then axis 1 the same way.
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x02\x00\x00\x00\x02\x00\x00\x00", 8));
  EXPECT_EQ(bytes.substr(8, 2), std::string("\x05\x00", 2));
  EXPECT_EQ(bytes.substr(axis - 4, 4), std::string(4, '\0'));
  EXPECT_EQ(bytes.substr(axis, 8), std::string("\x02\x00\x00\x00\x02\x00\x01\x00", 8));
  // Y(2) = 2.0 as a little-endian binary64.
  EXPECT_EQ(bytes.substr(axis + 8, 10),
            std::string("\x05\x00\x00\x00\x00\x00\x00\x00\x00\x40", 10));
}

// Cell by cell with the field writers, as the format reads: the reference for the chunked
// writer, whose runs of doubles take a path of their own.
std::string curve_image_cell_by_cell(const CurveTable& curves) {
  StringSink s;
  for (int axis = 0; axis < 2; ++axis) {
    for (int64_t m = 0; m <= curves.last_metre(); ++m) {
      const CellKind kind = curves.kind(m, axis);
      put_u16(s, static_cast<uint16_t>(kind));
      if (kind == CellKind::kInt16) put_i16(s, static_cast<int16_t>(curves.value(m, axis)));
      if (kind == CellKind::kDouble) put_f64(s, curves.value(m, axis));
    }
  }
  return s.bytes;
}

TEST(Images, CurveImageOfMixedCellsMatchesTheCellByCellEncoding) {
  // Lengths around the eight-cell runs, and non-double cells at every offset within a run and
  // across chunk boundaries.
  for (const int64_t e : {0, 1, 7, 8, 9, 15, 16, 17, 401, 7000}) {
    CurveTable curves;
    curves.create(e);
    for (int64_t m = 0; m <= e; ++m) {
      for (int axis = 0; axis < 2; ++axis) {
        const int64_t pick = (m * 7 + axis * 3) % 23;
        if (pick == 0) continue;  // left empty
        if (pick == 5) {
          curves.set_int16(m, axis, static_cast<int16_t>(-m));
        } else {
          curves.set_double(m, axis, 0.1 * static_cast<double>(m) - axis);
        }
      }
    }
    EXPECT_EQ(image([&](StringSink& s) { write_curve_image(s, curves); }),
              curve_image_cell_by_cell(curves))
        << "E = " << e;
  }
}

}  // namespace
}  // namespace scenario
