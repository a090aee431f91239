// The two scenario codes computed from the identity texts of slots 85 and 86.
#pragma once

#include <cstdint>
#include <string>

#include "model/general_table.h"

namespace scenario {

// Train number, then base name, lower-cased, then the fill text: the first 25 characters count.
std::string scenario_id(const GeneralTable& table);

// Sum of the character codes of the identity's first 25 characters.
int16_t codice_gara_og(const GeneralTable& table);
// Sum of i times the code of character i, for i = 1 to 25.
int32_t codice_gara_st(const GeneralTable& table);

}  // namespace scenario
