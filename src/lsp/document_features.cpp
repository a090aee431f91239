#include "lsp/document_features.h"

#include "format/cp1252.h"
#include "format/file_names.h"
#include "format/native_path.h"
#include "formatter/source_formatter.h"
#include "lsp/kilometrage.h"
#include "source/read_failure.h"
#include "source/source_store.h"

namespace scenario::lsp {
namespace {

// Built member by member: an initializer list copies every nested value once more, which a list
// of ten thousand symbols feels.
Json position_json(Position p) {
  Json j = Json::object();
  j["line"] = p.line;
  j["character"] = p.character;
  return j;
}

// Where each line of a text starts, found once: a request that places many rows looks each
// line up at once instead of walking the text from its start for every one.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text) : text_(text) {
    starts_.push_back(0);
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (text[i] == '\r' || text[i] == '\n') starts_.push_back(i + 1);
    }
  }
  // Line n (from 0) without its line end; empty beyond the text.
  std::string_view line(int32_t n) const {
    if (n < 0 || static_cast<size_t>(n) >= starts_.size()) return {};
    const size_t start = starts_[static_cast<size_t>(n)];
    size_t end = start;
    while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
    return text_.substr(start, end - start);
  }

 private:
  std::string_view text_;
  std::vector<size_t> starts_;
};

// The protocol range of a span of the readers' places in the document's text.
Json range_json(const LineIndex& lines, int32_t line, int32_t column, int32_t end_line,
                int32_t end_column) {
  const Position start{line - 1, character_of_column(lines.line(line - 1), column)};
  const Position end{end_line - 1, character_of_column(lines.line(end_line - 1), end_column)};
  Json j = Json::object();
  j["start"] = position_json(start);
  j["end"] = position_json(end);
  return j;
}

Json span_range(const LineIndex& lines, const FieldSpan& s) {
  return range_json(lines, s.line, s.column, s.line, s.end_column);
}

std::string utf8(std::string_view cp1252) { return cp1252_to_utf8(cp1252); }

bool is_route_position(const FieldEntry& f) {
  return f.unit == "m" && (f.name == "position" || f.name == "start" || f.name == "end");
}

std::string keyword_text(const RowKindEntry& k) {
  std::string s = "**" + std::string(k.keyword) + "**: " + std::string(source_name(k.source)) +
                  " source, under `" + std::string(k.section) + "`\n\n" +
                  std::string(k.description) + "\n\nValues:";
  int n = 1;
  for (const FieldEntry& f : k.fields) {
    s += "\n" + std::to_string(n++) + ". " + std::string(f.name);
    if (!f.unit.empty() && f.unit != "-") s += " (" + std::string(f.unit) + ")";
  }
  return s;
}

std::string value_text(const OutlineRow& row, const OutlineValue& v,
                       const std::vector<Progressive>* progressives) {
  const FieldEntry& f = *v.entry;
  std::string s = "**" + std::string(f.name) + "** of `" + std::string(row.kind->keyword) + "`";
  if (!f.unit.empty() && f.unit != "-") s += " (" + std::string(f.unit) + ")";
  s += ", read as " + std::string(f.width);
  if (v.is_number && is_route_position(f)) {
    s += "\n\nAt " + std::to_string(v.number) + " m: block " + std::to_string(block_of(v.number));
    if (progressives != nullptr) {
      if (const std::optional<int64_t> km = kilometre_at(*progressives, v.number)) {
        s += ", " + kilometre_text(*km) + " of the line";
      } else {
        s += ", before every kilometre progressive of the line";
      }
    }
  }
  if (!f.range.empty()) s += "\n\nValues: " + std::string(f.range);
  if (!f.effect.empty()) s += "\n\nEffect: " + std::string(f.effect);
  if (!f.bad_value.empty()) s += "\n\nOtherwise: " + std::string(f.bad_value);
  return s;
}

Json hover_json(const Document& d, const FieldSpan& span, const std::string& markdown) {
  // One line is enough for a hover: the span's own.
  const std::string_view line = utf8_line(d.text, span.line - 1);
  const Position start{span.line - 1, character_of_column(line, span.column)};
  const Position end{span.line - 1, character_of_column(line, span.end_column)};
  return {{"contents", {{"kind", "markdown"}, {"value", utf8(markdown)}}},
          {"range", {{"start", position_json(start)}, {"end", position_json(end)}}}};
}

}  // namespace

Json hover_at(const Document& d, const SourceOutline& outline, const SourceOutline* line,
              Position at) {
  const int32_t l = at.line + 1;
  const int32_t c = column_of_character(utf8_line(d.text, at.line), at.character);
  std::optional<std::vector<Progressive>> progressives;
  if (line != nullptr) progressives = progressives_of(*line);
  for (const OutlineRow& row : outline.rows) {
    if (row.keyword.line > l) break;
    if (row.keyword.covers(l, c)) return hover_json(d, row.keyword, keyword_text(*row.kind));
    for (const OutlineValue& v : row.values) {
      if (v.span.covers(l, c)) {
        return hover_json(d, v.span, value_text(row, v, progressives ? &*progressives : nullptr));
      }
    }
  }
  for (const OutlineSection& s : outline.sections) {
    if (!s.span.covers(l, c)) continue;
    std::string lower = s.header;
    for (char& ch : lower) ch = (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch + 32) : ch;
    if (const SectionEntry* e = find_section(outline.kind, lower)) {
      return hover_json(d, s.span, "**" + s.header + "**\n\n" + std::string(e->description));
    }
  }
  return nullptr;
}

