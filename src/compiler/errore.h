// The error report that ends a build: " Errore n. " and the number, on standard error.
#pragma once

#include <stdexcept>
#include <string>

namespace scenario {

// Raised by errore; only the executables' entry points catch it, and they exit with status 1.
class BuildAborted : public std::runtime_error {
 public:
  explicit BuildAborted(const std::string& number)
      : std::runtime_error(" Errore n. " + number), number_(number) {}
  const std::string& number() const { return number_; }

 private:
  std::string number_;
};

// Prints " Errore n. " followed by number as one line on standard error and ends the build.
[[noreturn]] void errore(const std::string& number);

}  // namespace scenario
