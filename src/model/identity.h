// The scenario identity: the base name and the train number, set once and read for every file
// name and for the scenario codes.
#pragma once

#include <string>

namespace scenario {

struct Identity {
  std::string name;   // the scenario base name
  std::string train;  // the train number, always handled as text
};

}  // namespace scenario
