// The platform's half of replacing several files all or none: the earlier file of each target
// is kept aside until every replacement is in, and given back if one fails.
#pragma once

#include <string>

namespace scenario {

// Keeps the earlier file at target under a second name beside it; empty when there is none.
// Throws FileError.
std::string keep_aside(const std::string& target);

// Gives target back its earlier file (aside; none when empty); false when that fails.
bool put_back(const std::string& target, const std::string& aside);

// Removes a file kept aside once it is no longer needed.
void drop_aside(const std::string& aside);

}  // namespace scenario
