#include "lsp/protocol.h"

#include <algorithm>

namespace scenario::lsp {

Json response(const Json& id, Json result) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
}

Json error_response(const Json& id, ErrorCode code, const std::string& message) {
  return {{"jsonrpc", "2.0"},
          {"id", id},
          {"error", {{"code", static_cast<int>(code)}, {"message", message}}}};
}

Json notification(const std::string& method, Json params) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}

std::string serialise(const Json& message) {
  return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

size_t nesting_depth(std::string_view json, size_t limit) {
  size_t depth = 0;
  size_t deepest = 0;
  for (size_t i = 0; i < json.size(); ++i) {
    switch (json[i]) {
      case '"':
        // To the string's closing quote; an escaped character never closes it.
        for (++i; i < json.size() && json[i] != '"'; ++i) {
          if (json[i] == '\\') ++i;
        }
        break;
      case '[':
      case '{':
        deepest = std::max(deepest, ++depth);
        if (deepest > limit) return deepest;
        break;
      case ']':
      case '}':
        if (depth > 0) --depth;
        break;
      default:
        break;
    }
  }
  return deepest;
}

namespace {

// Reads events of a JSON text without keeping them, but for the id of its top-level object.
// The parser's own stack is not recursive, so no depth of input can exhaust ours.
class IdFinder : public nlohmann::json_sax<Json> {
 public:
  Json id;

  bool null() override { return scalar(nullptr); }
  bool boolean(bool) override { return scalar(nullptr); }
  bool number_integer(number_integer_t v) override { return scalar(v); }
  bool number_unsigned(number_unsigned_t v) override { return scalar(v); }
  bool number_float(number_float_t, const string_t&) override { return scalar(nullptr); }
  bool string(string_t& v) override { return scalar(v); }
  bool binary(binary_t&) override { return scalar(nullptr); }
  bool start_object(size_t) override { return open(); }
  bool start_array(size_t) override { return open(); }
  bool end_object() override { return close(); }
  bool end_array() override { return close(); }
  bool key(string_t& k) override {
    at_id_ = depth_ == 1 && k == "id";
    return true;
  }
  bool parse_error(size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool scalar(Json v) {
    if (at_id_) id = v.is_null() ? Json(nullptr) : std::move(v);
    at_id_ = false;
    return true;
  }
  bool open() {
    if (at_id_) id = nullptr;  // an array or object is no id
    at_id_ = false;
    ++depth_;
    return true;
  }
  bool close() {
    --depth_;
    return true;
  }

  size_t depth_ = 0;
  bool at_id_ = false;
};

}  // namespace

Json top_level_id(std::string_view body) {
  IdFinder finder;
  Json::sax_parse(body, &finder);
  return finder.id;
}

int64_t whole_number(const Json& value, const std::string& what, int64_t min, int64_t max) {
  const std::string range = " (" + std::to_string(min) + " to " + std::to_string(max) + ")";
  if (value.is_number_unsigned()) {
    const auto v = value.get<uint64_t>();
    if (v > static_cast<uint64_t>(max)) {
      throw ProtocolError(kInvalidParams,
                          what + " " + std::to_string(v) + " is out of range" + range);
    }
    return static_cast<int64_t>(v);
  }
  if (value.is_number_integer()) {
    const auto v = value.get<int64_t>();
    if (v < min || v > max) {
      throw ProtocolError(kInvalidParams,
                          what + " " + std::to_string(v) + " is out of range" + range);
    }
    return v;
  }
  throw ProtocolError(kInvalidParams, what + " is not a whole number" + range);
}

}  // namespace scenario::lsp
