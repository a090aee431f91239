#include "lsp/document_features.h"

#include "format/cp1252.h"
#include "format/file_names.h"
#include "format/native_path.h"
#include "formatter/source_formatter.h"
#include "lsp/kilometrage.h"
#include "model/general_table.h"
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

// The board lines of a board text: "(PASSAGGIO)(A LIVELLO)" gives PASSAGGIO and A LIVELLO.
std::vector<std::string_view> board_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t at = 0;
  while ((at = text.find('(', at)) != std::string_view::npos) {
    const size_t end = text.find(')', at + 1);
    if (end == std::string_view::npos) break;
    lines.push_back(text.substr(at + 1, end - at - 1));
    at = end + 1;
  }
  return lines;
}

// What this value is among the kind's values, where the reference tells it by value.
std::string value_meaning(const OutlineRow& row, const OutlineValue& v, int board_slot,
                          const std::vector<Progressive>* progressives) {
  const RowKindId id = row.kind->id;
  const size_t index = static_cast<size_t>(v.entry - row.kind->fields.data());
  if (id == RowKindId::kIndicationBoard && !v.is_number) {
    std::string s = "\n\nThis board's text";
    if (board_slot >= 1) s += ", in `.sim` slot " + std::to_string(board_slot);
    const std::vector<std::string_view> lines = board_lines(v.text);
    if (!lines.empty()) {
      s += ", shows " + std::to_string(lines.size()) + (lines.size() == 1 ? " line:" : " lines:");
      for (const std::string_view l : lines) s += "\n- `" + std::string(l) + "`";
    } else {
      s += ": no board line in round brackets, as the built-in texts have";
    }
    if (progressives != nullptr && !row.values.empty() && row.values.front().is_number) {
      if (const std::optional<int64_t> km =
              kilometre_at(*progressives, row.values.front().number)) {
        s += "\n\nThe line's kilometre at the board: " + kilometre_text(*km);
      }
    }
    return s;
  }
  if (id == RowKindId::kStation && index == 1 && v.is_number) {
    const int32_t k = v.number;
    if (k >= 25)
      return "\n\nKind " + std::to_string(k) + ": a station passed, nothing on the track";
    std::string s = "\n\nKind " + std::to_string(k) + ": a stop, with a stop marker ";
    if (k == 5 || k == 6) return s + "100 m past the position, no approach marks";
    if (k == 7 || k == 8)
      return s + "before the end of an area from position - length to position + length";
    return s + "before the end of an area of the length centred on the position";
  }
  if (id == RowKindId::kSignal && index == 1 && v.is_number) {
    if (v.number == 1) return "\n\nKind 1: a distant signal";
    if (v.number == 2) return "\n\nKind 2: a main signal";
    return "\n\nKind " + std::to_string(v.number) + ": neither a distant (1) nor a main (2) signal";
  }
  if ((id == RowKindId::kProgressiveUno || id == RowKindId::kProgressiveDue ||
       id == RowKindId::kProgressiveTre) &&
      index == 2 && v.is_number) {
    return v.number == 1 ? "\n\nFlag 1: the kilometres fall as the route goes on"
                         : "\n\nFlag " + std::to_string(v.number) +
                               ": the kilometres rise as the route goes on";
  }
  return "";
}

