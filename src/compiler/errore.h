// The error report that ends a build: " Errore n. " and the number. The compile returns the
// number as a value (CompileOutcome::errore); only the entry points print this text.
#pragma once

#include <cstdint>
#include <string>

namespace scenario {

// " Errore n. " followed directly by number.
std::string errore_message(int32_t number);

}  // namespace scenario
