// How far apart two words are, for the nearest-name suggestions every command makes.
#pragma once

#include <cstddef>
#include <string_view>

namespace scenario {

// The fewest insertions, deletions and substitutions that turn a into b (Levenshtein), ASCII
// letters compared without case.
size_t edit_distance(std::string_view a, std::string_view b);

}  // namespace scenario
