#include "tool/explain_command.h"

#include <iostream>

#include "tool/text_wrap.h"

namespace scenario::tool {
namespace {

// Markdown's code quotes mean nothing on a terminal.
std::string plain(std::string_view s) {
  std::string out;
  for (const char c : s) {
    if (c != '`') out += c;
  }
  return out;
}

std::string rule_text(const RowKindEntry& k) {
  std::string s = "the keyword field holds ";
  for (size_t i = 0; i < k.must_contain.size(); ++i) {
    if (i > 0) s += " and ";
    s += "\"" + std::string(k.must_contain[i]) + "\"";
  }
  return s + (k.case_sensitive ? ", letters as written" : ", in any case");
}

std::string count_text(const RowKindEntry& k) {
  const FieldCount c = field_count(k);
  std::string s =
      std::to_string(c.values) + (c.values == 1 ? " value" : " values") + " after the keyword";
  if (c.min_fields != c.max_fields) s += ", which may also stand apart by blanks alone";
  return s;
}

std::string_view scope_text(RowScope scope) {
  switch (scope) {
    case RowScope::kLineGeneral:
      return "only in the line's [generale] section";
    case RowScope::kLineBody:
      return "in any section after the line's [generale]";
    case RowScope::kTrain:
      return "in any section after the train's [generale]";
  }
  return "";
}

std::string escape_cell(std::string_view s) {
  std::string out;
  for (const char c : s) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out;
}

int explain_section(const std::string& header) {
  bool found = false;
  for (const SourceKind source : {SourceKind::kLine, SourceKind::kTrain}) {
    const SectionEntry* s = find_section(source, header);
    if (s == nullptr) continue;
    found = true;
    std::cout << wrap(
        s->description,
        std::string(s->header) + " (" + std::string(source_name(source)) + " source): ", "  ");
    std::string written_here, taken;
    for (const RowKindEntry* k : row_kinds_of_section(source, header)) {
      if (k->section == s->header) written_here += std::string(k->keyword) + ", ";
      taken += std::string(k->keyword) + ", ";
    }
    const auto list = [](std::string words) { return words.substr(0, words.size() - 2); };
    if (!written_here.empty()) std::cout << wrap(list(written_here), "  written here: ", "    ");
    std::cout << wrap(list(taken), "  the reader takes here: ", "    ");
  }
  if (!found) {
    std::cerr << "scenario-tool explain: neither source has a section " << header << "\n";
    return 2;
  }
  return 0;
}

std::string all_keywords() {
  std::string s;
  for (const SourceKind source : {SourceKind::kLine, SourceKind::kTrain}) {
    std::string words;
    for (const RowKindEntry& k : row_kind_entries()) {
      if (k.source == source) words += std::string(k.keyword) + ", ";
    }
    words.resize(words.size() - 2);
    s += wrap(words, "  " + std::string(source_name(source)) + " source: ", "    ");
  }
  return s;
}

}  // namespace

std::string explain_text(const RowKindEntry& k) {
  std::string out = std::string(k.keyword) + ": " + std::string(source_name(k.source)) +
                    " source, section " + std::string(k.section) + "\n";
  out += wrap(plain(k.description), "  ", "  ");
  out += "  example: " + example_row(k) + "\n";
  out += wrap("Read " + std::string(scope_text(k.scope)) + ", when " + rule_text(k) +
                  "; it takes " + count_text(k) + ".",
              "  ", "  ");
  int n = 0;
  for (const FieldEntry& f : k.fields) {
    const std::string number = std::to_string(++n);
    std::string head =
        std::string(4 - number.size(), ' ') + number + ". " + std::string(f.name) + " (";
    if (!f.unit.empty()) head += std::string(f.unit) + ", ";
    head += std::string(f.width) + ")\n";
    out += "\n" + head;
    out += wrap(plain(f.range), "       range:     ", "                  ");
    out += wrap(plain(f.effect), "       compiled:  ", "                  ");
    out += wrap(plain(f.bad_value), "       bad value: ", "                  ");
    out += wrap(plain(f.builtin), "       built-in:  ", "                  ");
  }
  return out;
}

std::string reference_markdown() {
  std::string out;
  for (const SourceKind source : {SourceKind::kLine, SourceKind::kTrain}) {
    out += source == SourceKind::kLine ? "## Rows of the line source\n"
                                       : "## Rows of the train source\n";
    for (const RowKindEntry& k : row_kind_entries()) {
      if (k.source != source) continue;
      out += "\n### " + std::string(k.keyword) + "\n\n";
      out += std::string(k.description) + "\n\n";
      out += "Written under `" + std::string(k.section) + "`; read " +
             std::string(scope_text(k.scope)) + ", when " + rule_text(k) + "; it takes " +
             count_text(k) + ". Example:\n\n";
      out += "```\n" + example_row(k) + "\n```\n\n";
      out +=
          "| # | Field | Unit | Read as | Range | In the compiled files | Bad value | "
          "Built-in scenario |\n";
      out += "|---|---|---|---|---|---|---|---|\n";
      int n = 0;
      for (const FieldEntry& f : k.fields) {
        const std::string_view cells[] = {
            f.name,   f.unit.empty() ? "-" : f.unit, f.width, f.range, f.effect, f.bad_value,
            f.builtin};
        out += "| " + std::to_string(++n);
        for (const std::string_view c : cells) out += " | " + escape_cell(c);
        out += " |\n";
      }
    }
    if (source == SourceKind::kLine) out += "\n";
  }
  return out;
}

CommandLine explain_command_line() {
  CommandLine c("explain",
                "what a row kind of the sources means, field by field (explain stazione); the "
                "row kind whose reference holds a word (explain galleria); the row kinds of a "
                "section (explain [generale]); with --markdown, the whole reference, as in "
                "docs/sources.md");
  c.flag("--markdown", "print the whole reference as Markdown");
  c.optional_operand("KEYWORD",
                     "a row's keyword as written, a word of what it means (galleria, passaggio "
                     "a livello), or a section such as [generale]");
  c.footer("keywords:\n" + all_keywords());
  return c;
}

int explain_command(const std::vector<std::string>& args) {
  CommandLine c = explain_command_line();
  if (const auto done = c.parse(args, std::cout, std::cerr)) return *done;
  const std::optional<std::string> keyword = c.value("KEYWORD");
  if (c.given("--markdown")) {
    if (keyword) return c.refuse("--markdown prints the whole reference: no KEYWORD", std::cerr);
    std::cout << reference_markdown();
    return 0;
  }
  if (!keyword || keyword->empty()) {
    c.refuse("KEYWORD is missing", std::cerr);
    std::cerr << "\nkeywords:\n" << all_keywords();
    return 2;
  }
  const std::string& word = *keyword;
  if (word.front() == '[') return explain_section(word);
  const std::vector<const RowKindEntry*> kinds = lookup_row_kinds(word);
  if (kinds.empty()) {
    // Not a keyword: the words of the reference, best match in full and the others named.
    const std::vector<const RowKindEntry*> found = search_row_kinds(word);
    if (!found.empty()) {
      std::cout << explain_text(*found.front());
      if (found.size() > 1) {
        std::string others;
        for (size_t i = 1; i < found.size(); ++i) {
          others += (i == 1 ? "" : ", ") + std::string(found[i]->keyword);
        }
        std::cout << "\n" << wrap(others, "  '" + word + "' is also in: ", "    ");
      }
      return 0;
    }
    std::vector<const RowKindEntry*> every;
    for (const RowKindEntry& k : row_kind_entries()) every.push_back(&k);
    const std::vector<std::string_view> near = nearest_keywords(word, every);
    std::cerr << "scenario-tool explain: no row kind '" << word << "'";
    if (near.empty()) {
      std::cerr << "; the keywords are:\n" << all_keywords();
    } else {
      std::cerr << "; did you mean ";
      for (size_t i = 0; i < near.size(); ++i) {
        std::cerr << (i == 0 ? "" : i + 1 == near.size() ? " or " : ", ") << near[i];
      }
      std::cerr << "?\n";
    }
    return 2;
  }
  // A keyword field that meets several rules is read as each of those rows in turn.
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (i > 0) std::cout << "\n";
    std::cout << explain_text(*kinds[i]);
  }
  // Found by its name, but a row written so would not be read ("Progressiva ...").
  if (kinds.size() == 1 && !recognises(*kinds[0], word)) {
    std::cout << "\n"
              << wrap("A keyword field written '" + word +
                          "' is not read as this row; it is read when " + rule_text(*kinds[0]) +
                          ".",
                      "  note: ", "        ");
  }
  return 0;
}

}  // namespace scenario::tool
