#include "compiler/errore.h"

namespace scenario {

std::string errore_message(int32_t number) { return " Errore n. " + std::to_string(number); }

}  // namespace scenario
