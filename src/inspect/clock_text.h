// Times of the general table shown as a clock.
#pragma once

#include <cstdint>
#include <string>

namespace scenario {

// Seconds since midnight as h:mm:ss (hours may pass 23; a negative value gets a minus sign).
std::string clock_text(int64_t seconds);

}  // namespace scenario
