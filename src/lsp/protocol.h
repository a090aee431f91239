// The JSON-RPC messages of the protocol: answers, error answers and notifications, and the
// error codes the server answers with.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace scenario::lsp {

using Json = nlohmann::json;

enum ErrorCode : int {
  kParseError = -32700,
  kInvalidRequest = -32600,
  kMethodNotFound = -32601,
  kInvalidParams = -32602,
  kInternalError = -32603,
  kServerNotInitialized = -32002,
  kRequestFailed = -32803,
};

// A request that cannot be answered with a result: the handler throws, the server answers
// with the error.
struct ProtocolError : std::runtime_error {
  ProtocolError(ErrorCode c, const std::string& message) : std::runtime_error(message), code(c) {}
  ErrorCode code;
};

Json response(const Json& id, Json result);
Json error_response(const Json& id, ErrorCode code, const std::string& message);
Json notification(const std::string& method, Json params);

// The message as the wire carries it; text that is not UTF-8 is replaced, never thrown on.
std::string serialise(const Json& message);

// The deepest nesting of arrays and objects a message may have. Copying and printing a JSON
// value recurse once per level, so a deeper message is refused before it is parsed; the
// protocol's own messages nest a dozen levels at most.
inline constexpr size_t kMaxNesting = 128;

// How deeply the arrays and objects of a JSON text nest, brackets in strings not counted; the
// count stops just past limit.
size_t nesting_depth(std::string_view json, size_t limit = kMaxNesting);

// The id of a message, a number or a string at its top level, found without building the
// message (whatever its depth); null when it has none that is one.
Json top_level_id(std::string_view body);

// A whole number of the params between min and max, as is; throws ProtocolError
// (kInvalidParams) naming what for any other value, so that nothing is wrapped into range.
int64_t whole_number(const Json& value, const std::string& what, int64_t min, int64_t max);

}  // namespace scenario::lsp
