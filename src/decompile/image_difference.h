// Where a recompiled image first differs from the given file, told by structure and field.
#pragma once

#include <optional>
#include <string>

#include "decompile/compiled_files.h"
#include "decompile/recover.h"
#include "model/build_state.h"

namespace scenario::decompile {

// Nothing when the images of the finished state are the given files byte for byte; else one
// line on the first difference. The images are compared as they are written, never stored.
std::optional<std::string> image_difference(const FileNames& names, const CompiledBytes& given,
                                            const BuildState& recompiled);

}  // namespace scenario::decompile
