// Test helper: a small JSON reader, for reading the tool's --json outputs back field by field.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::testing {

class Json {
 public:
  enum class Type { kNull, kBool, kNumber, kString, kArray, kObject };

  Type type() const { return type_; }
  bool is_null() const { return type_ == Type::kNull; }
  // Members and items; each throws std::runtime_error when the value is not of that shape.
  const Json& operator[](const std::string& key) const;
  const Json& operator[](size_t index) const;
  bool has(const std::string& key) const;
  size_t size() const;
  // A number that is a whole number, exactly as written.
  int64_t integer() const;
  double number() const;
  bool boolean() const;
  // A string as Windows-1252 bytes (the inverse of the tool's json_string); throws for a
  // character that code page cannot hold.
  std::string cp1252() const;
  // A string's code points.
  const std::u32string& code_points() const;

 private:
  friend class JsonParser;
  Type type_ = Type::kNull;
  bool bool_ = false;
  std::string number_;  // the literal
  std::u32string string_;
  std::vector<Json> items_;
  std::map<std::string, Json> members_;
};

// Parses one JSON value filling the whole text (blanks around it allowed); throws
// std::runtime_error naming the offset of the first fault.
Json parse_json(std::string_view text);

}  // namespace scenario::testing
