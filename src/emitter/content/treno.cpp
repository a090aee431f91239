// Scenario data of the built-in scenario (placeholder until the rows are written).
#include "emitter/content/content.h"

namespace scenario::content {

std::span<const std::string_view> treno_rows() { return {}; }

}  // namespace scenario::content
