// Test helper: a source respaced the way a hand-written one might be, read the same by the
// readers: other blanks and tabs around commas and at the ends of lines, other runs of blanks
// between numbers that share a field, LF or CR line ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario::testing {

// The same seed gives the same text. The source must hold no double quotes and no empty lines.
std::string odd_spacing(std::string_view source, uint32_t seed);

// The emitted built-in sources, as the emitter writes them.
std::string builtin_line_source();
std::string builtin_train_source();

// The emitted train source as fmt writes it: the same but for the blank the emitter leaves after
// the clock's last number.
std::string formatted_builtin_train_source();

}  // namespace scenario::testing
