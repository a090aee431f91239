// The field reference against the readers: every keyword they recognise, each kind's rule and
// value count, and the author's document that is generated from it.
#include "source/field_reference.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <set>

#include "emitter/content/content.h"
#include "support/compile_fixture.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "tool/explain_command.h"

namespace scenario::testing {
namespace {

std::string join(std::span<const std::string_view> words, const char* between) {
  std::string s;
  for (const std::string_view w : words) s += (s.empty() ? "" : between) + std::string(w);
  return s;
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// A row of `kind` under `keyword` with the first `values` example values, separated by
// `between`.
std::string row(const RowKindEntry& kind, std::string_view keyword, size_t values,
                const char* between = ", ") {
  // No comma after a keyword without values: it would stand before an empty value.
  std::string r(keyword);
  for (size_t i = 0; i < values; ++i) {
    r += (i == 0 ? ", " : between) + std::string(kind.fields[i].example);
  }
  return r;
}

// Compiles a source pair with `tested` as a row where `kind` belongs and, after it, a sentinel
// row of a kind of the same place. True when the reading was clean and the sentinel took
// effect: the reader took no more fields than the row holds and went on with the next row.
bool clean_and_went_on(const RowKindEntry& kind, const std::string& tested) {
  std::string line = "[generale]\r\nlunghezza percorso, 93000\r\n";
  std::string train = "[generale]\r\n";
  std::function<bool(const Compiled&)> seen;
  switch (kind.scope) {
    case RowScope::kLineGeneral: {
      const bool other = kind.keyword == "sfondo uno";
      line += tested + "\r\n" + (other ? "sfondo tre, 7" : "sfondo uno, 7") + "\r\n[curve]\r\n";
      seen = [other](const Compiled& c) {
        return (other ? c.slot(85).long2 : c.slot(85).long1) == 7;
      };
      break;
    }
    case RowScope::kLineBody:
      line += "[curve]\r\n" + tested + "\r\npendenza, 5000, 5\r\n";
      seen = [](const Compiled& c) { return c.block(1000).mark14 == 105; };
      break;
    case RowScope::kTrain: {
      const bool other = kind.keyword == "sabbia";
      line += "[curve]\r\n";
      train += tested + "\r\n" + (other ? "numero vetture, 9" : "sabbia, 4321") + "\r\n";
      seen = [other](const Compiled& c) {
        return other ? c.slot(84).long3 == 9 : c.slot(86).int1 == 4321;
      };
      break;
    }
  }
  line += "[fine]\r\n";
  train += "[fine]\r\n";
  const Compiled c = read_only(line, train.c_str());
  return c.status() == 0 && seen(c);
}

// A row short of its last value is recognised when the reader takes the sentinel's keyword as
// that value: the sentinel is then lost, or the reading fails.
bool recognised(const RowKindEntry& kind, std::string_view keyword) {
  return !clean_and_went_on(kind, row(kind, keyword, kind.fields.size() - 1));
}

TEST(FieldReference, EachKindIsReadByItsRuleAndTakesExactlyItsValues) {
  for (const RowKindEntry& kind : row_kind_entries()) {
    SCOPED_TRACE(std::string(kind.keyword));
    const FieldCount count = field_count(kind);
    ASSERT_EQ(count.values, static_cast<int>(kind.fields.size()));
    ASSERT_GE(count.values, 1);
    // The example row, with all its values, reads clean and the next row follows it ...
    EXPECT_TRUE(clean_and_went_on(kind, example_row(kind))) << example_row(kind);
    // ... and one value fewer is not a whole row.
    EXPECT_TRUE(recognised(kind, kind.written));
    if (count.min_fields < count.max_fields) {
      EXPECT_TRUE(clean_and_went_on(kind, row(kind, kind.written, kind.fields.size(), " ")));
    }
    // The rule: all its words are needed, none more, in the case the reference says.
    EXPECT_TRUE(recognised(kind, join(kind.must_contain, " ")));
    if (kind.must_contain.size() > 1) {
      for (const std::string_view word : kind.must_contain) {
        EXPECT_FALSE(recognised(kind, word)) << word;
      }
    }
    EXPECT_EQ(recognised(kind, upper(kind.written)), !kind.case_sensitive);
    EXPECT_EQ(row_kinds_matching(kind.scope, kind.written),
              std::vector<const RowKindEntry*>{&kind});
  }
}

// Every keyword field of the built-in sources, and a code-cut row (which the built-in scenario
// has none of), is one row kind of the reference; between them they use every kind.
TEST(FieldReference, KnowsEveryKeywordTheBuiltInSourcesAndACodeCutRowUse) {
  std::set<const RowKindEntry*> used;
  const auto take = [&](RowScope scope, std::string_view r) {
    const std::string_view keyword = r.substr(0, r.find(','));
    if (keyword.front() == '[') return;
    const auto kinds = row_kinds_matching(scope, keyword);
    ASSERT_EQ(kinds.size(), 1u) << r;
    used.insert(kinds[0]);
    EXPECT_EQ(lookup_row_kinds(keyword), kinds) << r;
  };
  RowScope scope = RowScope::kLineGeneral;
  for (const std::string_view r : content::linea_rows()) {
    if (r == "[curve]") scope = RowScope::kLineBody;
    take(scope, r);
  }
  for (const std::string_view r : content::treno_rows()) take(RowScope::kTrain, r);
  take(RowScope::kTrain, "abbattimento, 3000, 180");
  EXPECT_EQ(used.size(), row_kind_entries().size());
}

TEST(FieldReference, SectionsNameTheKeywordsTheReaderTakesThere) {
  const std::vector<std::string_view> body = {"pendenza", "curva", "montagna", "indicatori_vmax",
                                              "cartello_indicatore"};
  EXPECT_EQ(keywords_of_section(SourceKind::kLine, "[pendenze]"), body);
  EXPECT_EQ(keywords_of_section(SourceKind::kLine, "[INDICAZIONI]"), body);
  EXPECT_EQ(keywords_of_section(SourceKind::kLine, "[generale]").size(), 8u);
  EXPECT_EQ(keywords_of_section(SourceKind::kTrain, "[generale]").size(), 10u);
  EXPECT_TRUE(keywords_of_section(SourceKind::kLine, "[stazioni]").empty());
  // Every kind is written under a header of its own source whose scope takes it.
  for (const RowKindEntry& kind : row_kind_entries()) {
    const SectionEntry* s = find_section(kind.source, kind.section);
    ASSERT_NE(s, nullptr) << kind.keyword;
    EXPECT_EQ(s->scope, kind.scope) << kind.keyword;
  }
}

TEST(FieldReference, NearestKeywords) {
  std::vector<const RowKindEntry*> every;
  for (const RowKindEntry& k : row_kind_entries()) every.push_back(&k);
  const struct {
    const char* word;
    std::vector<std::string_view> near;
  } cases[] = {
      {"pendanza", {"pendenza"}},
      {"stazoine", {"stazione"}},
      {"Montagne", {"montagna"}},
      {"segnali,", {"ripetizione segnali", "segnale"}},
      {"progressiva",
       {"progressiva chilometrica tre", "progressiva chilometrica due",
        "progressiva chilometrica uno"}},
      {"locomotiva", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(nearest_keywords(c.word, every), c.near) << c.word;
  // Among the keywords of one section only.
  const auto general = row_kinds_of_section(SourceKind::kLine, "[generale]");
  EXPECT_TRUE(nearest_keywords("pendanza", general).empty());
}

// A word of what a row means finds its kind; the best match comes first.
TEST(FieldReference, SearchFindsAKindFromAnyWordOfItsReference) {
  const struct {
    const char* query;
    const char* first;  // null: nothing found
  } cases[] = {
      {"galleria", "cartello_indicatore"},
      {"Gallerie", "cartello_indicatore"},  // another case and the plural's last letter
      {"GALLER\xC3\x8C"
       "A",
       "cartello_indicatore"},  // a UTF-8 accent, as a terminal sends it
      {"passaggio a livello", "cartello_indicatore"},
      {"viadotto", "cartello_indicatore"},
      {"tunnel", "cartello_indicatore"},
      {"velocit\xC3\xA0", "velocita"},  // UTF-8: the keyword's word before every mention
      {"velocit\xE0", "velocita"},      // and Windows-1252
      {"chilometr", "progressiva chilometrica tre"},  // the start of a keyword's word
      {"kilometrage value", "progressiva chilometrica tre"},
      {"distant signal", "segnale"},
      {"timetable", "stazione"},
      {"sand", "sabbia"},
      {"zzz", nullptr},
      {"a", nullptr},  // one letter says nothing
  };
  for (const auto& c : cases) {
    const std::vector<const RowKindEntry*> found = search_row_kinds(c.query);
    if (c.first == nullptr) {
      EXPECT_TRUE(found.empty()) << c.query;
      continue;
    }
    ASSERT_FALSE(found.empty()) << c.query;
    EXPECT_EQ(found.front()->keyword, c.first) << c.query;
  }
  // Kinds holding more of the words come first; then a keyword's word outweighs a description's.
  const auto both = search_row_kinds("galleria stazione");
  ASSERT_GE(both.size(), 2u);
  EXPECT_EQ(both[0]->keyword, "stazione");
  EXPECT_EQ(both[1]->keyword, "cartello_indicatore");
  EXPECT_EQ(search_row_kinds("tunnel stations").front()->keyword, "cartello_indicatore");
  EXPECT_EQ(folded_words("Sant'Elpidio \xC0 CITT\xC3\x80"),
            (std::vector<std::string>{"sant", "elpidio", "a", "citta"}));
}

// Whitespace collapsed, so that a phrase is found however the terminal's lines wrap it.
std::string collapsed(std::string_view s) {
  std::string out;
  for (const char c : s) {
    const bool blank = c == ' ' || c == '\n';
    if (blank && (out.empty() || out.back() == ' ')) continue;
    out += blank ? ' ' : c;
  }
  return out;
}

// What an author must be able to read, both in `explain` of its kind and in docs/sources.md.
TEST(FieldReference, ExplainAndTheDocumentCarryEveryPointOfTheReference) {
  const std::string doc =
      collapsed(read_file(std::string(SCENARIO_SOURCE_DIR) + "/docs/sources.md"));
  const struct {
    const char* keyword;
    const char* point;
  } points[] = {
      // The kilometrage: the formula, which progressive is in force, a worked example.
      {"progressiva chilometrica uno",
       "The kilometre at route position x is value - x when the "
       "direction flag is 1"},
      {"progressiva chilometrica due", "the latest start at or before x"},
      {"progressiva chilometrica tre", "gives km 75+650 at LINDEVA (route 50 m)"},
      {"progressiva chilometrica uno",
       "88500, 1 takes over at 75750 m with km 88500 - 75750 = "
       "12+750"},
      {"progressiva chilometrica uno",
       "1 (the kilometres fall as the route goes on) or 0 (they "
       "rise)"},
      // Stations and signals, as far as the compiled files and the built-in scenario tell.
      {"stazione", "0 to 255: below 25 a stop, 25 and above a station passed"},
      {"stazione", "6 for the last one, QUERNO, and 25, 27 and 28 for the stations it passes"},
      {"stazione", "The scheduled time is the departure at a stop, the arrival at the last one"},
      {"segnale", "1 (a distant signal) or 2 (a main signal)"},
      {"segnale", "every signal of kind 1 stands 1,050 to 1,250 m before one of kind 2"},
      // Board texts for level crossings, bridges, stations and tunnels.
      {"cartello_indicatore", "(PASSAGGIO)(A LIVELLO)(Km 68+905) at its 23 level crossings"},
      {"cartello_indicatore", "(CAVALCAVIA), alone or with the road's name"},
      {"cartello_indicatore", "VIADOTTO )(RIO SELVA) at its viaduct"},
      {"cartello_indicatore", "before three stations a picture drawn in characters"},
      {"cartello_indicatore", "Its two tunnels have no board"},
  };
  for (const auto& p : points) {
    const RowKindEntry* kind = find_row_kind(p.keyword);
    ASSERT_NE(kind, nullptr) << p.keyword;
    EXPECT_NE(collapsed(tool::explain_text(*kind)).find(collapsed(p.point)), std::string::npos)
        << p.keyword << ": " << p.point;
    EXPECT_NE(doc.find(collapsed(p.point)), std::string::npos) << p.point;
  }
  // Units and ranges of every field: each says what to write, what it does and what a bad value
  // does; a value along the route says its unit.
  for (const RowKindEntry& kind : row_kind_entries()) {
    for (const FieldEntry& f : kind.fields) {
      SCOPED_TRACE(std::string(kind.keyword) + ": " + std::string(f.name));
      EXPECT_FALSE(f.range.empty());
      EXPECT_FALSE(f.effect.empty());
      EXPECT_FALSE(f.bad_value.empty());
      EXPECT_FALSE(f.builtin.empty());
      if (f.name == "position" || f.name == "start" || f.name == "end" || f.name == "length") {
        EXPECT_EQ(f.unit, "m");
      }
    }
  }
}

TEST(FieldReference, DocumentHoldsTheGeneratedReference) {
  const std::string doc = read_file(std::string(SCENARIO_SOURCE_DIR) + "/docs/sources.md");
  const std::string begin = "<!-- generated by scenario-tool explain --markdown: begin -->\n";
  const std::string end = "<!-- generated by scenario-tool explain --markdown: end -->";
  const size_t from = doc.find(begin);
  const size_t to = doc.find(end);
  ASSERT_NE(from, std::string::npos);
  ASSERT_NE(to, std::string::npos);
  EXPECT_EQ(doc.substr(from + begin.size(), to - from - begin.size()), tool::reference_markdown())
      << "regenerate the part of docs/sources.md between the markers with "
         "scenario-tool explain --markdown";
}

// The fenced block after `title` in a Markdown text.
std::string fenced_after(const std::string& doc, const std::string& title) {
  const size_t at = doc.find(title);
  if (at == std::string::npos) return "";
  const size_t from = doc.find("```\n", at) + 4;
  return doc.substr(from, doc.find("```", from) - from);
}

// The worked example compiles clean and gives what the document says it gives.
TEST(FieldReference, DocumentsWorkedExampleCompilesAsDescribed) {
  const std::string doc = read_file(std::string(SCENARIO_SOURCE_DIR) + "/docs/sources.md");
  const std::string line = fenced_after(doc, "File `Colle_Verde_linea.txt`:");
  const std::string train = fenced_after(doc, "File `Colle_Verde_101-.txt`:");
  ASSERT_FALSE(line.empty());
  ASSERT_FALSE(train.empty());
  const Compiled c = compile(line, train.c_str());
  ASSERT_EQ(c.status(), 0) << c.result.failure_reason;
  EXPECT_EQ(c.state->track.upper(), 260);
  EXPECT_EQ(dump_blocks(c.state->track, 0, 120),
            "b1:v1=5121 v2=" + std::to_string(c.block(1).value2) +
                " b9:code10 v1=1 b11:code6 v1=1700 v2=1900 v3=1900 b24:code12 v1=180 "
                "b25:code1 v1=35 v2=16 v4=4 b33:code5 v1=4 v2=4 b34:code5 v1=3 v2=3 "
                "b35:code5 v1=2 v2=2 b36:code5 v1=1 v2=1 b37:code4 v1=60 v2=100 "
                "b43:code12 v1=180 b47:code11 b49:code12 v1=180 "
                "b50:code1 v1=42 v2=14 v4=8 m10=190 b51:code11 b55:code12 v1=180 "
                "b56:code14 v1=80 b61:code3 v1=60 v2=100 b68:code12 v1=180 "
                "b69:code2 v1=60 v2=100 b112:code10 v1=2");
  EXPECT_EQ(c.block(29).mark14, 100);
  EXPECT_EQ(c.block(30).mark14, 95);
  EXPECT_EQ(c.block(80).mark14, 103);
  EXPECT_EQ(c.block(89).mark13, 19);
  EXPECT_EQ(c.block(90).mark13, 16);
  EXPECT_EQ(c.slot(81).long2, 12100);
  EXPECT_EQ(c.slot(1).long4, 29700);
  EXPECT_EQ(c.slot(2).long4, 30060);
}

TEST(ExplainCommand, PrintsOneKindOrSuggestsTheNearest) {
  const ProcessResult station = run_process(SCENARIO_TOOL_EXE, {"explain", "stazione"});
  EXPECT_EQ(station.exit_status, 0);
  EXPECT_EQ(station.out, tool::explain_text(*find_row_kind("stazione")));
  EXPECT_EQ(station.out.rfind("stazione: train source, section [stazioni]\n", 0), 0u);
  EXPECT_NE(station.out.find("\n  17. name (text)\n"), std::string::npos);

  // A keyword field as written in a row finds its kind by the reader's rule.
  const ProcessResult curve = run_process(SCENARIO_TOOL_EXE, {"explain", "curvad4"});
  EXPECT_EQ(curve.exit_status, 0);
  EXPECT_EQ(curve.out, tool::explain_text(*find_row_kind("curva")));

  // By its name in capitals, with a word of what the reader would make of that.
  const ProcessResult capital =
      run_process(SCENARIO_TOOL_EXE, {"explain", "Progressiva chilometrica uno"});
  EXPECT_EQ(capital.exit_status, 0);
  EXPECT_NE(capital.out.find("note: A keyword field written 'Progressiva chilometrica uno' is "
                             "not read as this row;"),
            std::string::npos);
  EXPECT_EQ(run_process(SCENARIO_TOOL_EXE, {"explain", "STAZIONE"}).out, station.out);

  const ProcessResult typo = run_process(SCENARIO_TOOL_EXE, {"explain", "pendanza"});
  EXPECT_EQ(typo.exit_status, 2);
  EXPECT_EQ(typo.out, "");
  EXPECT_EQ(typo.err, "scenario-tool explain: no row kind 'pendanza'; did you mean pendenza?\n");

  // A word of the reference, not a keyword: the best kind in full, then the others named.
  for (const char* word : {"galleria", "passaggio", "passaggio a livello"}) {
    const ProcessResult found = run_process(SCENARIO_TOOL_EXE, {"explain", word});
    EXPECT_EQ(found.exit_status, 0) << word;
    EXPECT_EQ(found.out.rfind(tool::explain_text(*find_row_kind("cartello_indicatore")), 0), 0u)
        << word;
  }
  const ProcessResult distant = run_process(SCENARIO_TOOL_EXE, {"explain", "distant"});
  EXPECT_EQ(distant.out.rfind("segnale: train source", 0), 0u) << distant.out;
  const ProcessResult km = run_process(SCENARIO_TOOL_EXE, {"explain", "kilometrage"});
  EXPECT_EQ(km.out.rfind("progressiva chilometrica tre: line source", 0), 0u) << km.out;
  EXPECT_NE(km.out.find("\n  'kilometrage' is also in: progressiva chilometrica due, "
                        "progressiva chilometrica uno\n"),
            std::string::npos)
      << km.out;
  // Still exact for a keyword, though other kinds' texts name it.
  const ProcessResult due =
      run_process(SCENARIO_TOOL_EXE, {"explain", "progressiva chilometrica due"});
  EXPECT_EQ(due.out, tool::explain_text(*find_row_kind("progressiva chilometrica due")));

  const ProcessResult none = run_process(SCENARIO_TOOL_EXE, {"explain"});
  EXPECT_EQ(none.exit_status, 2);
  EXPECT_NE(none.err.find("cartello_indicatore"), std::string::npos);

  const ProcessResult section = run_process(SCENARIO_TOOL_EXE, {"explain", "[stazioni]"});
  EXPECT_EQ(section.exit_status, 0);
  EXPECT_NE(section.out.find("written here: stazione\n"), std::string::npos);
  EXPECT_EQ(run_process(SCENARIO_TOOL_EXE, {"explain", "[stazion]"}).exit_status, 2);
}

}  // namespace
}  // namespace scenario::testing
