#include "support/json_reader.h"

#include <cctype>
#include <charconv>
#include <stdexcept>

namespace scenario::testing {
namespace {

// Windows-1252 bytes 0x80 to 0x9F as code points; 0 where the code page leaves a byte undefined.
constexpr char32_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::string utf8(const std::u32string& s) {
  std::string out;
  for (char32_t c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

class JsonParser {
 public:
  explicit JsonParser(std::string_view text) : t_(text) {}

  Json document() {
    Json v = value();
    blanks();
    if (at_ != t_.size()) fail("text after the value");
    return v;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error("JSON offset " + std::to_string(at_) + ": " + what);
  }
  void blanks() {
    while (at_ < t_.size() &&
           (t_[at_] == ' ' || t_[at_] == '\n' || t_[at_] == '\r' || t_[at_] == '\t')) {
      ++at_;
    }
  }
  char peek() {
    blanks();
    if (at_ >= t_.size()) fail("unexpected end");
    return t_[at_];
  }
  void expect(char c) {
    if (peek() != c) fail(std::string("expected '") + c + "'");
    ++at_;
  }
  void word(std::string_view w) {
    if (t_.substr(at_, w.size()) != w) fail("bad literal");
    at_ += w.size();
  }

  Json value() {
    Json v;
    const char c = peek();
    if (c == '{') {
      v.type_ = Json::Type::kObject;
      ++at_;
      if (peek() == '}') {
        ++at_;
        return v;
      }
      for (;;) {
        if (peek() != '"') fail("expected a member name");
        const std::string key = utf8(string());
        expect(':');
        if (!v.members_.emplace(key, value()).second) fail("member '" + key + "' twice");
        if (peek() == ',') {
          ++at_;
          continue;
        }
        expect('}');
        return v;
      }
    }
    if (c == '[') {
      v.type_ = Json::Type::kArray;
      ++at_;
      if (peek() == ']') {
        ++at_;
        return v;
      }
      for (;;) {
        v.items_.push_back(value());
        if (peek() == ',') {
          ++at_;
          continue;
        }
        expect(']');
        return v;
      }
    }
    if (c == '"') {
      v.type_ = Json::Type::kString;
      v.string_ = string();
      return v;
    }
    if (c == 't' || c == 'f') {
      v.type_ = Json::Type::kBool;
      v.bool_ = c == 't';
      word(c == 't' ? "true" : "false");
      return v;
    }
    if (c == 'n') {
      word("null");
      return v;
    }
    const size_t start = at_;
    if (t_[at_] == '-') ++at_;
    while (at_ < t_.size() &&
           (std::isdigit(static_cast<unsigned char>(t_[at_])) || t_[at_] == '.' || t_[at_] == 'e' ||
            t_[at_] == 'E' || t_[at_] == '+' || t_[at_] == '-')) {
      ++at_;
    }
    if (at_ == start) fail("unexpected character");
    v.type_ = Json::Type::kNumber;
    v.number_ = std::string(t_.substr(start, at_ - start));
    return v;
  }

  unsigned hex4() {
    if (at_ + 4 > t_.size()) fail("short \\u escape");
    unsigned u = 0;
    const auto r = std::from_chars(t_.data() + at_, t_.data() + at_ + 4, u, 16);
    if (r.ptr != t_.data() + at_ + 4) fail("bad \\u escape");
    at_ += 4;
    return u;
  }

  std::u32string string() {
    expect('"');
    std::u32string s;
    for (;;) {
      if (at_ >= t_.size()) fail("unterminated string");
      const auto c = static_cast<unsigned char>(t_[at_++]);
      if (c == '"') return s;
      if (c < 0x20) fail("control character in a string");
      if (c == '\\') {
        if (at_ >= t_.size()) fail("unterminated escape");
        const char e = t_[at_++];
        switch (e) {
          case '"':
          case '\\':
          case '/':
            s += static_cast<char32_t>(e);
            break;
          case 'b':
            s += U'\b';
            break;
          case 'f':
            s += U'\f';
            break;
          case 'n':
            s += U'\n';
            break;
          case 'r':
            s += U'\r';
            break;
          case 't':
            s += U'\t';
            break;
          case 'u': {
            unsigned u = hex4();
            if (u >= 0xD800 && u < 0xDC00) {
              word("\\u");
              const unsigned low = hex4();
              u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            }
            s += static_cast<char32_t>(u);
            break;
          }
          default:
            fail("unknown escape");
        }
        continue;
      }
      if (c < 0x80) {
        s += static_cast<char32_t>(c);
        continue;
      }
      // UTF-8 sequence.
      const int n = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
      char32_t cp = c & (0x3F >> n);
      for (int i = 0; i < n; ++i) {
        if (at_ >= t_.size()) fail("cut UTF-8 sequence");
        cp = (cp << 6) | (static_cast<unsigned char>(t_[at_++]) & 0x3F);
      }
      s += cp;
    }
  }

  std::string_view t_;
  size_t at_ = 0;
};

const Json& Json::operator[](const std::string& key) const {
  if (type_ != Type::kObject) throw std::runtime_error("not an object (looking for " + key + ")");
  const auto it = members_.find(key);
  if (it == members_.end()) throw std::runtime_error("no member '" + key + "'");
  return it->second;
}

const Json& Json::operator[](size_t index) const {
  if (type_ != Type::kArray) throw std::runtime_error("not an array");
  if (index >= items_.size()) throw std::runtime_error("index " + std::to_string(index) + " out");
  return items_[index];
}

bool Json::has(const std::string& key) const {
  return type_ == Type::kObject && members_.count(key) != 0;
}

size_t Json::size() const {
  if (type_ == Type::kArray) return items_.size();
  if (type_ == Type::kObject) return members_.size();
  throw std::runtime_error("no size: not an array or object");
}

int64_t Json::integer() const {
  if (type_ != Type::kNumber) throw std::runtime_error("not a number");
  int64_t v = 0;
  const auto r = std::from_chars(number_.data(), number_.data() + number_.size(), v);
  if (r.ec != std::errc() || r.ptr != number_.data() + number_.size()) {
    throw std::runtime_error("not a whole number: " + number_);
  }
  return v;
}

double Json::number() const {
  if (type_ != Type::kNumber) throw std::runtime_error("not a number");
  double v = 0;
  const auto r = std::from_chars(number_.data(), number_.data() + number_.size(), v);
  if (r.ec != std::errc() || r.ptr != number_.data() + number_.size()) {
    throw std::runtime_error("bad number: " + number_);
  }
  return v;
}

bool Json::boolean() const {
  if (type_ != Type::kBool) throw std::runtime_error("not a boolean");
  return bool_;
}

const std::u32string& Json::code_points() const {
  if (type_ != Type::kString) throw std::runtime_error("not a string");
  return string_;
}

std::string Json::cp1252() const {
  std::string out;
  for (char32_t c : code_points()) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
      continue;
    }
    bool found = false;
    for (int i = 0; i < 32 && !found; ++i) {
      if (kHigh[i] != 0 && kHigh[i] == c) {
        out += static_cast<char>(0x80 + i);
        found = true;
      }
    }
    if (!found) throw std::runtime_error("code point not in Windows-1252");
  }
  return out;
}

Json parse_json(std::string_view text) { return JsonParser(text).document(); }

}  // namespace scenario::testing
