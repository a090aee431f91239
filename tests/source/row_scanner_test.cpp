// The row scanner: the tolerant scan finds the rows, kinds and values the readers read (they
// read through the same scanner in strict mode), and goes on where the readers stop.
#include "source/row_scanner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "compiler/memorizza_dati.h"
#include "emitter/content/content.h"
#include "format/cp1252.h"
#include "support/scenario_generator.h"

namespace scenario::testing {
namespace {

std::string row_text(const ScannedRow& r) {
  std::string s(r.kind->keyword);
  for (const ScannedValue& v : r.values) {
    s += " | " + std::to_string(v.line) + ":" + std::to_string(v.column) + "-" +
         std::to_string(v.end_column) + " ";
    s += v.is_number ? std::to_string(v.number) : "'" + v.text + "'";
  }
  return s;
}

// Reads the pair through the readers, logging their rows, and holds each source's log against
// its tolerant scan: every row a reader read whole is the scan's row at the same place.
void expect_scan_agrees(const std::string& line, const std::string& train) {
  auto state = std::make_unique<BuildState>();
  state->scenario_name = "T";
  state->train_number = "1";
  state->build_flag = 1;
  MemorySources sources;
  sources.set("T_linea.txt", line);
  sources.set("T_1-.txt", train);
  RowLog log;
  memorizza_dati(*state, sources, &log);
  const auto agree = [](const std::vector<ScannedRow>& read, const std::string& text,
                        SourceKind kind) {
    const ScannedSource scan = scan_source(text, kind);
    for (size_t i = 0; i < read.size(); ++i) {
      if (read[i].values.size() != read[i].kind->fields.size()) break;  // the reader failed there
      ASSERT_LT(i, scan.rows.size()) << "row " << i << ": " << row_text(read[i]);
      ASSERT_EQ(row_text(scan.rows[i]), row_text(read[i])) << "row " << i;
    }
  };
  {
    SCOPED_TRACE("line source");
    agree(log.line, line, SourceKind::kLine);
  }
  {
    SCOPED_TRACE("train source");
    agree(log.train, train, SourceKind::kTrain);
  }
}

TEST(RowScanner, AgreesWithTheReadersOnEveryGeneratedScenario) {
  for (uint64_t seed = 1; seed <= 60; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    GeneratorOptions o;
    o.seed = seed;
    o.every_row_kind = true;
    const GeneratedSources g = generate_scenario(20 + static_cast<int32_t>(seed % 7) * 30, o);
    expect_scan_agrees(g.line, g.train);
  }
  std::string line, train;
  for (const std::string_view r : content::linea_rows()) line += utf8_to_cp1252(r) + "\r\n";
  for (const std::string_view r : content::treno_rows()) train += utf8_to_cp1252(r) + "\r\n";
  SCOPED_TRACE("built-in");
  expect_scan_agrees(line, train);
}

TEST(RowScanner, AgreesWithTheReadersOnTheFuzzCorpus) {
  const std::filesystem::path corpus = std::filesystem::path(SCENARIO_SOURCE_DIR) / "fuzz/corpus";
  constexpr std::string_view kSeparator = "\n%%TRAIN%%\n";
  int inputs = 0;
  for (const char* target : {"fuzz_compile", "fuzz_field_stream", "fuzz_fmt"}) {
    if (!std::filesystem::exists(corpus / target)) continue;
    for (const auto& e : std::filesystem::directory_iterator(corpus / target)) {
      SCOPED_TRACE(e.path().string());
      std::ifstream in(e.path(), std::ios::binary);
      std::stringstream bytes;
      bytes << in.rdbuf();
      const std::string input = bytes.str();
      const size_t cut = input.find(kSeparator);
      if (cut != std::string::npos) {
        expect_scan_agrees(input.substr(0, cut), input.substr(cut + kSeparator.size()));
      } else {
        // One text, read as either source.
        expect_scan_agrees(input, input);
      }
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 10);
}

TEST(RowScanner, TolerantScanGoesOnPastAFault) {
  // A malformed number, a row cut short by the next line's keyword, and an unclosed quote:
  // each loses its own row, and the rows after it are still found.
  const std::string train =
      "[generale]\r\n"
      "velocita, 1x00, 60\r\n"
      "segnale, 2900, 2, 4\r\n"
      "velocita, 3000, 70\r\n"
      "stazione, \"5000, 12\r\n"
      "aderenza, 4000, 100\r\n"
      "[fine]\r\n";
  const ScannedSource s = scan_source(train, SourceKind::kTrain);
  std::vector<std::string> rows;
  for (const ScannedRow& r : s.rows) {
    rows.push_back(std::string(r.kind->keyword) + (r.complete() ? "" : " (" + r.fault + ")"));
  }
  const std::vector<std::string> expected = {
      "velocita ('1x00' is not a whole number)",
      "segnale ('velocita' is not a whole number)",
      "velocita",
      "stazione (a quoted field has no closing quote)",
      "aderenza",
  };
  EXPECT_EQ(rows, expected);
  ASSERT_TRUE(s.last_field);
  EXPECT_EQ(s.last_field->field.text, "[fine]");
}

TEST(RowScanner, KeywordFieldsAsTheReadersTakeThem) {
  struct Case {
    const char* what;
    SourceKind kind;
    const char* text;
    const char* keywords;  // each keyword field examined: text, kinds, hyphen fields passed over
  } cases[] = {
      {"a note before a row on its line", SourceKind::kLine,
       "[generale]\r\nlunghezza percorso, 9000\r\n[curve]\r\n- nota, pendenza, 2000, 30\r\n[fine]",
       "lunghezza percorso{lunghezza percorso} [curve]/end pendenza{pendenza}-1@4:1"},
      {"three hyphen fields: the third is examined", SourceKind::kTrain,
       "[generale]\r\n- a, - b, - velocita, 100, 50\r\n[fine]", "- velocita{velocita}-2@2:1"},
      {"ten in the general section", SourceKind::kLine,
       "[generale]\r\n-,-,-,lunghezza percorso, 9000\r\n[curve]\r\n[fine]",
       "lunghezza percorso{lunghezza percorso}-3@2:1 [curve]/end"},
      {"a header that begins with a hyphen does not end the section", SourceKind::kLine,
       "[generale]\r\nlunghezza percorso, 9000\r\n - [x]\r\n[curve]\r\npendenza, 0, 1\r\n[fine]",
       "lunghezza percorso{lunghezza percorso} [curve]/end-1@3:2 pendenza{pendenza}"},
      {"a field of two kinds", SourceKind::kTrain,
       "[generale]\r\nvelocita aderenza, 0, 1, 0, 2\r\nx", "velocita aderenza{velocita,aderenza}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ScannedSource s = scan_source(c.text, c.kind);
    std::string got;
    for (const KeywordField& k : s.keywords) {
      if (!got.empty()) got += " ";
      got += k.field.text;
      if (k.kind_count > 0) {
        got += "{";
        for (size_t i = 0; i < k.kind_count; ++i) {
          got += (i ? "," : "") + std::string(row_kind(k.kinds[i]).keyword);
        }
        got += "}";
      }
      if (k.ends_general) got += "/end";
      if (k.skipped > 0) {
        got += "-" + std::to_string(k.skipped) + "@" + std::to_string(k.first_skipped.line) + ":" +
               std::to_string(k.first_skipped.column);
      }
    }
    EXPECT_EQ(got, c.keywords);
  }
}

}  // namespace
}  // namespace scenario::testing
