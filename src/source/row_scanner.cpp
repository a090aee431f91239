#include "source/row_scanner.h"

#include "source/read_failure.h"
#include "source/text_match.h"

namespace scenario {
namespace {

// The line's general section passes over up to ten fields with a hyphen before a keyword field,
// without testing for the file's end between them; the body and the train source up to two.
constexpr int kGeneralHyphenSkips = 10;
constexpr int kBodyHyphenSkips = 2;

}  // namespace

bool RowScanner::ends_general_section(std::string_view k) {
  if (!contains(k, "[") || !contains(k, "]")) return false;
  const size_t first = k.find_first_not_of(' ');
  return first == std::string_view::npos || k[first] != '-';
}

bool RowScanner::header_of_general(std::string_view field) {
  return contains_ci(field, "[generale]");
}

Field RowScanner::read_field() {
  if (mode_ == ScanMode::kStrict) return in_.read_text();
  while (!in_.at_end()) {
    try {
      return in_.read_text();
    } catch (const ReadFailure&) {
      // An unclosed quote: the field is lost, and the scan goes on with the next line.
      in_.resume_after_failure(false);
    }
  }
  Field none;
  none.line = in_.line();
  none.column = in_.column();
  return none;
}

void RowScanner::log_keyword(const KeywordField& k) {
  logged_keyword_ = k;
  logged_kind_ = 0;
  log_start_ = log_->size();
}

void RowScanner::logged(int32_t number, std::string_view text) {
  const KeywordField& k = logged_keyword_;
  // Values past a row's count belong to the next kind the keyword names.
  while (true) {
    if (logged_kind_ >= k.kind_count) return;
    const RowKindEntry& kind = row_kind(k.kinds[logged_kind_]);
    if (log_->size() == log_start_ + logged_kind_) {
      ScannedRow row;
      row.id = kind.id;
      row.kind = &kind;
      log_->push_back(std::move(row));
    }
    if (log_->back().values.size() < kind.fields.size()) break;
    ++logged_kind_;
  }
  ScannedRow& row = log_->back();
  ScannedValue v;
  v.is_number = row.kind->fields[row.values.size()].width != "text";
  v.number = v.is_number ? number : 0;
  v.text = std::string(v.is_number ? in_.field_bytes() : text);
  v.line = in_.line();
  v.column = in_.column();
  v.end_line = in_.end_line();
  v.end_column = in_.end_column();
  row.values.push_back(std::move(v));
}

std::optional<KeywordField> RowScanner::keyword(Field f, int skipped, FieldPlace first_skipped,
                                                FieldPlace last_skipped) {
  KeywordField k;
  k.end_line = in_.end_line();
  k.end_column = in_.end_column();
  k.scope = scope_;
  k.kind_count = match_row_kinds(scope_, f.text, curves_, k.kinds);
  k.skipped = skipped;
  k.first_skipped = first_skipped;
  k.last_skipped = last_skipped;
  if (scope_ == RowScope::kLineGeneral && ends_general_section(f.text)) {
    k.ends_general = true;
    scope_ = RowScope::kLineBody;
  }
  k.field = std::move(f);
  if (log_ != nullptr) log_keyword(k);
  return k;
}

std::optional<KeywordField> RowScanner::next() {
  if (in_.at_end()) return std::nullopt;
  Field f = read_field();
  int skipped = 0;
  FieldPlace first, last;
  const auto skip = [&] {
    if (skipped++ == 0) first = {f.line, f.column};
    last = {f.line, f.column};
    f = read_field();
  };
  if (scope_ == RowScope::kLineGeneral) {
    if (in_.at_end()) {
      last_ = keyword(std::move(f), 0, first);
      return std::nullopt;
    }
    for (int i = 0; i < kGeneralHyphenSkips; ++i) {
      if (contains(f.text, "-")) skip();
    }
    return keyword(std::move(f), skipped, first, last);
  }
  for (int skips = 0; skips <= kBodyHyphenSkips; ++skips) {
    if (in_.at_end()) {
      // Looked at by nobody: the last field of the file, such as the closing "[fine]".
      const RowScope scope = scope_;
      last_ = keyword(std::move(f), skipped, first, last);
      scope_ = scope;
      return std::nullopt;
    }
    if (skips == kBodyHyphenSkips || !contains(f.text, "-")) break;
    skip();
  }
  return keyword(std::move(f), skipped, first, last);
}

namespace {

// Reads the values of one row kind in tolerant mode. False when the scan cannot go on with the
// keyword's other kinds (a value failed, or the file ended).
bool read_row(FieldStream& in, const KeywordField& k, ScannedRow& row) {
  for (const FieldEntry& entry : row.kind->fields) {
    if (in.at_end()) {
      row.fault = "the file ends before its " + std::string(entry.name);
      return false;
    }
    ScannedValue v;
    v.is_number = entry.width != "text";
    try {
      if (v.is_number) {
        v.number = in.read_number();
        v.text = in.field_bytes();
        if (v.text.size() >= 2 && v.text.front() == '"') {
          v.text = v.text.substr(1, v.text.size() - 2);
        }
      } else {
        v.text = in.read_text().text;
      }
    } catch (const ReadFailure& e) {
      v.line = in.line();
      v.column = in.column();
      v.end_line = in.end_line();
      v.end_column = in.end_column();
      v.text = in.field_bytes();
      v.failed = true;
      row.fault = e.what();
      row.values.push_back(std::move(v));
      // A value taken from a later line is most likely the next row's keyword: that row is
      // read again as one.
      in.resume_after_failure(row.values.back().line > k.field.line);
      return false;
    }
    v.line = in.line();
    v.column = in.column();
    v.end_line = in.end_line();
    v.end_column = in.end_column();
    row.values.push_back(std::move(v));
  }
  return true;
}

struct Collect : ScanVisitor {
  ScannedSource& out;
  explicit Collect(ScannedSource& o) : out(o) {}
  void general_header(const Field& f) override { out.general_header = f; }
  void keyword(const KeywordField& k) override { out.keywords.push_back(k); }
  void row(const KeywordField&, const ScannedRow& r) override {
    out.rows.push_back(r);
    out.rows.back().keyword = out.keywords.size() - 1;
  }
  void last_field(const KeywordField& k) override { out.last_field = k; }
};

}  // namespace

void scan_source(std::string_view text, SourceKind kind, ScanVisitor& visitor) {
  FieldStream in{std::string(text)};
  RowScanner scan(in, kind, ScanMode::kTolerant);
  if (!scan.find_general()) {
    visitor.finished(in.quote_across_lines());
    return;
  }
  visitor.general_header(*scan.general_header());
  ScannedRow row;
  while (const std::optional<KeywordField> k = scan.next()) {
    visitor.keyword(*k);
    for (const RowKindId id : k->row_kinds()) {
      row.id = id;
      row.kind = &row_kind(id);
      row.values.clear();
      row.fault.clear();
      const bool go_on = read_row(in, *k, row);
      visitor.row(*k, row);
      if (!go_on) break;
    }
  }
  if (scan.last_field()) visitor.last_field(*scan.last_field());
  visitor.finished(in.quote_across_lines());
}

ScannedSource scan_source(std::string_view text, SourceKind kind) {
  ScannedSource out;
  out.kind = kind;
  Collect c(out);
  scan_source(text, kind, c);
  return out;
}

}  // namespace scenario
