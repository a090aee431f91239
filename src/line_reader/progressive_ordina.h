// Puts the three kilometre progressives of slots 81 to 83 in order and applies the offset.
#pragma once

#include "model/general_table.h"

namespace scenario {

// Orders slots 81 (latest start) to 83 (earliest) and adds 100 to the value of each
// progressive whose direction flag is exactly 1.
void progressive_ordina(GeneralTable& table);

}  // namespace scenario
