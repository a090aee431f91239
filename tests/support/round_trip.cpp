#include "support/round_trip.h"

#include <gtest/gtest.h>

#include "format/file_names.h"

namespace scenario::testing {

decompile::CompiledImages compile_clean(const std::string& name, const std::string& train,
                                        const std::string& line_text,
                                        const std::string& train_text) {
  const decompile::InMemoryCompile c =
      decompile::compile_in_memory({name, train}, line_text, train_text);
  EXPECT_TRUE(c.outcome.clean()) << diagnostic_text(c.outcome.status);
  EXPECT_TRUE(c.written());
  return decompile::images_of(*c.state);
}

decompile::CompiledImages images_of_compile(const std::string& name, const std::string& train,
                                            const std::string& line_text,
                                            const std::string& train_text, int32_t* status) {
  const decompile::InMemoryCompile c =
      decompile::compile_in_memory({name, train}, line_text, train_text);
  *status = c.outcome.status.code;
  return c.written() ? decompile::images_of(*c.state) : decompile::CompiledImages{};
}

decompile::CompiledBytes as_bytes(const std::string& name, const std::string& train,
                                  const decompile::CompiledImages& images) {
  decompile::CompiledBytes b;
  b.curve_name = curve_file_name({name, train});
  b.general_name = general_file_name({name, train});
  b.track_name = track_file_name({name, train});
  b.curve = images.curve;
  b.general = images.general;
  b.track = images.track;
  return b;
}

std::string false_recovery(const std::string& name, const std::string& train,
                           const decompile::CompiledBytes& bytes, std::string* error) {
  const decompile::DecompileOutcome d = decompile::decompile(bytes, name, train);
  if (error) *error = d.error;
  if (!d.ok) return "";
  // Checked again here, outside decompile: the recovered sources must give the bytes back.
  const decompile::InMemoryCompile c =
      decompile::compile_in_memory({name, train}, d.line_text, d.train_text);
  if (!c.outcome.clean()) return diagnostic_text(c.outcome.status);
  if (!c.written()) return "no images";
  const decompile::CompiledImages images = decompile::images_of(*c.state);
  if (images.curve != bytes.curve) return bytes.curve_name;
  if (images.general != bytes.general) return bytes.general_name;
  if (images.track != bytes.track) return bytes.track_name;
  return "";
}

std::string round_trip_problem(const std::string& name, const std::string& train,
                               const std::string& line_text, const std::string& train_text) {
  const decompile::CompiledBytes bytes =
      as_bytes(name, train, compile_clean(name, train, line_text, train_text));
  std::string error;
  const std::string wrong = false_recovery(name, train, bytes, &error);
  if (!error.empty()) return error;
  return wrong;
}

}  // namespace scenario::testing
