// The JSON-RPC messages of the protocol: answers, error answers and notifications, and the
// error codes the server answers with.
#pragma once

#include <stdexcept>
#include <string>

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

}  // namespace scenario::lsp
