// Test helper: compiles two source texts in memory, decompiles the images and compiles the
// recovered sources again; the round trip holds when both compiles give the same bytes.
#pragma once

#include <string>

#include "decompile/compile_in_memory.h"
#include "decompile/decompile.h"

namespace scenario::testing {

// The compiled images of two texts under name / train; fails the test unless they compile clean.
decompile::CompiledImages compile_clean(const std::string& name, const std::string& train,
                                        const std::string& line_text,
                                        const std::string& train_text);

// The images of a compile of two texts whatever its status (nothing when no image is written).
decompile::CompiledImages images_of_compile(const std::string& name, const std::string& train,
                                            const std::string& line_text,
                                            const std::string& train_text, int32_t* status);

// The compiled bytes as decompile takes them, under the usual file names.
decompile::CompiledBytes as_bytes(const std::string& name, const std::string& train,
                                  const decompile::CompiledImages& images);

// Empty when the round trip holds, else what went wrong (decompile's error, or the first file
// whose bytes the recovered sources do not give back).
std::string round_trip_problem(const std::string& name, const std::string& train,
                               const std::string& line_text, const std::string& train_text);

// Decompiles bytes; empty when decompile refuses them or when its sources compile to exactly
// these bytes, else the name of the first file they do not give back.
std::string false_recovery(const std::string& name, const std::string& train,
                           const decompile::CompiledBytes& bytes, std::string* error = nullptr);

}  // namespace scenario::testing