const SourceOutline* SiblingOutlines::line_source(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path file = native_path(path);
  const auto status = std::filesystem::status(file, ec);
  if (ec || !std::filesystem::is_regular_file(status)) return nullptr;
  const uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec || size > kMaxDocumentBytes) return nullptr;
  const auto time = std::filesystem::last_write_time(file, ec);
  if (ec) return nullptr;
  if (outline_ && path == path_ && size == size_ && time == time_) return &*outline_;
  outline_.reset();
  try {
    std::optional<std::string> text = load_source_file(path);
    if (!text || text->size() > kMaxDocumentBytes) return nullptr;
    outline_ = outline_source(*text, SourceKind::kLine);
  } catch (const ReadFailure&) {
    return nullptr;  // without the line there is no kilometrage to tell
  }
  path_ = path;
  size_ = size;
  time_ = time;
  return &*outline_;
}

Json hover(const Document& d, const Documents& open, SiblingOutlines& disk, Position at) {
  const SourceOutline outline = outline_source(d.bytes, *d.kind);
  if (*d.kind == SourceKind::kLine) return hover_at(d, outline, &outline, at);
  std::optional<SourceOutline> line;
  const SourceOutline* line_outline = nullptr;
  if (const std::optional<Identity> id = source_identity(d.file_name)) {
    const std::string line_name = line_source_name(*id);
    if (const Document* l = open.find_file(d.directory, line_name)) {
      if (!l->too_large) line_outline = &line.emplace(outline_source(l->bytes, SourceKind::kLine));
    } else {
      line_outline = disk.line_source(d.directory + "/" + line_name);
    }
  }
  return hover_at(d, outline, line_outline, at);
}

Json document_symbols(const Document& d, const SourceOutline& outline) {
  static constexpr int kNamespace = 3, kStruct = 23, kEvent = 24;
  const LineIndex lines(d.text);
  const int32_t last_line = end_of(d.text).line + 1;
  Json top = Json::array();
  // The section i runs from its header to the line before the next one.
  const auto section_end = [&](size_t i) {
    return i + 1 < outline.sections.size() ? outline.sections[i + 1].span.line - 1 : last_line;
  };
  std::vector<Json> children(outline.sections.size(), Json::array());
  Json loose = Json::array();
  size_t section = 0;
  for (const OutlineRow& row : outline.rows) {
    const bool station = row.kind->id == RowKindId::kStation;
    const bool signal = row.kind->id == RowKindId::kSignal;
    if (!station && !signal) continue;
    if (row.values.empty()) continue;
    const FieldSpan& last = row.values.back().span;
    std::string name, detail = std::to_string(row.values.front().number) + " m";
    if (station) {
      name = row.values.size() == row.kind->fields.size() ? row.values.back().text : "stazione";
      if (name.empty()) name = "stazione";
    } else {
      name = "segnale " + detail;
      detail = row.values.size() > 1 ? "kind " + std::to_string(row.values[1].number) : "";
    }
    Json sym = Json::object();
    sym["name"] = utf8(name);
    sym["detail"] = utf8(detail);
    sym["kind"] = station ? kStruct : kEvent;
    sym["range"] =
        range_json(lines, row.keyword.line, row.keyword.column, last.line, last.end_column);
    sym["selectionRange"] = span_range(
        lines, station && row.values.size() == row.kind->fields.size() ? row.values.back().span
                                                                       : row.keyword);
    // Rows come in file order, so the section of each is found by moving on, not by a search.
    while (section + 1 < outline.sections.size() &&
           outline.sections[section + 1].span.line <= row.keyword.line) {
      ++section;
    }
    if (outline.sections.empty() || outline.sections[section].span.line > row.keyword.line) {
      loose.push_back(std::move(sym));
    } else {
      children[section].push_back(std::move(sym));
    }
  }
  for (size_t i = 0; i < outline.sections.size(); ++i) {
    const OutlineSection& s = outline.sections[i];
    const int32_t end_line = std::max(s.span.line, section_end(i));
    const int32_t end_column = static_cast<int32_t>(lines.line(end_line - 1).size()) + 1;
    Json sym = {{"name", utf8(s.header)},
                {"kind", kNamespace},
                {"range", range_json(lines, s.span.line, 1, end_line, end_column)},
                {"selectionRange", span_range(lines, s.span)},
                {"children", std::move(children[i])}};
    top.push_back(std::move(sym));
  }
  for (Json& j : loose) top.push_back(std::move(j));
  return top;
}

Json completion_at(const SourceOutline& outline, Position at) {
  static constexpr int kKeyword = 14;
  Json items = Json::array();
  for (const RowKindEntry* k : row_kinds_at(outline, at.line + 1)) {
    items.push_back({{"label", std::string(k->keyword)},
                     {"kind", kKeyword},
                     {"detail", std::string(k->section)},
                     {"documentation", {{"kind", "markdown"}, {"value", keyword_text(*k)}}},
                     {"insertText", std::string(k->written) + ","}});
  }
  return {{"isIncomplete", false}, {"items", std::move(items)}};
}

Json formatting_edits(const Document& d) {
  // Formatting rewrites the whole text through Windows-1252: what that code page cannot hold
  // would be lost.
  if (utf8(d.bytes) != d.text) {
    throw ProtocolError(kRequestFailed,
                        "the document holds characters that a source cannot hold (Windows-1252): "
                        "formatting would replace them");
  }
  const FormattedSource f = format_source(d.bytes, *d.kind);
  if (f.text == d.bytes) return Json::array();
  return Json::array(
      {{{"range", {{"start", position_json({0, 0})}, {"end", position_json(end_of(d.text))}}},
        {"newText", utf8(f.text)}}});
}

}  // namespace scenario::lsp
