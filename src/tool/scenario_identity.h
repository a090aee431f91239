// Finding the identity (base name, train number) of the scenario in a directory.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "format/file_names.h"

namespace scenario::tool {

// A usage error of the tool: exit status 2 with the message.
struct UsageError : std::runtime_error {
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// Which files tell the identity: an author's two sources, or a compile's three files.
enum class IdentityFrom { kSources, kCompiled };

// Takes the identity from the options, or from dir when it holds the files of exactly one
// scenario name and one train number of that name: a line source and a train source, or a
// curve file and a ".sim"/".dat" pair. The identity is then checked whole (identity_check).
// Throws UsageError.
Identity resolve_identity(const std::string& dir, const std::optional<std::string>& name,
                          const std::optional<std::string>& train,
                          IdentityFrom from = IdentityFrom::kSources);

}  // namespace scenario::tool
