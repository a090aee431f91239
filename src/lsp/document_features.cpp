#include "lsp/document_features.h"

#include "format/cp1252.h"
#include "formatter/source_formatter.h"
#include "lsp/kilometrage.h"

namespace scenario::lsp {
namespace {

Json position_json(Position p) { return {{"line", p.line}, {"character", p.character}}; }

// The protocol range of a span of the readers' places in the document's text.
Json range_json(const Document& d, int32_t line, int32_t column, int32_t end_line,
                int32_t end_column) {
  const Position start{line - 1, character_of_column(utf8_line(d.text, line - 1), column)};
  const Position end{end_line - 1,
                     character_of_column(utf8_line(d.text, end_line - 1), end_column)};
  return {{"start", position_json(start)}, {"end", position_json(end)}};
}

Json span_range(const Document& d, const FieldSpan& s) {
  return range_json(d, s.line, s.column, s.line, s.end_column);
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
  return {{"contents", {{"kind", "markdown"}, {"value", utf8(markdown)}}},
          {"range", span_range(d, span)}};
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

Json document_symbols(const Document& d, const SourceOutline& outline) {
  static constexpr int kNamespace = 3, kStruct = 23, kEvent = 24;
  const int32_t last_line = end_of(d.text).line + 1;
  Json top = Json::array();
  // The section i runs from its header to the line before the next one.
  const auto section_end = [&](size_t i) {
    return i + 1 < outline.sections.size() ? outline.sections[i + 1].span.line - 1 : last_line;
  };
  std::vector<Json> children(outline.sections.size(), Json::array());
  Json loose = Json::array();
  for (const OutlineRow& row : outline.rows) {
    const bool station = row.kind->keyword == "stazione";
    const bool signal = row.kind->keyword == "segnale";
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
    Json sym = {
        {"name", utf8(name)},
        {"detail", utf8(detail)},
        {"kind", station ? kStruct : kEvent},
        {"range", range_json(d, row.keyword.line, row.keyword.column, last.line, last.end_column)},
        {"selectionRange", span_range(d, station && row.values.size() == row.kind->fields.size()
                                             ? row.values.back().span
                                             : row.keyword)}};
    const OutlineSection* s = section_at(outline, row.keyword.line);
    if (s == nullptr) {
      loose.push_back(std::move(sym));
    } else {
      children[static_cast<size_t>(s - outline.sections.data())].push_back(std::move(sym));
    }
  }
  for (size_t i = 0; i < outline.sections.size(); ++i) {
    const OutlineSection& s = outline.sections[i];
    const int32_t end_line = std::max(s.span.line, section_end(i));
    const int32_t end_column = static_cast<int32_t>(utf8_line(d.text, end_line - 1).size()) + 1;
    Json sym = {{"name", utf8(s.header)},
                {"kind", kNamespace},
                {"range", range_json(d, s.span.line, 1, end_line, end_column)},
                {"selectionRange", span_range(d, s.span)},
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
