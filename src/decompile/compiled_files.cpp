#include "decompile/compiled_files.h"

#include "format/curve_image.h"
#include "format/general_image.h"
#include "format/track_image.h"

namespace scenario::decompile {
namespace {

template <typename T>
bool take(Decoded<T> d, const std::string& name, T& into, std::string& problem) {
  if (!d.ok()) {
    problem = name + ": offset " + std::to_string(d.error().offset) + ": " + d.error().message;
    return false;
  }
  into = std::move(d.value());
  return true;
}

}  // namespace

std::optional<CompiledFiles> decode_compiled(const CompiledBytes& bytes, std::string& problem) {
  CompiledFiles f;
  if (!take(decode_general(bytes.general), bytes.general_name, f.general, problem) ||
      !take(decode_track(bytes.track), bytes.track_name, f.blocks, problem) ||
      !take(decode_curve(bytes.curve), bytes.curve_name, f.curves, problem)) {
    return std::nullopt;
  }
  return f;
}

}  // namespace scenario::decompile
