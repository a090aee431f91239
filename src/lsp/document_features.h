// What the editor asks of one source document: hover, its symbols, completion, formatting.
// Each takes the document's text and answers with the protocol's result.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "lsp/documents.h"
#include "lsp/protocol.h"
#include "lsp/source_outline.h"
#include "lsp/text_positions.h"

namespace scenario::lsp {

// The line source on disk beside a train source, kept between hovers: read again only when its
// size or time stamp changes, and not read at all above the size of an open document.
class SiblingOutlines {
 public:
  // The outline of the line source at path; null when there is none, it cannot be read or it is
  // too large.
  const SourceOutline* line_source(const std::string& path);

 private:
  std::string path_;
  std::filesystem::file_time_type time_{};
  uintmax_t size_ = 0;
  std::optional<SourceOutline> outline_;
};

// Hover at a place of a source document, with the line source's kilometrage for a train source:
// the open line source of its scenario, else the one on disk.
Json hover(const Document& d, const Documents& open, SiblingOutlines& disk, Position at);

// Hover at a place of a source: a keyword tells its row kind, a value its field, a position
// also its block and its kilometre on the line's kilometrage (line: the outline of the line
// source; null when there is none). Null when nothing is under the place.
Json hover_at(const Document& d, const SourceOutline& outline, const SourceOutline* line,
              Position at);

// The sections of a source, each holding its rows that have a position on the route (curves,
// gradients, boards, stations, signals, slowdowns, ...).
Json document_symbols(const Document& d, const SourceOutline& outline);

// The row keywords that the reader takes in the section at the place.
Json completion_at(const SourceOutline& outline, Position at);

// The edits that give the document the emitter's column forms; empty when it has them.
Json formatting_edits(const Document& d);

}  // namespace scenario::lsp
