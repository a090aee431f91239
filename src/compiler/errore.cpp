#include "compiler/errore.h"

#include <iostream>

namespace scenario {

void errore(const std::string& number) {
  BuildAborted aborted(number);
  std::cerr << aborted.what() << std::endl;
  throw aborted;
}

}  // namespace scenario
