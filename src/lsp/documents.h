// The documents the editor has open: the text it holds, and which source of which scenario it
// is, told by the file name as the readers name their sources.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "source/field_reference.h"

namespace scenario::lsp {

// The largest document taken: far above any real source (a 1,000 km line is under 1 MiB), far
// below what would make each keystroke slow.
inline constexpr size_t kMaxDocumentBytes = 4 * 1024 * 1024;
// Open documents kept at once; an editor opens a handful.
inline constexpr size_t kMaxDocuments = 64;
// All the server holds for its documents together: texts (each held twice, as the editor's and
// as the readers') and URIs. Far above a real session's few sources, far below what would
// exhaust the machine; once reached, no more text is taken until documents are closed.
inline constexpr size_t kMaxHeldBytes = 64 * 1024 * 1024;
// The longest URI taken: a path of the longest a system allows, every byte percent-escaped.
inline constexpr size_t kMaxUriBytes = 16 * 1024;

struct Document {
  std::string uri;
  std::string directory;           // of the file; empty when the URI is not a file
  std::string file_name;           // without directory
  std::optional<SourceKind> kind;  // nullopt: not a scenario source
  int64_t version = 0;
  bool too_large = false;   // its text is not held: above kMaxDocumentBytes, or over_bound
  bool over_bound = false;  // not held because the documents together would pass kMaxHeldBytes
  std::string text;         // UTF-8, as the editor holds it; empty when too large
  std::string bytes;        // the same text in Windows-1252, as the readers read it
};

// The local path of a file URI, percent escapes decoded; nullopt for other URIs.
std::optional<std::string> file_uri_path(const std::string& uri);
// The file URI of a local path, as editors write them.
std::string path_file_uri(const std::string& path);

class Documents {
 public:
  // Opens or replaces a document; returns it. Throws ProtocolError when too many are open or
  // the URI is too long.
  Document& open(const std::string& uri, std::string text, int64_t version);
  // Replaces the text of an open document; null when it is not open.
  Document* change(const std::string& uri, std::string text, int64_t version);
  void close(const std::string& uri) { docs_.erase(uri); }

  Document* find(const std::string& uri);
  const std::map<std::string, Document>& all() const { return docs_; }
  // The open document of a file of a directory; null when that file is not open.
  const Document* find_file(const std::string& directory, const std::string& file_name) const;
  // Bytes of text and names held, for the memory bound.
  size_t held_bytes() const;
  // The part of held_bytes() that the document of uri holds; 0 when it is not open.
  size_t held_bytes_of(const std::string& uri) const;

 private:
  std::map<std::string, Document> docs_;
};

// Throws ProtocolError for a URI longer than kMaxUriBytes.
void check_uri(const std::string& uri);
// Sets a document's text, or marks it too large.
void set_text(Document& d, std::string text);
// Drops a document's text because the documents together would hold too much.
void set_over_bound(Document& d);
// At most what a document of this URI and text holds once open.
size_t document_cost(const std::string& uri, size_t text_bytes);

}  // namespace scenario::lsp
