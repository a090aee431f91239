// The ".sim" file: the general table's image, its writer and its decoder, and the table's slots
// read by meaning.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "format/coding.h"
#include "format/decode_error.h"
#include "model/general_table.h"

namespace scenario {

// One entry, fields in order: 34 bytes plus the text. Offsets: code 0, long1 1, long2 5,
// long3 9, flag 13, text length 14, text 16, int1..int5 16 + n, byte1..byte4 26 + n, long4 30 + n.
template <typename Sink>
void write_general_entry(Sink& out, const GeneralEntry& e) {
  put_u8(out, e.code);
  put_i32(out, e.long1);
  put_i32(out, e.long2);
  put_i32(out, e.long3);
  put_u8(out, e.flag);
  put_text(out, e.text);
  put_i16(out, e.int1);
  put_i16(out, e.int2);
  put_i16(out, e.int3);
  put_i16(out, e.int4);
  put_i16(out, e.int5);
  put_u8(out, e.byte1);
  put_u8(out, e.byte2);
  put_u8(out, e.byte3);
  put_u8(out, e.byte4);
  put_i32(out, e.long4);
}

// Slots 0 to 86, back to back, no header.
template <typename Sink>
void write_general_image(Sink& out, const GeneralTable& table) {
  for (int slot = 0; slot < GeneralTable::kSlots; ++slot) write_general_entry(out, table[slot]);
}

// Walks the 87 entries of a ".sim" image; the file must end exactly after the last one.
Decoded<GeneralTable> decode_general(std::string_view bytes);

// True when every field of the entry still holds its initial value.
bool entry_is_empty(const GeneralEntry& e);

// The station slots: 1 upward while a slot is not empty.
std::vector<int> station_slots(const GeneralTable& table);

// The board slots: 80 downward while a slot is not empty, staying above the stations.
std::vector<int> board_slots(const GeneralTable& table);

// One field of an entry by its name, for listings that show every field.
struct EntryField {
  const char* name;
  int64_t (*number)(const GeneralEntry&);  // null for the text field
};
// code, long1, long2, long3, flag, text, int1..int5, byte1..byte4, long4: the image's order.
const std::vector<EntryField>& entry_fields();

}  // namespace scenario
