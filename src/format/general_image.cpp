#include "format/general_image.h"

#include "format/marks.h"

namespace scenario {
namespace {

// Every entry is 34 bytes plus its text: 16 before the text, 18 after it.
constexpr size_t kHeadSize = 16;
constexpr size_t kTailSize = kGeneralEntryFixedSize - kHeadSize;

}  // namespace

Decoded<GeneralTable> decode_general(std::string_view bytes) {
  GeneralTable table;
  ByteReader in(bytes);
  for (int slot = 0; slot < GeneralTable::kSlots; ++slot) {
    const size_t start = in.offset();
    const auto cut = [&](size_t needed) {
      return DecodeError{start, "slot " + std::to_string(slot) + ": entry truncated: it needs " +
                                    byte_count(needed) + ", " + byte_count(bytes.size() - start) +
                                    " left"};
    };
    if (in.left() < kHeadSize) return cut(kHeadSize + kTailSize);
    GeneralEntry& e = table[slot];
    e.code = in.u8();
    e.long1 = in.i32();
    e.long2 = in.i32();
    e.long3 = in.i32();
    e.flag = in.u8();
    const size_t n = in.u16();
    if (in.left() < n + kTailSize) return cut(kHeadSize + n + kTailSize);
    e.text = std::string(in.take(n));
    e.int1 = in.i16();
    e.int2 = in.i16();
    e.int3 = in.i16();
    e.int4 = in.i16();
    e.int5 = in.i16();
    e.byte1 = in.u8();
    e.byte2 = in.u8();
    e.byte3 = in.u8();
    e.byte4 = in.u8();
    e.long4 = in.i32();
  }
  if (!in.at_end()) {
    return DecodeError{in.offset(), byte_count(in.left()) +
                                        " after the entry of slot 86: the table ends with "
                                        "its 87th entry"};
  }
  return table;
}

bool entry_is_empty(const GeneralEntry& e) { return e == GeneralEntry{}; }

std::vector<int> station_slots(const GeneralTable& table) {
  std::vector<int> slots;
  for (int s = 1; s <= GeneralTable::kFirstBoardSlot && !entry_is_empty(table[s]); ++s) {
    slots.push_back(s);
  }
  return slots;
}

std::vector<int> board_slots(const GeneralTable& table) {
  const int last_station = static_cast<int>(station_slots(table).size());
  std::vector<int> slots;
  for (int s = GeneralTable::kFirstBoardSlot; s > last_station && !entry_is_empty(table[s]); --s) {
    slots.push_back(s);
  }
  return slots;
}

const std::vector<EntryField>& entry_fields() {
  static const std::vector<EntryField> fields = {
      {"code", [](const GeneralEntry& e) -> int64_t { return e.code; }},
      {"long1", [](const GeneralEntry& e) -> int64_t { return e.long1; }},
      {"long2", [](const GeneralEntry& e) -> int64_t { return e.long2; }},
      {"long3", [](const GeneralEntry& e) -> int64_t { return e.long3; }},
      {"flag", [](const GeneralEntry& e) -> int64_t { return e.flag; }},
      {"text", nullptr},
      {"int1", [](const GeneralEntry& e) -> int64_t { return e.int1; }},
      {"int2", [](const GeneralEntry& e) -> int64_t { return e.int2; }},
      {"int3", [](const GeneralEntry& e) -> int64_t { return e.int3; }},
      {"int4", [](const GeneralEntry& e) -> int64_t { return e.int4; }},
      {"int5", [](const GeneralEntry& e) -> int64_t { return e.int5; }},
      {"byte1", [](const GeneralEntry& e) -> int64_t { return e.byte1; }},
      {"byte2", [](const GeneralEntry& e) -> int64_t { return e.byte2; }},
      {"byte3", [](const GeneralEntry& e) -> int64_t { return e.byte3; }},
      {"byte4", [](const GeneralEntry& e) -> int64_t { return e.byte4; }},
      {"long4", [](const GeneralEntry& e) -> int64_t { return e.long4; }},
  };
  return fields;
}

}  // namespace scenario
