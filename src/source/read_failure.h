// A run-time failure while reading a source; the reader's one handler turns it into code 25.
#pragma once

#include <stdexcept>
#include <string>

namespace scenario {

class ReadFailure : public std::runtime_error {
 public:
  explicit ReadFailure(const std::string& reason) : std::runtime_error(reason) {}
};

}  // namespace scenario
