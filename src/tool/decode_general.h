// Decoding a ".sim" file (the general table's image) and reading its slots by meaning.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/general_table.h"
#include "tool/decode_error.h"

namespace scenario::tool {

// Walks the 87 entries of a ".sim" image; the file must end exactly after the last one.
Decoded<GeneralTable> decode_general(std::string_view bytes);

// True when every field of the entry still holds its initial value.
bool entry_is_empty(const GeneralEntry& e);

// The station slots: 1 upward while a slot is not empty.
std::vector<int> station_slots(const GeneralTable& table);

// The board slots: 80 downward while a slot is not empty, staying above the stations.
std::vector<int> board_slots(const GeneralTable& table);

// Seconds since midnight as h:mm:ss (hours may pass 23; a negative value gets a minus sign).
std::string clock_text(int64_t seconds);

// One field of an entry by its name, for listings that show every field.
struct EntryField {
  const char* name;
  int64_t (*number)(const GeneralEntry&);  // null for the text field
};
// code, long1, long2, long3, flag, text, int1..int5, byte1..byte4, long4: the image's order.
const std::vector<EntryField>& entry_fields();

}  // namespace scenario::tool
