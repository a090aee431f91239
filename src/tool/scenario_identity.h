// Finding and checking the identity (base name, train number) of an author's sources.
#pragma once

#include <optional>
#include <string>

namespace scenario::tool {

struct Identity {
  std::string name;
  std::string train;
};

// A usage error of the tool: exit status 2 with the message.
struct UsageError {
  std::string message;
};

// Checks one identity text: empty, "/", "\", ".." or a control character is refused.
std::optional<std::string> identity_problem(const std::string& what, const std::string& text);

// Takes the identity from the options, or from srcdir when it holds exactly one line source and
// one train source of that name. Throws UsageError.
Identity resolve_identity(const std::string& srcdir, const std::optional<std::string>& name,
                          const std::optional<std::string>& train);

}  // namespace scenario::tool
