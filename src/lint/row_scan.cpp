#include "lint/row_scan.h"

#include <algorithm>

#include "source/control_bytes.h"
#include "source/edit_distance.h"
#include "source/status_codes.h"
#include "source/text_match.h"

namespace scenario {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool has_letter(std::string_view s) {
  return std::any_of(s.begin(), s.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

std::string_view scope_words(RowScope s) {
  switch (s) {
    case RowScope::kLineGeneral:
      return "the line's [generale] section";
    case RowScope::kLineBody:
      return "the line body";
    default:
      return "the train source";
  }
}

// A line written the way other formats write comments.
bool comment_like(std::string_view trimmed) {
  return !trimmed.empty() && (trimmed[0] == '#' || trimmed[0] == ';' || trimmed[0] == '\'' ||
                              trimmed.substr(0, 2) == "//");
}

bool is_header(std::string_view field) { return contains(field, "[") && contains(field, "]"); }
bool header_like(std::string_view field) { return contains(field, "[") || contains(field, "]"); }

// The section header of a source that a header-like field most likely means: one or two slips
// away, and not itself. Null when none is that near.
const SectionEntry* near_header(SourceKind source, std::string_view field) {
  const SectionEntry* best = nullptr;
  size_t best_distance = 3;
  for (const SectionEntry& s : section_entries()) {
    if (s.source != source) continue;
    const size_t d = edit_distance(field, s.header);
    if (d < best_distance) best = &s, best_distance = d;
  }
  return best_distance == 0 ? nullptr : best;
}

// The edit that writes text over a field that begins at column of line and holds width bytes.
Fix over_field(int32_t line, int32_t column, size_t width, std::string text, std::string title) {
  return Fix{std::move(title), line, column, line, column + static_cast<int32_t>(width),
             std::move(text)};
}

// Warns of the rows' form as the scan hands out keyword fields and rows. A keyword's rows are
// judged once the next keyword field comes, and the fields left on a row's last line once the
// first field of another line does.
class FormScan : public ScanVisitor {
 public:
  FormScan(SourceKind source, const TextLines& lines, std::string eol, const WarnFn& warn,
           const RowFn& row, const WantFn& wanted)
      : source_(source),
        lines_(lines),
        eol_(std::move(eol)),
        warn_(warn),
        row_(row),
        wanted_(wanted) {}

  bool saw_general = false;

  void general_header(const Field&) override { saw_general = true; }

  void keyword(const KeywordField& k) override {
    finish_rows();
    if (k.scope == RowScope::kLineGeneral && general_section(k)) return;
    if (k.kind_count == 0 && header_like(k.field.text) && !contains(k.field.text, "-") &&
        first_on_line(k.field.line, k.field.column)) {
      if (near_header(source_, k.field.text) != nullptr) {
        finish_extras();
        misspelt_header(k.field);
        return;
      }
    }
    if (extras_.active && k.field.line == extras_.line && k.skipped == 0 && k.kind_count == 0) {
      extras_.fields.emplace_back(k.field.text, k.field.column);
      return;
    }
    finish_extras();
    const std::string& keyword = k.field.text;
    const int32_t line = k.field.line, column = k.field.column;
    // A field after others on its line is a comment's rest or a row's leftover: only the first
    // field of a line is an author's keyword.
    const bool first = first_on_line(line, column);
    if (k.kind_count == 0) {
      if (!first || contains(keyword, "-") || is_header(keyword)) return;
      if (comment_like(keyword)) {
        if (wanted(kCommentRow)) comment(keyword, nullptr, line, column);
        return;
      }
      if (wanted(kUnknownKeyword)) unknown(keyword, k.scope, line, column);
      return;
    }
    pending_ = k;
    pending_active_ = true;
    pending_comment_ = first && comment_like(keyword);
    const RowKindEntry& kind = row_kind(k.kinds[0]);
    if (pending_comment_) {
      if (wanted(kCommentRow)) comment(keyword, &kind, line, column);
      return;
    }
    if (k.skipped > 0 && k.last_skipped.line == line && wanted(kNoteRow)) note(k, kind);
    if (kind.id == RowKindId::kCurve) curve_hand(keyword, line, column);
  }

  void row(const KeywordField&, const ScannedRow& r) override { rows_.push_back(r); }

  void last_field(const KeywordField&) override {}

  void finish() {
    finish_rows();
    finish_extras();
    end_run(nullptr);
    if (broken_) misspelt_header(*broken_);
  }

 private:
  void warn(int32_t code, int32_t line, int32_t column, std::string message,
            std::optional<Fix> fix = std::nullopt) {
    warn_(code, line, column, std::move(message), std::move(fix));
  }
  // False when a warning of code would only be counted: it is counted here, unworded.
  bool wanted(int32_t code) {
    if (wanted_(code)) return true;
    warn_(code, 0, 0, {}, std::nullopt);
    return false;
  }

  // The line's [generale] section: body rows there (a header left out or misspelt above them)
  // are gathered into one warning. True when the keyword field is dealt with.
  bool general_section(const KeywordField& k) {
    const std::string& text = k.field.text;
    if (k.ends_general) {
      end_run(&k.field);
      if (broken_) {
        misspelt_header(*broken_);
        broken_.reset();
      }
      if (k.kind_count > 0) return false;
      if (first_on_line(k.field.line, k.field.column)) misspelt_header(k.field);
      return true;
    }
    if (k.kind_count > 0) {
      if (run_.rows > 0) end_run(nullptr, &k.field);
      return false;
    }
    if (contains(text, "-") || !first_on_line(k.field.line, k.field.column)) return false;
    if (header_like(text)) {
      // "[curve" or "curve]": not a header to the reader, whose section goes on.
      if (run_.rows == 0) broken_ = k.field;
      return true;
    }
    const std::vector<const RowKindEntry*> body = row_kinds_matching(RowScope::kLineBody, text);
    if (body.empty()) return false;
    if (run_.rows++ == 0) {
      run_.first = k.field;
      run_.kind = body.front();
    }
    run_.last_line = k.field.line;
    return true;
  }

  // Ends a run of body rows in the [generale] section: at the header that ends the section, at
  // a general row after them (misplaced rows), or at the end of the file (both null).
  void end_run(const Field* header, const Field* general_row = nullptr) {
    if (run_.rows == 0) return;
    const Run r = std::move(run_);
    run_ = Run{};
    const std::string rows =
        r.rows == 1
            ? "the " + std::string(r.kind->keyword) + " row of line " + std::to_string(r.first.line)
            : "the " + std::to_string(r.rows) + " rows of lines " + std::to_string(r.first.line) +
                  " to " + std::to_string(r.last_line);
    if (general_row != nullptr) {
      if (!wanted(kUnknownKeyword)) return;
      warn(kUnknownKeyword, r.first.line, r.first.column,
           rows + (r.rows == 1 ? " belongs" : ", rows of the line body, belong") +
               " after the [generale] section, but general rows follow (line " +
               std::to_string(general_row->line) + "): the reader skips " +
               (r.rows == 1 ? "it" : "them") + "; move " + (r.rows == 1 ? "it" : "them") +
               " below the section's last row");
      return;
    }
    if (!wanted(kSectionHeader)) return;
    const std::string section(r.kind->section);
    const std::string runs_to = header != nullptr ? "runs on to " + quoted(header->text) +
                                                        " at line " + std::to_string(header->line)
                                                  : "runs on to the end of the file";
    std::string m;
    std::optional<Fix> fix;
    if (broken_) {
      const Field b = *broken_;
      broken_.reset();
      m = quoted(b.text) +
          " is no section header to the reader, which needs both [ and ]: the "
          "[generale] section " +
          runs_to + ", so the reader skips " + rows + " as general rows it does not know; write " +
          section;
      fix = over_field(b.line, b.column, b.text.size(), section, "write " + section);
      warn(kSectionHeader, b.line, b.column, std::move(m), std::move(fix));
      return;
    }
    m = "no section header before " + quoted(r.first.text) + ": the [generale] section " + runs_to +
        ", so the reader skips " + rows + " as general rows it does not know; write " + section +
        " on a line before it";
    fix = Fix{"insert " + section, r.first.line, 1, r.first.line, 1, section + eol_};
    warn(kSectionHeader, r.first.line, r.first.column, std::move(m), std::move(fix));
  }

  // A header-like field that no header of the source is, but one is near.
  void misspelt_header(const Field& f) {
    const SectionEntry* near = near_header(source_, f.text);
    if (near == nullptr || !wanted(kSectionHeader)) return;
    const std::string header(near->header);
    const bool ends = is_header(f.text);
    std::string m = quoted(f.text) + " is no section header of the " +
                    std::string(source_name(source_)) + " source: ";
    m += ends || source_ == SourceKind::kTrain
             ? "the reader passes over it, and the headers only order the file for a reader"
             : "the reader does not take it as one";
    m += "; did you mean '" + header + "'?";
    warn(kSectionHeader, f.line, f.column, std::move(m),
         over_field(f.line, f.column, f.text.size(), header, "write " + header));
  }

  bool first_on_line(int32_t line, int32_t column) const {
    const std::string_view text = lines_.line(line);
    const auto before = static_cast<size_t>(std::max(column - 1, 0));
    return std::all_of(text.begin(),
                       text.begin() + static_cast<ptrdiff_t>(std::min(before, text.size())),
                       is_blank);
  }

  void comment(const std::string& keyword, const RowKindEntry* kind, int32_t line, int32_t column) {
    std::string m = quoted(keyword) + " is no comment: the readers have none, and skip a line ";
    m += "only when its first field holds a hyphen ('- ...')";
    if (kind != nullptr) {
      m += "; this one is read as a " + std::string(kind->keyword) +
           " row, which takes its values from the lines after it";
    }
    // A hyphen hides its own field only: the fix holds for a line of one field.
    std::optional<Fix> fix;
    if (!contains(lines_.line(line), ","))
      fix = Fix{"make it a comment", line, column, line, column, "- "};
    warn(kCommentRow, line, column, m, std::move(fix));
  }

  // A hyphen hides its own field only: what follows a note on its line is read.
  void note(const KeywordField& k, const RowKindEntry& kind) {
    const std::string_view text = lines_.line(k.field.line);
    const auto from = static_cast<size_t>(std::max(k.first_skipped.column - 1, 0));
    const auto to = static_cast<size_t>(std::max(k.field.column - 1, 0));
    std::string note_text(text.substr(std::min(from, text.size()), to > from ? to - from : 0));
    while (!note_text.empty() && (is_blank(note_text.back()) || note_text.back() == ',')) {
      note_text.pop_back();
    }
    if (k.first_skipped.line != k.field.line) note_text = "the note before it";
    warn(kNoteRow, k.field.line, k.field.column,
         quoted(k.field.text) + " after " +
             (k.first_skipped.line == k.field.line ? quoted(note_text) : note_text) +
             " is read as a " + std::string(kind.keyword) +
             " row: a hyphen makes a comment of its own field only, not of the line; put the "
             "note on a line of its own, or a hyphen in the keyword to leave the row out");
  }

  void finish_rows() {
    if (!pending_active_) return;
    pending_active_ = false;
    const KeywordField& k = pending_;
    std::vector<const ScannedValue*> all;
    size_t expected = 0;
    bool ended = false, sound = true;
    for (size_t i = 0; i < k.kind_count; ++i) expected += row_kind(k.kinds[i]).fields.size();
    for (const ScannedRow& r : rows_) {
      for (const ScannedValue& v : r.values) all.push_back(&v);
      if (!r.complete()) sound = false;
      if (r.values.size() < r.kind->fields.size() && (r.values.empty() || !r.values.back().failed))
        ended = true;
    }
    std::vector<ScannedRow> rows = std::move(rows_);
    rows_.clear();
    if (pending_comment_) return;
    const int32_t line = k.field.line;
    // Values from a later line: a row run on over lines, or one short of values that takes
    // the next row's keyword as its own value.
    const auto spill =
        std::find_if(all.begin(), all.end(), [&](const ScannedValue* v) { return v->line > line; });
    const bool short_row = ended || (spill != all.end() &&
                                     (has_letter((*spill)->text) || contains((*spill)->text, "[")));
    const RowKindEntry& first_kind = row_kind(k.kinds[0]);
    if (short_row) {
      const size_t on_line = static_cast<size_t>(spill - all.begin());
      std::string m = "the " + std::string(first_kind.keyword) + " row has " +
                      std::to_string(on_line) + (on_line == 1 ? " value" : " values") +
                      " where it takes " + std::to_string(expected);
      m += spill == all.end() ? ", and the file ends"
                              : ": the reader takes the missing ones from the next line (" +
                                    quoted((*spill)->text) + ")";
      warn(kFieldCount, line, static_cast<int32_t>(lines_.line(line).size()) + 1, m);
      return;
    }
    if (!sound) return;  // a value the reader fails on: the compile reports it
    for (ScannedRow& r : rows) {
      LintRow out;
      out.kind = r.kind;
      out.line = line;
      out.column = k.field.column;
      out.values = std::move(r.values);
      row_(out);
      // Kept for the fields after the row, on its last line.
      for (ScannedValue& v : out.values) extras_.all.push_back(std::move(v));
    }
    extras_.active = true;
    extras_.kind = &first_kind;
    extras_.line = extras_.all.empty() ? line : extras_.all.back().line;
  }

  // Fields left on the row's last line once the reader has its values.
  void finish_extras() {
    Extras e = std::move(extras_);
    extras_ = Extras{};
    if (!e.active || e.fields.empty()) return;
    const int32_t line_no = e.line;
    // "8,5": a number, a comma and digits with no blank around, standing alone (not one of
    // a run of numbers written close, as "2,4,0").
    const std::string_view line = lines_.line(line_no);
    const auto decimal_pair = [&](const ScannedValue& a, int32_t b_column, size_t b_size) {
      const auto ac = static_cast<size_t>(a.column - 1);
      const auto bc = static_cast<size_t>(b_column - 1);
      if (!a.is_number || a.text.empty() || ac == 0 || ac > line.size() || !is_blank(line[ac - 1]))
        return false;
      if (bc != ac + a.text.size() + 1 || bc + b_size > line.size() || line[bc - 1] != ',') {
        return false;
      }
      for (size_t k = bc; k < bc + b_size; ++k) {
        if (line[k] < '0' || line[k] > '9') return false;
      }
      const size_t after = bc + b_size;
      return after >= line.size() || is_blank(line[after]) ||
             (line[after] == ',' && (after + 1 >= line.size() || is_blank(line[after + 1])));
    };
    const std::vector<ScannedValue>& all = e.all;
    const ScannedValue* decimal = nullptr;
    std::string decimal_part;
    for (size_t i = 0; i < all.size(); ++i) {
      if (all[i].line != line_no) continue;
      const bool last = i + 1 == all.size();
      const std::string& b = last ? e.fields.front().first : all[i + 1].text;
      const int32_t b_column = last ? e.fields.front().second : all[i + 1].column;
      if ((last || all[i + 1].line == line_no) && decimal_pair(all[i], b_column, b.size())) {
        decimal = &all[i];
        decimal_part = b;
      }
    }
    if (decimal != nullptr) {
      warn(kDecimalPart, line_no, decimal->column,
           quoted(decimal->text + "," + decimal_part) + " reads as " + decimal->text + ", and " +
               decimal_part +
               " as the next value: values are whole numbers, and a comma ends a field");
      return;
    }
    std::string m = "the " + std::string(e.kind->keyword) + " row has " +
                    std::to_string(all.size() + e.fields.size()) + " values where it takes " +
                    std::to_string(all.size()) + ": the reader skips " +
                    quoted(e.fields.front().first);
    if (e.fields.size() > 1) m += " and what follows";
    if (!e.kind->fields.empty() && e.kind->fields.back().width == "text") {
      m += " (a comma ends the " + std::string(e.kind->fields.back().name) +
           "; put it in double quotes to keep one)";
    }
    warn(kFieldCount, line_no, e.fields.front().second, m);
  }

  void unknown(const std::string& keyword, RowScope scope, int32_t line_no, int32_t column) {
    std::string m;
    if (!has_letter(keyword)) {
      warn(kUnknownKeyword, line_no, column,
           "a line with no keyword: the reader skips " + quoted(keyword) + " and its fields");
      return;
    }
    // A keyword of another section or of the other source.
    for (const RowKindEntry& k : row_kind_entries()) {
      if (k.scope == scope || !recognises(k, keyword)) continue;
      m = quoted(keyword) + " is a " + std::string(k.keyword) + " row of " +
          std::string(scope_words(k.scope)) + ": in " + std::string(scope_words(scope)) +
          " the reader skips it";
      warn(kUnknownKeyword, line_no, column, m);
      return;
    }
    std::vector<const RowKindEntry*> among;
    for (const RowKindEntry& k : row_kind_entries()) {
      if (k.scope == scope) among.push_back(&k);
    }
    m = quoted(keyword) + " names no row kind of " + std::string(scope_words(scope)) +
        ": the reader skips the row";
    const std::vector<std::string_view> near = nearest_keywords(keyword, among, 1);
    std::optional<Fix> fix;
    if (!near.empty()) {
      m += "; did you mean '" + std::string(near.front()) + "'?";
      const RowKindEntry* k = find_row_kind(near.front());
      if (k != nullptr && k->case_sensitive) m += " (its words are matched in lower case)";
      // A curve keyword needs a hand and a sharpness, a repetition keyword a code count: there
      // the keyword alone is no fix.
      if (k != nullptr && k->id != RowKindId::kCurve && k->id != RowKindId::kRepetition) {
        const std::string to(k->keyword);
        fix = over_field(line_no, column, keyword.size(), to, "write '" + to + "'");
      }
    }
    warn(kUnknownKeyword, line_no, column, m, std::move(fix));
  }

  // A curve keyword is curva, s or d, a digit 1 to 6; other letters still make a curve.
  void curve_hand(const std::string& keyword, int32_t line_no, int32_t column) {
    std::string lower;
    for (const char ch : keyword) lower += ascii_lower(ch);
    const bool plain = lower.size() == 7 && lower.compare(0, 5, "curva") == 0 &&
                       (lower[5] == 's' || lower[5] == 'd') && lower[6] >= '1' && lower[6] <= '6';
    if (plain) return;
    char digit = 0;
    for (const char d : std::string_view("123456")) {
      if (lower.find(d) != std::string::npos) {
        digit = d;
        break;
      }
    }
    if (digit == 0) return;  // no sharpness: the reader stops with a status
    const bool left = lower.find('s') != std::string::npos;
    const std::string as = std::string("curva") + (left ? 's' : 'd') + digit;
    warn(kUnknownKeyword, line_no, column,
         quoted(keyword) + " is read as a " + (left ? "left" : "right") + " curve of sharpness " +
             digit + " (as " + as +
             "): a curve keyword is curva, s (left) or d (right), and a digit 1 to 6",
         over_field(line_no, column, keyword.size(), as, "write " + as));
  }

  struct Extras {
    bool active = false;
    int32_t line = 0;
    const RowKindEntry* kind = nullptr;
    std::vector<ScannedValue> all;                        // the values of the row's kinds
    std::vector<std::pair<std::string, int32_t>> fields;  // text, column
  };

  // A run of the line body's rows in the [generale] section.
  struct Run {
    int rows = 0;
    Field first;
    int32_t last_line = 0;
    const RowKindEntry* kind = nullptr;
  };

  SourceKind source_;
  const TextLines& lines_;
  std::string eol_;
  Run run_;
  std::optional<Field> broken_;  // a header missing a bracket in the [generale] section
  const WarnFn& warn_;
  const RowFn& row_;
  const WantFn& wanted_;
  KeywordField pending_;
  bool pending_active_ = false;
  bool pending_comment_ = false;
  std::vector<ScannedRow> rows_;
  Extras extras_;
};

}  // namespace

TextLines::TextLines(std::string_view text) : text_(text) {
  starts_.push_back(0);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\r' || text[i] == '\n') starts_.push_back(i + 1);
  }
  // A text that ends with its line end has no line after it.
  if (starts_.size() > 1 && starts_.back() == text.size()) starts_.pop_back();
}

std::string_view TextLines::line(int32_t n) const {
  if (n < 1 || static_cast<size_t>(n) > starts_.size()) return {};
  const size_t start = starts_[static_cast<size_t>(n - 1)];
  size_t end = start;
  while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
  return text_.substr(start, end - start);
}

std::string quoted(std::string_view s) {
  std::string out = "'";
  for (const char c : s.substr(0, 40)) append_shown_byte(out, c);
  return out + (s.size() > 40 ? "...'" : "'");
}

void scan_rows(SourceKind source, std::string_view text, const WarnFn& warn, const RowFn& row,
               const WantFn& wanted) {
  const TextLines lines(text);
  const size_t lf = text.find('\n');
  FormScan form(source, lines,
                lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r' ? "\r\n" : "\n",
                warn, row, wanted);
  scan_source(text, source, form);
  form.finish();
  // The line reader stops with a status of its own; the train reader silently reads nothing.
  if (!form.saw_general && source == SourceKind::kTrain && !text.empty()) {
    warn(kNoGeneral, 1, 1,
         "no field holds [generale]: the reader skips everything before it, so it takes "
         "nothing of this source",
         std::nullopt);
  }
}

}  // namespace scenario
