#include "lsp/documents.h"

#include "format/cp1252.h"
#include "formatter/column_forms.h"
#include "lsp/protocol.h"

namespace scenario::lsp {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> file_uri_path(const std::string& uri) {
  static constexpr std::string_view kScheme = "file://";
  if (uri.compare(0, kScheme.size(), kScheme) != 0) return std::nullopt;
  std::string_view rest = std::string_view(uri).substr(kScheme.size());
  // file://host/path: only the local host is ours.
  const size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::string_view host = rest.substr(0, slash);
  if (!host.empty() && host != "localhost") return std::nullopt;
  rest.remove_prefix(slash);
  std::string path;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && hex_value(rest[i + 1]) >= 0 &&
        hex_value(rest[i + 2]) >= 0) {
      path += static_cast<char>(hex_value(rest[i + 1]) * 16 + hex_value(rest[i + 2]));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  if (path.find('\0') != std::string::npos) return std::nullopt;
  return path;
}

std::string path_file_uri(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) {
      uri += ch;
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 0xF];
    }
  }
  return uri;
}

namespace {

void drop_text(Document& d) {
  d.text.clear();
  d.text.shrink_to_fit();
  d.bytes.clear();
  d.bytes.shrink_to_fit();
}

// A document's own share: its URI as key and as field, its path's two parts, its two texts.
size_t held_by(const Document& d) {
  return 2 * d.uri.size() + d.directory.size() + d.file_name.size() + d.text.capacity() +
         d.bytes.capacity();
}

}  // namespace

void set_text(Document& d, std::string text) {
  d.over_bound = false;
  d.too_large = text.size() > kMaxDocumentBytes;
  if (d.too_large) {
    drop_text(d);
    return;
  }
  d.bytes = utf8_to_cp1252(text);
  d.text = std::move(text);
}

void set_over_bound(Document& d) {
  drop_text(d);
  d.too_large = true;
  d.over_bound = true;
}

size_t document_cost(const std::string& uri, size_t text_bytes) {
  // The Windows-1252 text is never longer than the UTF-8 one.
  return 4 * uri.size() + (text_bytes > kMaxDocumentBytes ? 0 : 2 * text_bytes);
}

void check_uri(const std::string& uri) {
  if (uri.size() > kMaxUriBytes) {
    throw ProtocolError(kRequestFailed, "a URI of " + std::to_string(uri.size()) +
                                            " bytes, longer than the " +
                                            std::to_string(kMaxUriBytes / 1024) + " KiB taken");
  }
}

Document& Documents::open(const std::string& uri, std::string text, int64_t version) {
  check_uri(uri);
  auto it = docs_.find(uri);
  if (it == docs_.end()) {
    if (docs_.size() >= kMaxDocuments) {
      throw ProtocolError(kRequestFailed,
                          "more than " + std::to_string(kMaxDocuments) + " documents open at once");
    }
    it = docs_.emplace(uri, Document{}).first;
  }
  Document& d = it->second;
  d.uri = uri;
  d.version = version;
  if (const std::optional<std::string> path = file_uri_path(uri)) {
    const size_t slash = path->rfind('/');
    d.directory = path->substr(0, slash == 0 ? 1 : slash);
    d.file_name = path->substr(slash + 1);
    d.kind = source_kind_of(d.file_name);
  } else {
    d.directory.clear();
    d.file_name.clear();
    d.kind.reset();
  }
  set_text(d, std::move(text));
  return d;
}

Document* Documents::change(const std::string& uri, std::string text, int64_t version) {
  Document* d = find(uri);
  if (d == nullptr) return nullptr;
  d->version = version;
  set_text(*d, std::move(text));
  return d;
}

Document* Documents::find(const std::string& uri) {
  const auto it = docs_.find(uri);
  return it == docs_.end() ? nullptr : &it->second;
}

const Document* Documents::find_file(const std::string& directory,
                                     const std::string& file_name) const {
  for (const auto& [uri, d] : docs_) {
    if (d.directory == directory && d.file_name == file_name) return &d;
  }
  return nullptr;
}

size_t Documents::held_bytes() const {
  size_t n = 0;
  for (const auto& [uri, d] : docs_) n += held_by(d);
  return n;
}

size_t Documents::held_bytes_of(const std::string& uri) const {
  const auto it = docs_.find(uri);
  return it == docs_.end() ? 0 : held_by(it->second);
}

}  // namespace scenario::lsp