std::string value_text(const OutlineRow& row, const OutlineValue& v, int board_slot,
                       const std::vector<Progressive>* progressives) {
  const FieldEntry& f = *v.entry;
  std::string s = "**" + std::string(f.name) + "** of `" + std::string(row.kind->keyword) + "`";
  if (!f.unit.empty() && f.unit != "-") s += " (" + std::string(f.unit) + ")";
  s += ", read as " + std::string(f.width);
  s += value_meaning(row, v, board_slot, progressives);
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
  // Board texts take the general table's slots from 80 down, in row order.
  int board_slot = GeneralTable::kFirstBoardSlot + 1;
  for (const OutlineRow& row : outline.rows) {
    if (row.keyword.line > l) break;
    if (row.kind->id == RowKindId::kIndicationBoard) --board_slot;
    if (row.keyword.covers(l, c)) return hover_json(d, row.keyword, keyword_text(*row.kind));
    for (const OutlineValue& v : row.values) {
      if (v.span.covers(l, c)) {
        return hover_json(d, v.span,
                          value_text(row, v, board_slot, progressives ? &*progressives : nullptr));
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

namespace {

// The protocol's symbol kinds that the outline uses.
enum SymbolKind : int {
  kNamespace = 3,
  kFunction = 12,
  kConstant = 14,
  kString = 15,
  kNumber = 16,
  kObject = 19,
  kKey = 20,
  kStruct = 23,
  kEvent = 24,
};

// True for a row kind whose first value places it on the route.
bool has_position(const RowKindEntry& k) {
  if (k.fields.empty()) return false;
  const FieldEntry& f = k.fields.front();
  return f.unit == "m" && (f.name == "position" || f.name == "start");
}

std::string number_text(const OutlineRow& row, size_t i) {
  return i < row.values.size() && row.values[i].is_number ? std::to_string(row.values[i].number)
                                                          : "?";
}

struct RowSymbol {
  std::string name, detail;
  int kind = kObject;
  bool named_by_last = false;  // the selection is the last value (a name or a text)
};

// How the outline names a row that has a position: by what an author looks for in it.
RowSymbol row_symbol(const OutlineRow& row) {
  const size_t n = row.values.size();
  const bool whole = n == row.kind->fields.size();
  const std::string at = number_text(row, 0) + " m";
  RowSymbol s;
  s.detail = at;
  switch (row.kind->id) {
    case RowKindId::kStation:
      s.kind = kStruct;
      s.name = whole ? row.values.back().text : "";
      s.named_by_last = whole && !s.name.empty();
      if (s.name.empty()) s.name = "stazione";
      break;
    case RowKindId::kSignal:
      s.kind = kEvent;
      s.name = "segnale " + at;
      s.detail = n > 1 ? "kind " + number_text(row, 1) : "";
      if (n > 1 && row.values[1].number == 1) s.detail += ", distant";
      if (n > 1 && row.values[1].number == 2) s.detail += ", main";
      break;
    case RowKindId::kCurve:
      s.kind = kFunction;
      s.name = row.keyword_text;
      s.detail = at + ", " + number_text(row, 1) + " m long";
      break;
    case RowKindId::kGradient:
      s.kind = kNumber;
      s.name = "pendenza " + number_text(row, 1);
      break;
    case RowKindId::kMountain:
      s.name = "montagna " + number_text(row, 0) + " to " + number_text(row, 1) + " m";
      s.detail = "kind " + number_text(row, 2);
      break;
    case RowKindId::kSpeedBoard:
      s.kind = kConstant;
      s.name = "indicatori_vmax " + number_text(row, 1) + "/" + number_text(row, 2) + "/" +
               number_text(row, 3);
      break;
    case RowKindId::kIndicationBoard:
      s.kind = kString;
      s.name = whole ? row.values.back().text : "";
      s.named_by_last = whole && !s.name.empty();
      if (s.name.empty()) s.name = "cartello_indicatore";
      break;
    case RowKindId::kSpeed:
      s.kind = kNumber;
      s.name = "velocita " + number_text(row, 1) + " km/h";
      break;
    case RowKindId::kAdhesion:
      s.kind = kNumber;
      s.name = "aderenza " + number_text(row, 1);
      break;
    case RowKindId::kSlowdown:
      s.kind = kEvent;
      s.name = "rallentamento " + number_text(row, 1) + " km/h";
      s.detail = at + ", " + number_text(row, 2) + " m long";
      break;
    case RowKindId::kCodeCut:
      s.kind = kKey;
      s.name = "abbattimento " + number_text(row, 1);
      break;
    default:
      s.name = std::string(row.kind->keyword);
      break;
  }
  return s;
}

}  // namespace

Json document_symbols(const Document& d, const SourceOutline& outline) {
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
    if (!has_position(*row.kind) || row.values.empty()) continue;
    const FieldSpan& last = row.values.back().span;
    const RowSymbol s = row_symbol(row);
    Json sym = Json::object();
    sym["name"] = utf8(s.name);
    sym["detail"] = utf8(s.detail);
    sym["kind"] = s.kind;
    sym["range"] =
        range_json(lines, row.keyword.line, row.keyword.column, last.line, last.end_column);
    sym["selectionRange"] = span_range(lines, s.named_by_last ? last : row.keyword);
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
